// Where the configuration files' saver and loader put what they have to say: the lines the
// main window writes to the protocol log with kind 4, kept in memory and optionally handed on
// as they come.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quillon {

class TConfigMessages {
 public:
  using Listener = std::function<void(const std::string& text)>;

  TConfigMessages() = default;
  // Each message is also handed to the listener as it is added (the main window's log).
  explicit TConfigMessages(Listener listener) : listener_(std::move(listener)) {}

  void Add(const std::string& text);
  // Windows-1251, in the order added.
  const std::vector<std::string>& Lines() const { return lines_; }
  bool Empty() const { return lines_.empty(); }

 private:
  std::vector<std::string> lines_;
  Listener listener_;
};

}  // namespace quillon
