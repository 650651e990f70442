#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>

#include "profile/bounded_file.h"
#include "profile/text_utils.h"

namespace quillon {

namespace {

constexpr size_t npos = std::string::npos;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string TrimBlanks(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

// What the reader returns for a stored value: matching outer quotes dropped, then the cut.
std::string StoredToValue(const std::string& stored) {
  std::string v = stored;
  if (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front()) v = v.substr(1, v.size() - 2);
  if (v.size() > TIniFile::kMaxValueLength) v.resize(TIniFile::kMaxValueLength);
  return v;
}

// The stored form of a value. Line breaks cannot live inside one line, and a value that the
// reader would trim or unquote is put in quotes so that it reads back as written.
std::string ValueToStored(const std::string& value) {
  std::string v = value;
  for (char& c : v)
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  bool altered = !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()));
  altered = altered || (v.size() >= 2 && IsQuote(v.front()) && v.back() == v.front());
  return altered ? "\"" + v + "\"" : v;
}

bool WriteAll(int fd, const std::string& data) {
  size_t done = 0;
  while (done < data.size()) {
    ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// A symbolic link is followed, so the link stays and its target gets the new content.
std::string ResolveTarget(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved)) return resolved;
  }
  return path;
}

// Creates a fresh temporary file beside the target; the process umask applies to its mode.
int CreateTempBeside(const std::string& target, std::string& tempName) {
  static std::atomic<unsigned> counter{0};
  size_t slash = target.rfind('/');
  std::string dir = slash == npos ? std::string() : target.substr(0, slash + 1);
  std::string base = slash == npos ? target : target.substr(slash + 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempName = dir + "." + base + ".tmp" + std::to_string(getpid()) + "_" +
               std::to_string(counter.fetch_add(1));
    int fd = open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void SyncFolderOf(const std::string& target) {
  size_t slash = target.rfind('/');
  std::string dir = slash == npos ? std::string(".") : target.substr(0, slash + 1);
  int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  fsync(fd);  // durability of the rename only; the content is already safe
  close(fd);
}

}  // namespace

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  std::string text;
  readResult_ = ReadBoundedFile(fileName_, kMaxFileSize, text);
  switch (readResult_.Status) {
    case TFileReadStatus::Read:
      LoadFromString(text);
      loadStatus_ = TIniLoadStatus::Loaded;
      break;
    case TFileReadStatus::NotFound:
      loadStatus_ = TIniLoadStatus::NotFound;
      break;
    case TFileReadStatus::Refused:
    case TFileReadStatus::Unreadable:
      loadStatus_ = TIniLoadStatus::Unreadable;
      break;
  }
}

TIniFile::Line TIniFile::ParseLine(const std::string& raw, bool firstLine) {
  Line line;
  line.raw = raw;
  std::string text = raw;
  if (firstLine && text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  text = TrimBlanks(text);
  if (text.empty() || text[0] == ';') return line;
  if (text[0] == '[') {
    size_t close = text.rfind(']');
    if (close != npos) {
      line.header = true;
      line.name = TrimBlanks(text.substr(1, close - 1));
    }
    return line;
  }
  size_t eq = text.find('=');
  if (eq == npos) return line;
  line.name = TrimBlanks(text.substr(0, eq));
  line.value = TrimBlanks(text.substr(eq + 1));
  line.entry = !line.name.empty();
  return line;
}

void TIniFile::LoadFromString(const std::string& text) {
  lines_.clear();
  size_t firstLf = text.find('\n');
  eol_ = (firstLf != npos && firstLf > 0 && text[firstLf - 1] == '\r') ? "\r\n" : "\n";
  finalEol_ = text.empty() || text.back() == '\n';
  size_t start = 0;
  while (start < text.size()) {
    size_t lf = text.find('\n', start);
    size_t end = lf == npos ? text.size() : lf;
    std::string raw = text.substr(start, end - start);
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    lines_.push_back(ParseLine(raw, lines_.empty()));
    start = lf == npos ? text.size() : lf + 1;
  }
}

std::string TIniFile::ToString() const {
  std::string out;
  for (size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i].raw;
    if (i + 1 < lines_.size() || finalEol_) out += eol_;
  }
  return out;
}

size_t TIniFile::FindSection(const std::string& section) const {
  for (size_t i = 0; i < lines_.size(); ++i)
    if (lines_[i].header && SameTextAscii(lines_[i].name, section)) return i;
  return npos;
}

size_t TIniFile::SectionEnd(size_t h) const {
  size_t i = h + 1;
  while (i < lines_.size() && !lines_[i].header) ++i;
  return i;
}

size_t TIniFile::FindKey(size_t h, const std::string& key) const {
  size_t end = SectionEnd(h);
  for (size_t i = h + 1; i < end; ++i)
    if (lines_[i].entry && SameTextAscii(lines_[i].name, key)) return i;
  return npos;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
  size_t h = FindSection(section);
  if (h == npos) return fallback;
  size_t k = FindKey(h, key);
  return k == npos ? fallback : StoredToValue(lines_[k].value);
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t fallback) const {
  return StrToInt32Def(ReadString(section, key, ""), fallback);
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

bool TIniFile::SectionExists(const std::string& section) const {
  return FindSection(section) != npos;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  size_t h = FindSection(section);
  return h != npos && FindKey(h, key) != npos;
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
  std::vector<std::string> keys;
  for (const auto& kv : ReadSectionValues(section)) keys.push_back(kv.first);
  return keys;
}

std::vector<std::pair<std::string, std::string>> TIniFile::ReadSectionValues(
    const std::string& section) const {
  std::vector<std::pair<std::string, std::string>> values;
  size_t h = FindSection(section);
  if (h == npos) return values;
  size_t end = SectionEnd(h);
  for (size_t i = h + 1; i < end; ++i) {
    if (!lines_[i].entry) continue;
    // A key given twice counts once, with its first value, as the reader sees it.
    bool seen = false;
    for (const auto& kv : values) seen = seen || SameTextAscii(kv.first, lines_[i].name);
    if (!seen) values.emplace_back(lines_[i].name, StoredToValue(lines_[i].value));
  }
  return values;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  std::string stored = ValueToStored(value);
  size_t h = FindSection(section);
  if (h == npos) {
    if (!lines_.empty() && !TrimBlanks(lines_.back().raw).empty()) lines_.push_back(Line{});
    lines_.push_back(ParseLine("[" + section + "]", false));
    lines_.push_back(ParseLine(key + "=" + stored, false));
    return;
  }
  size_t k = FindKey(h, key);
  if (k != npos) {
    // Keep the key as spelled and the spacing around "=", replace the value only.
    const std::string& raw = lines_[k].raw;
    size_t eq = raw.find('=');
    size_t valueStart = eq + 1;
    while (valueStart < raw.size() && IsBlank(raw[valueStart])) ++valueStart;
    lines_[k] = ParseLine(raw.substr(0, valueStart) + stored, k == 0);
    return;
  }
  size_t at = h + 1;
  size_t end = SectionEnd(h);
  for (size_t i = h + 1; i < end; ++i)
    if (lines_[i].entry) at = i + 1;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                ParseLine(key + "=" + stored, false));
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::string TIniFile::FullPath() const {
  if (!fileName_.empty() && fileName_[0] == '/') return fileName_;
  char cwd[PATH_MAX];
  if (!getcwd(cwd, sizeof cwd)) return fileName_;
  return std::string(cwd) + "/" + fileName_;
}

void TIniFile::UpdateFile() const {
  auto fail = [this]() { throw std::runtime_error("Unable to write to " + FullPath()); };
  // Replacing a file that could not be read would drop everything in it.
  if (loadStatus_ == TIniLoadStatus::Unreadable) fail();
  std::string target = ResolveTarget(fileName_);
  std::string tempName;
  int fd = CreateTempBeside(target, tempName);
  if (fd < 0) fail();
  struct stat st;
  bool ok = true;
  if (stat(target.c_str(), &st) == 0) ok = fchmod(fd, st.st_mode & 07777) == 0;
  ok = ok && WriteAll(fd, ToString()) && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  ok = ok && rename(tempName.c_str(), target.c_str()) == 0;
  if (!ok) {
    unlink(tempName.c_str());
    fail();
  }
  SyncFolderOf(target);
}

}  // namespace quillon
