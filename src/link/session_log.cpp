#include "link/session_log.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include "profile/cp1251.h"

namespace quillon {

std::string LogLineText(const TLogLine& line, const TPasswordMasker& masker) {
  using namespace std::chrono;
  const auto since = line.Time.time_since_epoch();
  const std::time_t seconds =
      static_cast<std::time_t>(duration_cast<std::chrono::seconds>(since).count());
  const int millis = static_cast<int>(duration_cast<milliseconds>(since).count() % 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  char stamp[40];
  const size_t n = std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
  std::snprintf(stamp + n, sizeof stamp - n, ".%03d ", millis < 0 ? 0 : millis);
  return stamp + Cp1251ToUtf8(masker.Mask(line.Text));
}

std::string LogText(const std::vector<TLogLine>& lines, const TPasswordMasker& masker) {
  std::string text;
  for (const TLogLine& line : lines) text += LogLineText(line, masker) + "\n";
  return text;
}

TSessionLog::TSessionLog(std::string path, uint64_t maxBytes, int files)
    : path_(std::move(path)), maxBytes_(maxBytes), files_(files < 1 ? 1 : files) {}

TSessionLog::~TSessionLog() {
  Close();
}

bool TSessionLog::Open() {
  if (file_) return true;
  file_ = std::fopen(path_.c_str(), "ab");
  if (!file_) {
    error_ = path_ + ": " + std::strerror(errno);
    return false;
  }
  std::fseek(file_, 0, SEEK_END);
  const long at = std::ftell(file_);
  size_ = at > 0 ? static_cast<uint64_t>(at) : 0;
  return true;
}

void TSessionLog::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  size_ = 0;
}

// path.(files-1) goes, each older part moves one up, the current file becomes path.1.
void TSessionLog::TurnOver() {
  Close();
  if (files_ == 1) {
    std::remove(path_.c_str());
    return;
  }
  auto part = [this](int i) { return path_ + "." + std::to_string(i); };
  std::remove(part(files_ - 1).c_str());
  for (int i = files_ - 2; i >= 1; --i) std::rename(part(i).c_str(), part(i + 1).c_str());
  std::rename(path_.c_str(), part(1).c_str());
}

bool TSessionLog::Write(const std::vector<TLogLine>& lines) {
  for (const TLogLine& line : lines) {
    const std::string text = LogLineText(line, masker_) + "\n";
    if (!Open()) return false;
    // A line longer than the bound still goes in whole, into a file of its own.
    if (size_ > 0 && size_ + text.size() > maxBytes_) {
      TurnOver();
      if (!Open()) return false;
    }
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) {
      error_ = path_ + ": " + std::strerror(errno);
      Close();
      return false;
    }
    size_ += text.size();
  }
  // Once per entry: what the pane shows is in the file even if the program ends next.
  if (file_ && std::fflush(file_) != 0) {
    error_ = path_ + ": " + std::strerror(errno);
    Close();
    return false;
  }
  error_.clear();
  return true;
}

}  // namespace quillon
