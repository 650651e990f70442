// A terminal played on the master side of a pseudo-terminal pair, in a thread of its own: it
// echoes every byte and answers each request line (the text before CR) through a handler.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quillon::test {

class TPtyTerminal {
 public:
  struct Reply {
    std::string bytes;    // sent after the echo
    bool hangUp = false;  // then close the master: the device vanishes
  };
  using Handler = std::function<Reply(const std::string& request)>;

  TPtyTerminal() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) {
      const char* name = ptsname(master_);
      if (name != nullptr) slavePath_ = name;
    }
  }
  ~TPtyTerminal() {
    Stop();
    HangUp();
  }

  bool Ok() const { return master_ >= 0 && !slavePath_.empty(); }
  const std::string& SlavePath() const { return slavePath_; }

  void Start(Handler handler, bool echo = true) {
    handler_ = std::move(handler);
    echo_ = echo;
    running_ = true;
    thread_ = std::thread([this] { Run(); });
  }
  void Stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
  }
  // Closes the master at once (from the test thread, while the terminal is stopped or idle).
  void HangUp() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }
  // Sends bytes from the terminal's side now (for a terminal not started).
  void Write(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (master_ >= 0) WriteAll(master_, bytes);
  }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void Run() {
    std::string line;
    while (running_) {
      int fd;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        fd = master_;
      }
      if (fd < 0) return;
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 10) <= 0 || !(p.revents & POLLIN)) {
        // No slave open yet (or any more): the master reports a hang-up until one opens.
        if (p.revents & POLLHUP) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        continue;
      }
      char buffer[256];
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n <= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        continue;
      }
      for (ssize_t i = 0; i < n; ++i) {
        if (echo_) WriteAll(fd, std::string(1, buffer[i]));
        if (buffer[i] != '\r') {
          line += buffer[i];
          continue;
        }
        {
          std::lock_guard<std::mutex> lock(mutex_);
          requests_.push_back(line);
        }
        const Reply reply = handler_(line);
        line.clear();
        WriteAll(fd, reply.bytes);
        if (reply.hangUp) {
          // Let the echo and the reply reach the port first, then vanish.
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
          HangUp();
          return;
        }
      }
    }
  }

  static void WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (w <= 0) return;
      done += static_cast<size_t>(w);
    }
  }

  int master_ = -1;
  std::string slavePath_;
  Handler handler_;
  bool echo_ = true;
  std::atomic<bool> running_{false};
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

}  // namespace quillon::test
