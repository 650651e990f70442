#include "sim/sim_protocol_engine.h"

#include <chrono>
#include <cstdio>
#include <limits>

#include "profile/text_utils.h"

namespace quillon {

namespace {

// A request line longer than this is noise; the terminal drops it.
constexpr size_t kMaxLine = 8192;

std::string Bare(const std::string& name) {
  std::string bare;
  for (char c : name) {
    if (c != '+') bare += c;
  }
  return bare;
}

// Control characters made visible for the trace.
std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 32) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

char SwappedCase(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

char Altered(char c) {
  if (c >= '0' && c <= '9') return static_cast<char>('0' + (c - '0' + 1) % 10);
  return SwappedCase(c);
}

uint32_t SeedOf(const TSimOptions& options) {
  if (options.Seed != 0) return options.Seed;
  return static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() &
                               0xFFFFFFFFu);
}

}  // namespace

TSimProtocolEngine::TSimProtocolEngine(const CommandProfile& profile, const TSimOptions& options,
                                       int64_t nowMs, int64_t startUtc)
    : profile_(profile),
      options_(options),
      state_(profile),
      reporter_(startUtc, SeedOf(options), options.Imei),
      random_(SeedOf(options)),
      startMs_(nowMs) {
  for (const std::string& name : options_.Unsupported) unsupported_.insert(UpperAscii(Bare(name)));
}

void TSimProtocolEngine::LoadStateFile() {
  if (options_.StateFile.empty()) return;
  if (state_.LoadFile(options_.StateFile, checker_))
    Trace("state loaded from " + options_.StateFile);
}

void TSimProtocolEngine::Receive(const std::string& bytes, int64_t nowMs) {
  for (char c : bytes) {
    if (hangUp_) return;
    ReceiveByte(c, nowMs);
    ++bytesReceived_;
    if (options_.HangUpAfter > 0 && bytesReceived_ >= options_.HangUpAfter) {
      hangUp_ = true;
      Trace("hanging up after " + std::to_string(bytesReceived_) + " bytes");
    }
  }
}

void TSimProtocolEngine::ReceiveByte(char c, int64_t nowMs) {
  if (silent_) return;
  Echo(c, nowMs);
  switch (c) {
    case '\0':
      return;
    case '!':
      // The close request: whatever unfinished input came before it is void.
      line_.clear();
      return;
    case '\r':
    case '\n': {
      std::string line;
      line.swap(line_);
      if (!line.empty()) HandleLine(line, nowMs);
      return;
    }
    default:
      if (line_.size() < kMaxLine) {
        line_ += c;
      } else {
        line_.clear();
      }
  }
}

void TSimProtocolEngine::Echo(char c, int64_t nowMs) {
  if (options_.NoEcho) return;
  char echoed = options_.BadEcho ? Altered(c) : (options_.SwappedCaseEcho ? SwappedCase(c) : c);
  // Consecutive echo bytes of the same moment share a chunk.
  if (!output_.empty() && output_.back().DueMs == nowMs && output_.back().PauseMs == 0 &&
      output_.back().Bytes.size() < 256 && echoChunkOpen_) {
    output_.back().Bytes += echoed;
    lineOpen_ = echoed != '\r' && echoed != '\n';
    return;
  }
  Queue(nowMs, 0, std::string(1, echoed));
  echoChunkOpen_ = true;
}

void TSimProtocolEngine::HandleLine(const std::string& line, int64_t nowMs) {
  ++requests_;
  Trace("<< " + Printable(line));
  if (line == kAccessCode && !options_.NoEntry) {
    if (!commandMode_) Trace("command mode entered");
    commandMode_ = true;
    Answer({}, true, nowMs);
  } else if (commandMode_) {
    HandleRequest(line, nowMs);
  }
  if (options_.SilentAfter > 0 && requests_ >= options_.SilentAfter) {
    silent_ = true;
    Trace("silent from now on");
  }
}

bool TSimProtocolEngine::IgnoresSet(const TTarget& target) const {
  for (const std::string& name : options_.IgnoreSet)
    if (UpperAscii(Bare(name)) == UpperAscii(target.Bare)) return true;
  return false;
}

bool TSimProtocolEngine::IsUnsupported(const std::string& bare) const {
  return unsupported_.count(UpperAscii(bare)) > 0;
}

bool TSimProtocolEngine::Resolve(const std::string& name, TTarget& target) const {
  target.Bare = Bare(name);
  std::string upper = UpperAscii(target.Bare);
  if (upper == "TEXT") target.BuiltIn = biText;
  if (upper == "SRBT") target.BuiltIn = biReboot;
  if (upper == "SAVE") target.BuiltIn = biSave;
  if (upper == "SDAD") target.BuiltIn = biStatus;
  int page = -1, index = -1;
  if (profile_.FindCommand(name, page, index) && page >= 0) {
    target.Command = profile_.Command(page, index);
  }
  if (target.Command) {
    target.Page = page;
    target.Index = index;
    target.Bare = Bare(target.Command->Name);
  }
  return target.Command != nullptr || target.BuiltIn != biNone;
}

void TSimProtocolEngine::HandleRequest(const std::string& line, int64_t nowMs) {
  size_t eq = line.find('=');
  if (line.size() < 3 || !SameTextAscii(line.substr(0, 2), "AT") || eq == std::string::npos ||
      eq == 2) {
    Answer({"ERROR"}, !options_.NoPrompt, nowMs);
    return;
  }
  std::string name = line.substr(2, eq - 2);
  std::string arguments = line.substr(eq + 1);
  TTarget target;
  if (IsUnsupported(Bare(name)) || !Resolve(name, target)) {
    Answer({"NOT SUPPORTED"}, !options_.NoPrompt, nowMs);
    return;
  }
  if (arguments == "?") {
    Poll(target, nowMs);
  } else {
    Apply(target, arguments, nowMs);
  }
}

std::string TSimProtocolEngine::ValuesLine(const TTarget& target) const {
  std::string line = "+RESP:" + target.Bare;
  if (target.BuiltIn == biStatus && !target.Command) {
    return line + (reportsRunning_ ? ",3" : ",0");
  }
  // The version request tells the terminal's real identity, whatever the profile's defaults.
  if (UpperAscii(target.Bare) == "SVER")
    return line + "," + kSimModel + "," + kSimFirmware + "," + options_.Imei;
  if (!target.Command || target.Command->Parameters.empty()) return line + ",OK";
  const std::vector<std::string>& values = state_.Values(target.Page, target.Index);
  for (const std::string& value : values) line += "," + TSimDeviceState::CsvItem(value);
  // A trailing comma reads as no item at all, so an empty last value goes out quoted.
  if (!values.empty() && values.back().empty()) line += "\"\"";
  return line;
}

std::vector<std::string> TSimProtocolEngine::TableLines(const TTarget& target) const {
  std::vector<std::string> headers =
      SplitCsv(GetCommandAttribute(*target.Command, "table_headers"));
  size_t columns = headers.size();
  if (columns == 0)
    columns = target.Command->Parameters.empty() ? 3 : target.Command->Parameters.size();
  std::vector<std::string> lines;
  for (int row = 1; row <= options_.TableRows; ++row) {
    char tag[8];
    std::snprintf(tag, sizeof tag, "#%02X", row & 0xFF);
    std::string line = std::string(tag) + "+RESP:" + target.Bare + "," + std::to_string(row);
    for (size_t column = 2; column <= columns; ++column) {
      line += ",R" + std::to_string(row) + "C" + std::to_string(column);
    }
    lines.push_back(line);
  }
  lines.push_back("+RESP:" + target.Bare + "," + std::to_string(options_.TableRows));
  return lines;
}

void TSimProtocolEngine::Poll(const TTarget& target, int64_t nowMs) {
  if (target.Command && SameTextAscii(target.Command->PollProcessor, "table")) {
    Answer(TableLines(target), !options_.NoPrompt, nowMs);
    return;
  }
  Answer({ValuesLine(target)}, !options_.NoPrompt, nowMs);
}

TSimProtocolEngine::TLevel TSimProtocolEngine::PasswordLevel(const std::string& password) const {
  if (!options_.MasterPassword.empty() && password == options_.MasterPassword) return lvMaster;
  if (!options_.Password.empty() && password == options_.Password) return lvUser;
  return lvNone;
}

// The master password opens every command; the user password all but the administrator's.
bool TSimProtocolEngine::LevelEnough(TLevel level, TPasswordMode mode) {
  if (level == lvMaster) return true;
  return level == lvUser && mode != pmAdmin;
}

bool TSimProtocolEngine::IsExitCommand(const TTarget& target) const {
  if (target.BuiltIn == biText || target.BuiltIn == biReboot) return true;
  return target.Command && SameTextAscii(target.Command->PollProcessor, "exitcmd");
}

void TSimProtocolEngine::Refuse(const TTarget& target, const std::string& keyword, int64_t nowMs) {
  Trace("refused: " + keyword);
  Answer({"+RESP:" + target.Bare + ",ERROR," + keyword}, !options_.NoPrompt, nowMs);
}

void TSimProtocolEngine::Apply(const TTarget& target, const std::string& arguments, int64_t nowMs) {
  if (!options_.Refuse.empty()) {
    Refuse(target, options_.Refuse, nowMs);
    return;
  }
  std::vector<std::string> items = SplitCsv(arguments);
  TLevel level = PasswordLevel(items.empty() ? std::string() : items[0]);
  if (level == lvNone) {
    Refuse(target, "PASSWORD", nowMs);
    return;
  }
  TPasswordMode mode = target.Command ? target.Command->PasswordMode : pmAdminUser;
  if (!LevelEnough(level, mode)) {
    Refuse(target, "PERMISSION", nowMs);
    return;
  }
  if (target.BuiltIn != biNone) {
    ApplyBuiltIn(target, items, nowMs);
    return;
  }
  std::string refusal;
  if (IgnoresSet(target))
    Trace(target.Bare + ": write ignored");
  else
    refusal = StoreValues(target, items);
  if (!refusal.empty()) {
    Refuse(target, refusal, nowMs);
    return;
  }
  Poll(target, nowMs);
  if (IsExitCommand(target)) {
    commandMode_ = false;
    Trace("command mode left");
  }
}

std::string TSimProtocolEngine::StoreValues(const TTarget& target,
                                            const std::vector<std::string>& items) {
  const TDevCommand& command = *target.Command;
  if (!command.SetData) {
    Trace(command.Name + " cannot be written");
    return "COMMAND";
  }
  size_t first = 1;
  int instance = 0;
  if (command.Indexed) {
    int32_t number = 0;
    if (items.size() < 2 || !ParseInt32(items[1], number) || number < 1 ||
        number > TSimDeviceState::InstanceCount(command)) {
      Trace("bad instance");
      return "COMMAND";
    }
    instance = number - 1;
    first = 2;
  }
  size_t count = command.Parameters.size();
  if (items.size() < first || items.size() - first != count) {
    Trace("expected " + std::to_string(count) + " values");
    return "COMMAND";
  }
  std::vector<std::string> accepted(count);
  for (size_t j = 0; j < count; ++j) {
    const std::string& value = items[first + j];
    if (value.empty()) continue;  // an empty value keeps what is held
    std::string reason;
    if (!checker_.Check(command.Parameters[j], value, accepted[j], reason)) {
      Trace("parameter " + std::to_string(j + 1) + " " + reason);
      return "COMMAND";
    }
  }
  std::vector<std::string>& held = state_.Values(target.Page, target.Index);
  for (size_t j = 0; j < count; ++j) {
    if (!items[first + j].empty()) held[instance * count + j] = accepted[j];
  }
  return "";
}

void TSimProtocolEngine::ApplyBuiltIn(const TTarget& target, const std::vector<std::string>& items,
                                      int64_t nowMs) {
  std::string prefix = "+RESP:" + target.Bare;
  switch (target.BuiltIn) {
    case biText:
    case biReboot:
      Answer({prefix + ",OK"}, !options_.NoPrompt, nowMs);
      commandMode_ = false;
      reportsRunning_ = false;
      Trace("command mode left");
      return;
    case biSave:
      if (!options_.StateFile.empty() && !state_.SaveFile(options_.StateFile)) {
        Trace("cannot write " + options_.StateFile);
        Answer({prefix + ",ERROR,FLASH"}, !options_.NoPrompt, nowMs);
        return;
      }
      Answer({prefix + ",OK"}, !options_.NoPrompt, nowMs);
      return;
    case biStatus: {
      std::string mode = items.size() > 2 ? items[2] : "";
      if (mode != "0" && mode != "3") {
        Refuse(target, "COMMAND", nowMs);
        return;
      }
      Answer({prefix + "," + mode}, !options_.NoPrompt, nowMs);
      reportsRunning_ = mode == "3";
      nextReportMs_ = nowMs + options_.DelayMs;
      Trace(reportsRunning_ ? "status reports on" : "status reports off");
      return;
    }
    case biNone:
      return;
  }
}

std::vector<std::string> TSimProtocolEngine::SplitIntoParts(
    const std::vector<std::string>& lines) const {
  size_t total = 0;
  for (const std::string& line : lines) total += line.size() + 2;
  if (total <= static_cast<size_t>(options_.PartSize)) return lines;
  std::vector<std::vector<std::string>> parts(1);
  size_t size = 0;
  for (const std::string& line : lines) {
    if (!parts.back().empty() && size + line.size() + 2 > static_cast<size_t>(options_.PartSize)) {
      parts.emplace_back();
      size = 0;
    }
    parts.back().push_back(line);
    size += line.size() + 2;
  }
  // A marker stands between two parts and names the part that follows, so the last one says
  // n = m: a reader that ends an answer at its prompt knows the prompt after it is the last.
  std::vector<std::string> out;
  for (size_t n = 0; n < parts.size(); ++n) {
    if (n > 0)
      out.push_back("%" + std::to_string(n + 1) + "/" + std::to_string(parts.size()) + "+RECP:");
    out.insert(out.end(), parts[n].begin(), parts[n].end());
  }
  return out;
}

std::string TSimProtocolEngine::NoiseLine() {
  static const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789 .:;*_";
  std::uniform_int_distribution<size_t> length(4, 40);
  std::uniform_int_distribution<size_t> pick(0, sizeof kAlphabet - 2);
  std::string line;
  for (size_t n = length(random_); n > 0; --n) line += kAlphabet[pick(random_)];
  return line;
}

void TSimProtocolEngine::Answer(const std::vector<std::string>& body, bool prompt, int64_t nowMs) {
  std::vector<std::string> lines;
  if (options_.Garbage) {
    std::uniform_int_distribution<int> count(1, 3);
    for (int n = count(random_); n > 0; --n) lines.push_back(NoiseLine());
  }
  for (const std::string& line : SplitIntoParts(body)) lines.push_back(line);
  if (lines.empty() && !prompt) return;

  std::vector<std::string> pieces;
  for (const std::string& line : lines) pieces.push_back("\r\n" + line);
  pieces.push_back(prompt ? "\r\n>" : "\r\n");
  std::string whole;
  for (const std::string& piece : pieces) whole += piece;
  Trace(">> " + Printable(whole));

  int64_t due = nowMs + options_.DelayMs;
  if (options_.GapMs <= 0) {
    Queue(due, 0, whole);
    return;
  }
  for (size_t n = 0; n < pieces.size(); ++n) Queue(due, n == 0 ? 0 : options_.GapMs, pieces[n]);
}

void TSimProtocolEngine::Queue(int64_t dueMs, int32_t pauseMs, std::string bytes) {
  echoChunkOpen_ = false;
  if (!bytes.empty()) lineOpen_ = bytes.back() != '\r' && bytes.back() != '\n';
  output_.push_back(TChunk{dueMs, pauseMs, std::move(bytes)});
}

bool TSimProtocolEngine::TakeChunk(TChunk& chunk) {
  if (output_.empty()) return false;
  chunk = std::move(output_.front());
  output_.pop_front();
  echoChunkOpen_ = false;
  return true;
}

void TSimProtocolEngine::Tick(int64_t nowMs) {
  if (!reportsRunning_ || silent_ || hangUp_ || nowMs < nextReportMs_) return;
  // A report must start a line of its own: after the prompt it would not be read as one.
  std::string text = lineOpen_ ? "\r\n" : "";
  for (const std::string& line : reporter_.Reports(nowMs - startMs_)) text += line + "\r\n";
  Queue(nowMs, 0, text);
  nextReportMs_ += 1000;
  if (nextReportMs_ <= nowMs) nextReportMs_ = nowMs + 1000;  // fell behind: no burst
}

int64_t TSimProtocolEngine::NextTickMs() const {
  if (!reportsRunning_ || silent_ || hangUp_) return std::numeric_limits<int64_t>::max();
  return nextReportMs_;
}

void TSimProtocolEngine::Trace(const std::string& text) const {
  if (trace_) trace_(text);
}

}  // namespace quillon
