// One TCP connection to a serial line published on the network, shared by the network
// platforms: connecting within a time-out (the name look-up included, so the caller's thread is
// never held longer), sending under a deadline without delay (Nagle's algorithm off: a request
// goes out byte by byte), taking what arrived and waiting for more. Failures throw EComPort with
// a message naming HOST:PORT in the interface language.
#pragma once

#include <cstdint>
#include <string>

#include "link/port_address.h"

namespace quillon {

class TNetConnection {
 public:
  TNetConnection() = default;
  ~TNetConnection();
  TNetConnection(const TNetConnection&) = delete;
  TNetConnection& operator=(const TNetConnection&) = delete;

  // Looks the host up and connects, both within timeoutMs; EComPort 1 when the name is not
  // found, the connection is refused, the host is unreachable or time runs out.
  void Connect(const TPortAddress& address, int timeoutMs);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // The socket, for waits; -1 while closed.
  int Fd() const { return fd_; }
  // "HOST:PORT".
  const std::string& Endpoint() const { return endpoint_; }

  // Sends until everything is out or the deadline (kNoDeadline: none) passes; returns how many
  // bytes went out. EComPort 2 when the connection failed or the server closed it.
  size_t Send(const char* data, size_t size, int64_t deadline);
  // Sends everything or throws EComPort 2 (telnet commands must not be cut).
  void SendAll(const std::string& bytes, int64_t deadline);
  // Copies what the socket holds now, up to max bytes: the count, 0 when nothing is there, -1
  // when the server closed the connection. EComPort 3 on other failures.
  int Receive(char* buffer, int max);
  // Waits up to waitMs (-1: without limit) for input or the end of the connection.
  void WaitReadable(int waitMs) const;
  // Bytes waiting in the socket.
  int Pending() const;
  // The server has closed its end (or the connection failed).
  bool ServerClosed() const;

  // Milliseconds of the steady clock, the clock of every deadline here.
  static int64_t NowMs();

 private:
  int fd_ = -1;
  std::string endpoint_;
};

}  // namespace quillon
