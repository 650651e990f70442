// The protocol log: every byte sent and received and every error or notice, as prefixed and
// coloured lines. Front ends observe the model; the logic only calls WriteLog.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "link/password_masker.h"

namespace quillon {

struct TSettings;

struct TLogLine {
  std::string Text;                              // prefix + line, Windows-1251
  int32_t Color;                                 // 0x00BBGGRR
  std::chrono::system_clock::time_point Time{};  // when WriteLog wrote it
};

class TLogModel {
 public:
  static constexpr size_t kMaxLines = 1000;

  // Colours are read from the settings at every call, so a confirmed settings dialog applies at
  // once.
  explicit TLogModel(const TSettings& settings);

  // Every password in force becomes "*" (the one masker). Kinds: 0 "<" received, 1 ">" sent, 2 "E<"
  // transfer failure, 3 "E>" short write, 4 "]" other.
  void WriteLog(const std::string& text, int kind);

  const std::deque<TLogLine>& Lines() const { return lines_; }
  // Empties the pane; the copy listener's file keeps what it has.
  void Clear();
  // The passwords in force now, for text that leaves the program (a saved protocol).
  TPasswordMasker Masker() const;

  // Called after each WriteLog that changed the pane: the lines appended (oldest first) and how
  // many lines were dropped from the top to keep the limit.
  using Listener = std::function<void(const std::vector<TLogLine>& appended, size_t dropped)>;
  void SetListener(Listener listener) { listener_ = std::move(listener); }
  // Called like the listener, for a copy of every line elsewhere (the session log file).
  void SetCopyListener(Listener listener) { copyListener_ = std::move(listener); }

 private:
  const TSettings& settings_;
  std::deque<TLogLine> lines_;
  Listener listener_;
  Listener copyListener_;
};

}  // namespace quillon
