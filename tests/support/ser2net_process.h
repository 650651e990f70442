// Debian's ser2net run by a test as its own process, in front of pseudo-terminals: a generated
// YAML configuration with accepters on 127.0.0.1 and free ports, started in the foreground
// (-n) with a pid file of its own, and stopped with the test. As the README advises, ser2net
// does not hold back what the device sends for a pause of two characters (chardelay) unless a
// connection asks for it: that pause would come on top of every echo and every answer.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "support/free_port.h"
#include "support/temp_dir.h"

namespace quillon::test {

class TSer2net {
 public:
  enum TAccepter { Raw, Telnet };
  struct TConnection {
    TAccepter Accepter;
    std::string Device;      // the pseudo-terminal behind it
    bool CharDelay = false;  // ser2net's default: wait for a pause before passing bytes on
    int Port = 0;            // chosen at Start
    std::string Url() const {
      return std::string(Accepter == Raw ? "tcp" : "rfc2217") +
             "://127.0.0.1:" + std::to_string(Port);
    }
  };

  ~TSer2net() { Stop(); }

  // The program, or empty when it is not installed.
  static std::string Executable() {
    for (const char* path : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net"})
      if (access(path, X_OK) == 0) return path;
    return {};
  }

  // Starts ser2net with one connection per entry and waits until every accepter listens.
  bool Start(std::vector<TConnection>& connections, std::string& error) {
    std::string yaml = "%YAML 1.1\n---\n";
    int n = 0;
    for (TConnection& c : connections) {
      c.Port = FreePort();
      yaml += "connection: &c" + std::to_string(n++) + "\n";
      yaml += std::string("    accepter: ") + (c.Accepter == Telnet ? "telnet(rfc2217)," : "") +
              "tcp,127.0.0.1," + std::to_string(c.Port) + "\n";
      yaml += "    connector: serialdev," + c.Device + ",115200n81,local\n";
      yaml +=
          std::string("    options:\n      chardelay: ") + (c.CharDelay ? "true" : "false") + "\n";
    }
    const std::string config = dir_.Write("ser2net.yaml", yaml);
    const std::string pidFile = dir_.File("ser2net.pid");
    const std::string program = Executable();
    pid_ = fork();
    if (pid_ == 0) {
      // Its complaints (no mDNS here) go to a file, not into the test's output.
      const std::string log = dir_.File("ser2net.log");
      if (freopen(log.c_str(), "w", stderr) == nullptr) _exit(126);
      execl(program.c_str(), program.c_str(), "-n", "-c", config.c_str(), "-P", pidFile.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    if (pid_ < 0) {
      error = "fork failed";
      return false;
    }
    for (int waited = 0; waited < 5000; waited += 20) {
      bool all = true;
      for (const TConnection& c : connections) all = all && Listening(c.Port);
      if (all) return true;
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        error = "ser2net ended at start: " + ReadFile(dir_.File("ser2net.log"));
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    error = "ser2net does not listen: " + ReadFile(dir_.File("ser2net.log"));
    Stop();
    return false;
  }

  // SIGTERM, reaped; the connections it served end with it.
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    for (int waited = 0; waited < 3000; waited += 10) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
        pid_ = -1;
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  pid_t Pid() const { return pid_; }

 private:
  // From the kernel's table of sockets, not by connecting: a connection would make ser2net open
  // the device behind it.
  static bool Listening(int port) {
    char local[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", port);
    const std::string table = ReadFile("/proc/net/tcp");
    for (size_t at = table.find(local); at != std::string::npos; at = table.find(local, at + 1))
      if (table.compare(at + 13 + 1 + 13 + 1, 2, "0A") == 0) return true;  // the state LISTEN
    return false;
  }

  TempDir dir_;
  pid_t pid_ = -1;
};

}  // namespace quillon::test
