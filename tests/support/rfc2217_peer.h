// A scripted server for the network ports, on 127.0.0.1 and a free port, in a thread of its
// own: raw TCP or telnet with the COM-PORT option, playing a terminal behind it (echo, and an
// answer for each request line). Its script makes it misbehave where a real gateway in front
// of a pseudo-terminal never would: it declines binary mode or the COM-PORT option, answers
// another baud rate than the one asked for, sends garbage negotiation, or says nothing at all.
// Its telnet reading is its own, so that it does not share a fault with the client's codec.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace quillon::test {

class TRfc2217Peer {
 public:
  // The terminal's answer to one request line (the text before CR); sent after the echo.
  using Handler = std::function<std::string(const std::string& request)>;

  struct TScript {
    bool Telnet = true;                  // false: raw TCP, no telnet at all
    bool DeclineBinary = false;          // refuses TRANSMIT-BINARY both ways
    bool DeclineComPort = false;         // refuses the COM-PORT option
    bool Silent = false;                 // accepts the connection and never sends a byte
    std::optional<uint32_t> BaudAnswer;  // answers SET-BAUDRATE with this rate
    bool AnswerPurge = true;             // answers PURGE-DATA
    std::string Greeting;                // sent as is right after accepting
    bool Echo = true;
    Handler Answer;  // nothing: no answer
  };

  struct TCommand {
    uint8_t Code;
    std::string Value;
  };

  explicit TRfc2217Peer(TScript script) : script_(std::move(script)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 4) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
      return;
    port_ = ntohs(address.sin_port);
    running_ = true;
    thread_ = std::thread([this] { Run(); });
  }
  ~TRfc2217Peer() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
    Disconnect();
    if (listener_ >= 0) ::close(listener_);
  }
  TRfc2217Peer(const TRfc2217Peer&) = delete;
  TRfc2217Peer& operator=(const TRfc2217Peer&) = delete;

  bool Ok() const { return port_ != 0; }
  int Port() const { return port_; }
  std::string Url() const {
    return std::string(script_.Telnet ? "rfc2217" : "tcp") +
           "://127.0.0.1:" + std::to_string(port_);
  }

  // Data bytes received from the client, unescaped; COM-PORT commands; connections accepted.
  std::string Data() {
    std::lock_guard<std::mutex> lock(mutex_);
    return data_;
  }
  std::vector<TCommand> Commands() {
    std::lock_guard<std::mutex> lock(mutex_);
    return commands_;
  }
  int Connections() const { return connections_; }
  // Waits until the peer has taken the count-th connection in (the kernel completes a connect
  // before the peer accepts it).
  bool WaitForConnections(int count, int timeoutMs = 2000) const {
    for (int waited = 0; connections_ < count; waited += 2) {
      if (waited >= timeoutMs) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  // Sends terminal data to the client now (escaped on a telnet line), or bytes as they are.
  void Send(const std::string& bytes) { SendRaw(script_.Telnet ? Escape(bytes) : bytes); }
  void SendRaw(const std::string& bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    WriteAll(client_, bytes);
  }
  // Closes the client's connection, as a gateway that stops does.
  void Disconnect() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (client_ >= 0) ::close(client_);
    client_ = -1;
  }

  static std::string Escape(const std::string& bytes) {
    std::string out;
    for (char c : bytes) {
      out += c;
      if (static_cast<uint8_t>(c) == kIAC) out += c;
    }
    return out;
  }

 private:
  static constexpr uint8_t kIAC = 255, kSB = 250, kSE = 240, kWILL = 251, kWONT = 252, kDO = 253,
                           kDONT = 254, kBinary = 0, kComPort = 44;

  void Run() {
    while (running_) {
      pollfd p[2] = {{listener_, POLLIN, 0}, {Client(), POLLIN, 0}};
      if (poll(p, p[1].fd >= 0 ? 2 : 1, 10) <= 0) continue;
      if (p[0].revents & POLLIN) Accept();
      if (p[1].fd >= 0 && (p[1].revents & (POLLIN | POLLHUP | POLLERR))) Serve();
    }
  }

  int Client() {
    std::lock_guard<std::mutex> lock(mutex_);
    return client_;
  }

  void Accept() {
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    Disconnect();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      client_ = fd;
      state_ = sData;
      line_.clear();
    }
    ++connections_;
    if (!script_.Silent && !script_.Greeting.empty()) SendRaw(script_.Greeting);
  }

  void Serve() {
    char buffer[512];
    const ssize_t n = ::recv(Client(), buffer, sizeof buffer, MSG_DONTWAIT);
    if (n <= 0) {
      if (n == 0) Disconnect();
      return;
    }
    if (script_.Silent) return;
    for (ssize_t i = 0; i < n; ++i) Byte(static_cast<uint8_t>(buffer[i]));
  }

  // The telnet reading of one byte from the client.
  void Byte(uint8_t b) {
    if (!script_.Telnet) return DataByte(b);
    switch (state_) {
      case sData:
        if (b == kIAC)
          state_ = sIac;
        else
          DataByte(b);
        return;
      case sIac:
        state_ = sData;
        if (b == kIAC) return DataByte(b);
        if (b >= kWILL && b <= kDONT) {
          verb_ = b;
          state_ = sOption;
        } else if (b == kSB) {
          sb_.clear();
          state_ = sSb;
        }
        return;
      case sOption:
        state_ = sData;
        return Negotiate(verb_, b);
      case sSb:
        if (b == kIAC)
          state_ = sSbIac;
        else
          sb_ += static_cast<char>(b);
        return;
      case sSbIac:
        if (b == kIAC) {
          sb_ += static_cast<char>(b);
          state_ = sSb;
        } else {
          state_ = sData;
          if (b == kSE) Subnegotiation();
        }
        return;
    }
  }

  void DataByte(uint8_t b) {
    const char c = static_cast<char>(b);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      data_ += c;
    }
    if (script_.Echo) Send(std::string(1, c));
    if (c != '\r') {
      line_ += c;
      return;
    }
    const std::string request = line_;
    line_.clear();
    if (script_.Answer) Send(script_.Answer(request));
  }

  // Answers every request once; the client's answers to ours are not answered again.
  void Negotiate(uint8_t verb, uint8_t option) {
    const bool ask = verb == kWILL || verb == kDO;
    if (!ask) return;
    const bool declined = (option == kBinary && script_.DeclineBinary) ||
                          (option == kComPort && script_.DeclineComPort);
    const bool agree = !declined && (option == kBinary || (option == kComPort && verb == kWILL));
    const uint8_t reply = verb == kWILL ? (agree ? kDO : kDONT) : (agree ? kWILL : kWONT);
    SendRaw(
        std::string{static_cast<char>(kIAC), static_cast<char>(reply), static_cast<char>(option)});
  }

  void Subnegotiation() {
    if (sb_.size() < 2 || static_cast<uint8_t>(sb_[0]) != kComPort) return;
    const uint8_t code = static_cast<uint8_t>(sb_[1]);
    std::string value = sb_.substr(2);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      commands_.push_back({code, value});
    }
    if (code == 12 && !script_.AnswerPurge) return;
    if (code == 1 && script_.BaudAnswer) {
      const uint32_t rate = *script_.BaudAnswer;
      value = {static_cast<char>(rate >> 24), static_cast<char>(rate >> 16),
               static_cast<char>(rate >> 8), static_cast<char>(rate)};
    }
    std::string answer{static_cast<char>(kIAC), static_cast<char>(kSB), static_cast<char>(kComPort),
                       static_cast<char>(code + 100)};
    SendRaw(answer + Escape(value) + std::string{static_cast<char>(kIAC), static_cast<char>(kSE)});
  }

  static void WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (fd >= 0 && done < bytes.size()) {
      const ssize_t w = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (w <= 0) return;
      done += static_cast<size_t>(w);
    }
  }

  enum TState { sData, sIac, sOption, sSb, sSbIac };

  TScript script_;
  int listener_ = -1;
  int port_ = 0;
  int client_ = -1;
  std::atomic<bool> running_{false};
  std::atomic<int> connections_{0};
  std::thread thread_;
  std::mutex mutex_;
  std::string data_;
  std::vector<TCommand> commands_;
  // Touched by the peer's thread only.
  TState state_ = sData;
  uint8_t verb_ = 0;
  std::string sb_;
  std::string line_;
};

}  // namespace quillon::test
