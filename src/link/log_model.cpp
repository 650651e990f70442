#include "link/log_model.h"

#include "link/password_masker.h"
#include "profile/fixed_texts.h"
#include "settings/settings.h"

namespace quillon {

namespace {

// Terminated lines show every control character as "_".
std::string MaskControls(std::string line) {
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20) c = '_';
  return line;
}

}  // namespace

TLogModel::TLogModel(const TSettings& settings) : settings_(settings) {}

void TLogModel::WriteLog(const std::string& entry, int kind) {
  if (entry.empty()) return;
  // Read at every call: a password changed in the settings dialog is masked from then on.
  const std::string text = MaskPasswords(entry, settings_);
  std::string prefix;
  int32_t color = 0;
  switch (kind) {
    case 0:
      prefix = "<", color = settings_.ReadColorText;
      break;
    case 1:
      prefix = ">", color = settings_.WriteColorText;
      break;
    case 2:
      prefix = "E<", color = settings_.ReadErrorColorText;
      break;
    case 3:
      prefix = "E>", color = settings_.WriteErrorColorText;
      break;
    case 4:
      prefix = "]", color = settings_.GeneralErrorColorText;
      break;
    default:
      WriteLog(Text(TText::UnknownLogKind, {std::to_string(kind)}), 4);
      // The entry keeps the colour the notice left behind.
      color = settings_.GeneralErrorColorText;
      break;
  }

  // Lines end as ExtractLine ends them (CR LF, CR, LF or NUL, the earliest first), walked by
  // position so that a long entry is not copied once per line.
  struct TSpan {
    size_t Start, Length;
    bool Terminated;
  };
  std::vector<TSpan> spans;
  static const std::string kTerminators("\r\n\0", 3);
  size_t start = 0;
  for (;;) {
    size_t end = text.find_first_of(kTerminators, start);
    if (end == std::string::npos) break;
    spans.push_back({start, end - start, true});
    bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
    start = end + (crlf ? 2 : 1);
  }
  // What follows the last terminator goes in as it is, control characters included.
  if (start < text.size()) spans.push_back({start, text.size() - start, false});

  // Only the newest lines of a long entry could stay in the pane: the others are never made,
  // so a burst costs work in proportion to what is kept.
  const size_t first = spans.size() > kMaxLines ? spans.size() - kMaxLines : 0;
  std::vector<TLogLine> appended;
  appended.reserve(spans.size() - first);
  const auto now = std::chrono::system_clock::now();
  for (size_t i = first; i < spans.size(); ++i) {
    std::string line = text.substr(spans[i].Start, spans[i].Length);
    appended.push_back({prefix + (spans[i].Terminated ? MaskControls(line) : line), color, now});
  }

  lines_.insert(lines_.end(), appended.begin(), appended.end());
  size_t dropped = 0;
  while (lines_.size() > kMaxLines) {
    lines_.pop_front();
    ++dropped;
  }
  if (listener_) listener_(appended, dropped);
  if (copyListener_) copyListener_(appended, dropped);
}

void TLogModel::Clear() {
  lines_.clear();
}

TPasswordMasker TLogModel::Masker() const {
  return PasswordMaskerFor(settings_);
}

}  // namespace quillon
