#include "link/serial_tcp.h"

#include <cerrno>

#include "link/com_error.h"
#include "link/line_timeouts.h"
#include "link/net_connection.h"
#include "link/port_address.h"
#include "link/read_rules.h"
#include "profile/fixed_texts.h"

namespace quillon {

class TSerialTcp::Private {
 public:
  TNetConnection net;
  TComTimeouts timeouts;
  int32_t connectTimeout = ConnectTimeout(0);

  void Require() const {
    if (!net.IsOpen()) throw EComPort(CE_PortNotOpen);
  }
  [[noreturn]] void Closed(int number) const {
    throw EComPort(number, ECONNRESET, Text(TText::NetClosed, {net.Endpoint()}));
  }
};

TSerialTcp::TSerialTcp() : d_(std::make_unique<Private>()) {}

TSerialTcp::~TSerialTcp() = default;

void TSerialTcp::SetConnectTimeout(int32_t ms) {
  d_->connectTimeout = ms;
}

void TSerialTcp::Open(const std::string& name) {
  if (d_->net.IsOpen()) return;
  TPortAddress address;
  std::string error;
  if (!ParsePortAddress(name, address, error)) throw EComPort(CE_OpenFailed, 0, error);
  d_->net.Connect(address, d_->connectTimeout);
}

void TSerialTcp::Close() {
  d_->net.Close();
}

bool TSerialTcp::IsOpen() const {
  return d_->net.IsOpen();
}

void TSerialTcp::SetQueueSizes(int, int) {
  d_->Require();
}

// The remote port's own settings apply: a raw stream has no way to change them.
void TSerialTcp::SetLineSettings(const TLineSettings&) {
  d_->Require();
}

void TSerialTcp::SetTimeouts(const TComTimeouts& timeouts) {
  d_->Require();
  d_->timeouts = timeouts;
}

// What went out to the server cannot be called back; what came in is dropped.
void TSerialTcp::Purge(bool input, bool) {
  d_->Require();
  if (!input) return;
  char buffer[4096];
  while (d_->net.Receive(buffer, sizeof buffer) > 0) {
  }
}

int TSerialTcp::Write(const char* data, int count) {
  d_->Require();
  if (count <= 0) return 0;
  if (d_->net.ServerClosed()) d_->Closed(CE_WriteFailed);
  const int64_t deadline = WriteDeadline(d_->timeouts, count, NowMs());
  return static_cast<int>(d_->net.Send(data, static_cast<size_t>(count), deadline));
}

int TSerialTcp::Read(char* buffer, int count) {
  d_->Require();
  TReadSource source;
  source.Now = [this] { return NowMs(); };
  source.Take = [this](char* to, int max) { return d_->net.Receive(to, max); };
  source.Wait = [this](int waitMs) { d_->net.WaitReadable(waitMs); };
  const int got = ReadUnderTimeouts(d_->timeouts, buffer, count, source);
  if (got < 0) d_->Closed(CE_ReadFailed);
  return got;
}

int TSerialTcp::QueuedInputCount() {
  d_->Require();
  const int n = d_->net.Pending();
  // A closed connection keeps the socket readable with nothing to read.
  if (n == 0 && d_->net.ServerClosed()) d_->Closed(CE_ClearComFailed);
  return n;
}

int TSerialTcp::ReadinessHandle() const {
  return d_->net.Fd();
}

}  // namespace quillon
