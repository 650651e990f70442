// The simulated terminal of a --demo run: quillon-sim started beside the program with the
// program's profile, its device path used as the port for this run only.
#pragma once

#include <memory>
#include <string>

namespace quillon {

class TDemoTerminal {
 public:
  TDemoTerminal();
  ~TDemoTerminal();  // stops the simulator if it still runs

  // False with a message when the simulator could not be started.
  bool Start(std::string& error);
  void Stop();

  const std::string& DevicePath() const { return devicePath_; }
  const std::string& Password() const { return password_; }
  const std::string& MasterPassword() const { return masterPassword_; }

 private:
  struct TImpl;
  std::unique_ptr<TImpl> impl_;
  std::string devicePath_;
  std::string password_;
  std::string masterPassword_;
};

}  // namespace quillon
