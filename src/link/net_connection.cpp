#include "link/net_connection.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "link/com_error.h"
#include "link/read_rules.h"
#include "profile/fixed_texts.h"

namespace quillon {

namespace {

using TAddrInfoPtr = std::unique_ptr<addrinfo, decltype(&freeaddrinfo)>;

// A look-up running in a thread of its own, so that a slow resolver cannot hold the caller past
// its time-out. The thread owns its half of the state: when the caller has given up, the thread
// frees the result itself.
struct TLookup {
  std::mutex Mutex;
  std::condition_variable Done;
  bool Finished = false;
  bool Abandoned = false;
  int Code = 0;
  addrinfo* Result = nullptr;
};

addrinfo Hints(bool numeric) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV | (numeric ? AI_NUMERICHOST : 0);
  return hints;
}

bool IsNumericHost(const std::string& host) {
  unsigned char buffer[sizeof(in6_addr)];
  return inet_pton(AF_INET, host.c_str(), buffer) == 1 ||
         inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

// The addresses of host; code is getaddrinfo's, EAI_AGAIN with timedOut when time ran out.
TAddrInfoPtr LookUp(const std::string& host, const std::string& port, int64_t deadline, int& code,
                    bool& timedOut) {
  timedOut = false;
  if (IsNumericHost(host)) {
    const addrinfo hints = Hints(true);
    addrinfo* result = nullptr;
    code = getaddrinfo(host.c_str(), port.c_str(), &hints, &result);
    return TAddrInfoPtr(code == 0 ? result : nullptr, &freeaddrinfo);
  }
  auto lookup = std::make_shared<TLookup>();
  std::thread([lookup, host, port] {
    const addrinfo hints = Hints(false);
    addrinfo* result = nullptr;
    const int rc = getaddrinfo(host.c_str(), port.c_str(), &hints, &result);
    std::lock_guard<std::mutex> lock(lookup->Mutex);
    if (lookup->Abandoned) {
      if (rc == 0) freeaddrinfo(result);
      return;
    }
    lookup->Code = rc;
    lookup->Result = rc == 0 ? result : nullptr;
    lookup->Finished = true;
    lookup->Done.notify_all();
  }).detach();
  std::unique_lock<std::mutex> lock(lookup->Mutex);
  const auto until = std::chrono::steady_clock::time_point(std::chrono::milliseconds(deadline));
  if (!lookup->Done.wait_until(lock, until, [&] { return lookup->Finished; })) {
    lookup->Abandoned = true;
    timedOut = true;
    code = EAI_AGAIN;
    return TAddrInfoPtr(nullptr, &freeaddrinfo);
  }
  code = lookup->Code;
  return TAddrInfoPtr(lookup->Result, &freeaddrinfo);
}

// Waits for a non-blocking connect; returns 0 or the errno of the failure (ETIMEDOUT when the
// deadline passed).
int FinishConnect(int fd, int64_t deadline) {
  for (;;) {
    pollfd p{fd, POLLOUT, 0};
    const int r = poll(&p, 1, MsUntil(deadline, TNetConnection::NowMs()));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return errno;
    if (r == 0) return ETIMEDOUT;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return errno;
    return error;
  }
}

// Acknowledges what came at once instead of after the delayed-ACK pause (up to 40 ms): a server
// that holds small segments until the last is acknowledged (Nagle's algorithm) then sends the
// rest of an echo or an answer without waiting. The kernel forgets the flag, so it is set anew
// after every read.
void QuickAckOn(int fd) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
}

// The message of a failed connection.
std::string ConnectFailure(const std::string& endpoint, int code, int timeoutMs) {
  switch (code) {
    case ECONNREFUSED:
      return Text(TText::NetRefused, {endpoint});
    case ENETUNREACH:
    case EHOSTUNREACH:
    case EHOSTDOWN:
    case ENETDOWN:
      return Text(TText::NetUnreachable, {endpoint});
    case ETIMEDOUT:
      return Text(TText::NetTimedOut, {endpoint, std::to_string(timeoutMs)});
    default:
      return Text(TText::NetFailed, {endpoint, std::strerror(code)});
  }
}

}  // namespace

TNetConnection::~TNetConnection() {
  Close();
}

int64_t TNetConnection::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void TNetConnection::Connect(const TPortAddress& address, int timeoutMs) {
  Close();
  endpoint_ = address.Endpoint();
  const int64_t deadline = NowMs() + std::max(timeoutMs, 1);
  int code = 0;
  bool timedOut = false;
  const TAddrInfoPtr found =
      LookUp(address.Host, std::to_string(address.Port), deadline, code, timedOut);
  if (timedOut)
    throw EComPort(CE_OpenFailed, ETIMEDOUT,
                   Text(TText::NetTimedOut, {endpoint_, std::to_string(timeoutMs)}));
  if (!found) {
    const bool notFound = code == EAI_NONAME || code == EAI_NODATA || code == EAI_FAIL;
    throw EComPort(CE_OpenFailed, 0,
                   notFound ? Text(TText::NetNameNotFound, {endpoint_})
                            : Text(TText::NetFailed, {endpoint_, gai_strerror(code)}));
  }
  int lastError = ECONNREFUSED;
  for (const addrinfo* a = found.get(); a != nullptr; a = a->ai_next) {
    const int fd =
        socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) {
      lastError = errno;
      continue;
    }
    int error = connect(fd, a->ai_addr, a->ai_addrlen) == 0 ? 0 : errno;
    if (error == EINPROGRESS) error = FinishConnect(fd, deadline);
    if (error == 0) {
      // Every request goes out byte by byte; none may wait for the answer to the one before.
      const int on = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
      fd_ = fd;
      return;
    }
    ::close(fd);
    lastError = error;
    if (error == ETIMEDOUT) break;
  }
  throw EComPort(CE_OpenFailed, lastError, ConnectFailure(endpoint_, lastError, timeoutMs));
}

void TNetConnection::Close() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

size_t TNetConnection::Send(const char* data, size_t size, int64_t deadline) {
  size_t sent = 0;
  while (sent < size) {
    const ssize_t r = ::send(fd_, data + sent, size - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (r > 0) {
      sent += static_cast<size_t>(r);
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      const int code = errno;
      const bool closed = code == EPIPE || code == ECONNRESET;
      throw EComPort(CE_WriteFailed, code,
                     closed ? Text(TText::NetClosed, {endpoint_})
                            : Text(TText::NetFailed, {endpoint_, std::strerror(code)}));
    }
    const int64_t now = NowMs();
    if (deadline != kNoDeadline && now >= deadline) break;
    pollfd p{fd_, POLLOUT, 0};
    if (poll(&p, 1, MsUntil(deadline, now)) < 0 && errno != EINTR)
      throw EComPort(CE_WriteFailed, errno);
  }
  return sent;
}

void TNetConnection::SendAll(const std::string& bytes, int64_t deadline) {
  if (Send(bytes.data(), bytes.size(), deadline) < bytes.size())
    throw EComPort(CE_WriteFailed, ETIMEDOUT,
                   Text(TText::NetFailed, {endpoint_, std::strerror(ETIMEDOUT)}));
}

int TNetConnection::Receive(char* buffer, int max) {
  for (;;) {
    const ssize_t r = ::recv(fd_, buffer, static_cast<size_t>(max), MSG_DONTWAIT);
    if (r > 0) {
      QuickAckOn(fd_);
      return static_cast<int>(r);
    }
    if (r == 0) return -1;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    if (errno == ECONNRESET || errno == EPIPE) return -1;
    const int code = errno;
    throw EComPort(CE_ReadFailed, code, Text(TText::NetFailed, {endpoint_, std::strerror(code)}));
  }
}

void TNetConnection::WaitReadable(int waitMs) const {
  // A signal ends the wait early; the caller's deadlines are reckoned again anyway.
  pollfd p{fd_, POLLIN, 0};
  if (poll(&p, 1, waitMs) < 0 && errno != EINTR) throw EComPort(CE_ReadFailed, errno);
}

int TNetConnection::Pending() const {
  int n = 0;
  if (ioctl(fd_, FIONREAD, &n) != 0) throw EComPort(CE_ClearComFailed, errno);
  return n;
}

bool TNetConnection::ServerClosed() const {
  pollfd p{fd_, POLLRDHUP, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL));
}

}  // namespace quillon
