#include "link/serial_by_name.h"

#include "link/com_error.h"
#include "link/line_timeouts.h"
#include "link/serial_posix.h"
#include "link/serial_rfc2217.h"
#include "link/serial_tcp.h"

namespace quillon {

namespace {

std::unique_ptr<ISerialPlatform> MakePlatform(TPortKind kind) {
  switch (kind) {
    case TPortKind::Tcp:
      return std::make_unique<TSerialTcp>();
    case TPortKind::Rfc2217:
      return std::make_unique<TSerialRfc2217>();
    case TPortKind::Local:
      break;
  }
  return std::make_unique<TSerialPosix>();
}

}  // namespace

TSerialByName::TSerialByName() : connectTimeout_(ConnectTimeout(0)) {}

TSerialByName::~TSerialByName() = default;

void TSerialByName::SetConnectTimeout(int32_t ms) {
  connectTimeout_ = ms;
}

void TSerialByName::Open(const std::string& name) {
  if (IsOpen()) return;
  TPortAddress address;
  std::string error;
  if (!ParsePortAddress(name, address, error)) throw EComPort(CE_OpenFailed, 0, error);
  if (!platform_ || kind_ != address.Kind) {
    platform_ = MakePlatform(address.Kind);
    kind_ = address.Kind;
  }
  platform_->SetConnectTimeout(connectTimeout_);
  platform_->Open(name);
}

void TSerialByName::Close() {
  if (platform_) platform_->Close();
}

bool TSerialByName::IsOpen() const {
  return platform_ && platform_->IsOpen();
}

ISerialPlatform& TSerialByName::Current() const {
  if (!platform_) throw EComPort(CE_PortNotOpen);
  return *platform_;
}

void TSerialByName::SetQueueSizes(int inputSize, int outputSize) {
  Current().SetQueueSizes(inputSize, outputSize);
}

void TSerialByName::SetLineSettings(const TLineSettings& settings) {
  Current().SetLineSettings(settings);
}

void TSerialByName::SetTimeouts(const TComTimeouts& timeouts) {
  Current().SetTimeouts(timeouts);
}

void TSerialByName::Purge(bool input, bool output) {
  Current().Purge(input, output);
}

int TSerialByName::Write(const char* data, int count) {
  return Current().Write(data, count);
}

int TSerialByName::Read(char* buffer, int count) {
  return Current().Read(buffer, count);
}

int TSerialByName::QueuedInputCount() {
  return Current().QueuedInputCount();
}

int TSerialByName::ReadinessHandle() const {
  return platform_ ? platform_->ReadinessHandle() : -1;
}

}  // namespace quillon
