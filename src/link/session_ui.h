// What the command-mode session and the transaction need from a front end: its modal windows,
// its questions and message boxes, its link indicators and its progress bar. The GUI shows real
// modal windows; the command-line front end answers by its own policy.
#pragma once

#include <functional>
#include <string>

namespace quillon {

class ISessionUi {
 public:
  virtual ~ISessionUi() = default;

  // "Ошибка передачи данных" / "Повторить попытку?" with Retry and Cancel. True for Retry.
  // detail says what happened, in the interface language: the port and the cause
  // ("/dev/ttyUSB0: the device went away (unplugged?)").
  virtual bool AskRetry(const std::string& detail) = 0;

  // The reconnect window "Ожидание устройства": calls tryOpen at once, then every 5 seconds and
  // on "Повторить", until it returns true (the window closes with OK) or the operator stops it.
  // True when it closed with OK.
  virtual bool RunReconnectWindow(const std::function<bool()>& tryOpen) = 0;

  // The entry window "Установка связи": lets pending events run, then calls oneTry, over and
  // over, until a try returns true (OK) or the operator presses "Остановить". True for OK.
  virtual bool RunEntryWindow(const std::function<bool()>& oneTry) = 0;

  // What the reconnect and entry windows show besides their message: the port's path and the
  // text of the last port error (empty when there is none). The session calls it before a window
  // runs and after every failed try. retryHelps is false when trying again cannot help until
  // someone acts (the user may not use the port): the reconnect window then waits for
  // "Повторить" instead of trying every 5 seconds.
  virtual void ShowPortState(const std::string& /*portName*/, const std::string& /*lastError*/,
                             bool /*retryHelps*/) {}

  // A modal message box with an OK button (the terminal's refusals).
  virtual void ShowMessage(const std::string& text) = 0;

  // Status-bar panels "LINK" and "CMD", and the status window's connection group.
  virtual void LinkStateChanged(const std::string& portName, const std::string& baudText,
                                bool portOpen, bool inCommandMode) = 0;
};

// The main window's progress bar as the transaction and the batch runs drive it.
class IProgressBar {
 public:
  virtual ~IProgressBar() = default;
  virtual int Min() const = 0;
  virtual int Max() const = 0;
  virtual int Position() const = 0;
  virtual void SetMin(int value) = 0;
  virtual void SetMax(int value) = 0;
  virtual void SetPosition(int value) = 0;  // clamped into Min..Max like a progress bar does
};

// A progress bar held in memory, for the command-line front end and tests.
class TMemoryProgressBar : public IProgressBar {
 public:
  int Min() const override { return min_; }
  int Max() const override { return max_; }
  int Position() const override { return pos_; }
  void SetMin(int value) override {
    min_ = value;
    if (max_ < min_) max_ = min_;
    SetPosition(pos_);
  }
  void SetMax(int value) override {
    max_ = value;
    if (min_ > max_) min_ = max_;
    SetPosition(pos_);
  }
  void SetPosition(int value) override {
    pos_ = value < min_ ? min_ : (value > max_ ? max_ : value);
  }

 private:
  int min_ = 0;
  int max_ = 100;
  int pos_ = 0;
};

}  // namespace quillon
