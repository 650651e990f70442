// The protocol log as text that leaves the program: one UTF-8 line per pane line, led by the
// time the line was written, passwords masked. TSessionLog appends such lines to a file beside
// the settings file as they are written, turning it over at a size bound so that a long session
// cannot fill the disk.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "link/log_model.h"
#include "link/password_masker.h"

namespace quillon {

// "2026-12-10 06:40:01.123 " (local time) + the line in UTF-8, masked; no line end.
std::string LogLineText(const TLogLine& line, const TPasswordMasker& masker);
// Every line so, each ended by LF: what "Сохранить протокол…" writes.
std::string LogText(const std::vector<TLogLine>& lines, const TPasswordMasker& masker);

class TSessionLog {
 public:
  static constexpr const char* kFileName = "quillon-session.log";
  static constexpr uint64_t kMaxBytes = 1048576;
  static constexpr int kFiles = 3;

  // path: the current file; its older parts are path.1 up to path.(files-1), path.1 the newest.
  // A line that would take the current file past maxBytes first turns the files over.
  explicit TSessionLog(std::string path, uint64_t maxBytes = kMaxBytes, int files = kFiles);
  ~TSessionLog();
  TSessionLog(const TSessionLog&) = delete;
  TSessionLog& operator=(const TSessionLog&) = delete;

  void SetMasker(TPasswordMasker masker) { masker_ = std::move(masker); }

  // Appends the lines and flushes them to the file at once. False when the file cannot be opened
  // or written; Error() says why (UTF-8) and later calls try again.
  bool Write(const std::vector<TLogLine>& lines);
  const std::string& Error() const { return error_; }
  const std::string& Path() const { return path_; }

 private:
  bool Open();
  void Close();
  void TurnOver();

  std::string path_;
  uint64_t maxBytes_;
  int files_;
  TPasswordMasker masker_;
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
  std::string error_;
};

}  // namespace quillon
