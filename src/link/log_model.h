// The protocol log: every byte sent and received and every error or notice, as prefixed and
// coloured lines. Front ends observe the model; the logic only calls WriteLog.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace quillon {

struct TSettings;

struct TLogLine {
  std::string Text;  // prefix + line, Windows-1251
  int32_t Color;     // 0x00BBGGRR
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

  // Called after each WriteLog that changed the pane: the lines appended (oldest first) and how
  // many lines were dropped from the top to keep the limit.
  using Listener = std::function<void(const std::vector<TLogLine>& appended, size_t dropped)>;
  void SetListener(Listener listener) { listener_ = std::move(listener); }

 private:
  const TSettings& settings_;
  std::deque<TLogLine> lines_;
  Listener listener_;
};

}  // namespace quillon
