// The client end of a simulated line in the tests: plain termios on the device path, as a
// serial port program would use it.
#pragma once

#include <cstdint>
#include <string>

namespace quillon {

class TPtyClient {
 public:
  TPtyClient() = default;
  ~TPtyClient();
  TPtyClient(const TPtyClient&) = delete;
  TPtyClient& operator=(const TPtyClient&) = delete;

  bool Open(const std::string& path);
  void Close();

  bool Write(const std::string& bytes);
  // Reads until the text read holds `ending` or timeoutMs pass; what was read.
  std::string ReadUntil(const std::string& ending, int timeoutMs);
  // Reads until the line has been quiet for quietMs (or timeoutMs pass in all).
  std::string ReadQuiet(int quietMs, int timeoutMs);
  // Writes request + CR and reads the answer up to the prompt ">" (the echo included).
  std::string Request(const std::string& request, int timeoutMs = 2000);
  // Throws away what is waiting.
  void Purge();

  // The result of the last read when it failed (EIO after a hang-up), else 0.
  int LastError() const { return lastError_; }
  bool HungUp() const { return hungUp_; }

 private:
  int ReadOnce(std::string& text, int waitMs);
  int fd_ = -1;
  int lastError_ = 0;
  bool hungUp_ = false;
};

// Milliseconds on a monotonic clock.
int64_t MonotonicMs();

}  // namespace quillon
