#include "link/com_port.h"

#include <algorithm>
#include <array>

#include "link/line_timeouts.h"
#include "profile/text_utils.h"
#include "settings/settings.h"

namespace quillon {

namespace {

// Case-insensitive lookup of a setting's text in a list of names; first match wins.
template <size_t N>
int LookupIndex(const std::string& value, const std::array<const char*, N>& names, int fallback) {
  const std::string wanted = UpperAscii(value);
  for (size_t i = 0; i < N; ++i)
    if (UpperAscii(names[i]) == wanted) return static_cast<int>(i);
  return fallback;
}

}  // namespace

TComPort::TComPort(std::shared_ptr<ISerialPlatform> platform)
    : platform_(platform ? std::move(platform) : CreateSerialPlatform()),
      connectTimeout_(quillon::ConnectTimeout(0)) {}

TComPort::~TComPort() {
  Close();
}

void TComPort::SetPort(const std::string& name) {
  if (name == port_) return;
  port_ = name;
  if (open_) {
    Close();
    Open();
  }
}

void TComPort::SetCustomBaudRate(int32_t rate) {
  line_.BaudRate = rate;
  ApplyLineIfOpen();
}

void TComPort::SetDataBits(TDataBits bits) {
  line_.DataBits = bits;
  ApplyLineIfOpen();
}

void TComPort::SetParity(TParityBits parity) {
  line_.Parity = parity;
  ApplyLineIfOpen();
}

void TComPort::SetStopBits(TStopBits bits) {
  line_.StopBits = bits;
  ApplyLineIfOpen();
}

void TComPort::ApplyLineIfOpen() {
  if (open_) platform_->SetLineSettings(line_);
}

void TComPort::SetTimeouts(const TComTimeouts& timeouts) {
  ApplyTimeoutsIfChanged(timeouts);
}

void TComPort::SetReadInterval(int32_t ms) {
  TComTimeouts t = timeouts_;
  t.ReadInterval = ms;
  ApplyTimeoutsIfChanged(t);
}

void TComPort::SetReadTotalMultiplier(int32_t ms) {
  TComTimeouts t = timeouts_;
  t.ReadTotalMultiplier = ms;
  ApplyTimeoutsIfChanged(t);
}

void TComPort::SetReadTotalConstant(int32_t ms) {
  TComTimeouts t = timeouts_;
  t.ReadTotalConstant = ms;
  ApplyTimeoutsIfChanged(t);
}

void TComPort::SetWriteTotalMultiplier(int32_t ms) {
  TComTimeouts t = timeouts_;
  t.WriteTotalMultiplier = ms;
  ApplyTimeoutsIfChanged(t);
}

void TComPort::SetWriteTotalConstant(int32_t ms) {
  TComTimeouts t = timeouts_;
  t.WriteTotalConstant = ms;
  ApplyTimeoutsIfChanged(t);
}

void TComPort::ApplyTimeoutsIfChanged(const TComTimeouts& wanted) {
  if (wanted == timeouts_) return;
  timeouts_ = wanted;
  if (open_) platform_->SetTimeouts(timeouts_);
}

void TComPort::ApplyPortSettings(const TSettings& settings) {
  Close();
  port_ = settings.COM;
  line_.BaudRate = settings.Speed;
  static constexpr std::array<const char*, 4> kDataBits = {"5", "6", "7", "8"};
  static constexpr std::array<const char*, 5> kParity = {"None", "Odd", "Even", "Mark", "Space"};
  static constexpr std::array<const char*, 3> kStopBits = {"1", "1.5", "2"};
  line_.DataBits =
      static_cast<TDataBits>(LookupIndex(std::to_string(settings.DataBits), kDataBits, dbEight));
  line_.Parity = static_cast<TParityBits>(LookupIndex(settings.Parity, kParity, prNone));
  line_.StopBits = static_cast<TStopBits>(LookupIndex(settings.StopBits, kStopBits, sbOneStopBit));
  timeouts_.ReadInterval = LineTimeout(settings.TimeoutInterval);
  timeouts_.ReadTotalMultiplier = 0;
  timeouts_.ReadTotalConstant = LineTimeout(settings.Timeout);
  timeouts_.WriteTotalMultiplier = 0;
  timeouts_.WriteTotalConstant = LineTimeout(settings.Timeout);
  connectTimeout_ = quillon::ConnectTimeout(settings.Timeout);
}

void TComPort::Open() {
  if (open_) return;
  platform_->SetConnectTimeout(connectTimeout_);
  platform_->Open(port_);
  open_ = true;
  try {
    platform_->SetQueueSizes(kQueueSize, kQueueSize);
    platform_->SetLineSettings(line_);
    platform_->SetTimeouts(timeouts_);
  } catch (...) {
    platform_->Close();
    open_ = false;
    throw;
  }
}

void TComPort::Close() {
  if (!open_) return;
  open_ = false;
  platform_->Close();
}

void TComPort::SetConnected(bool value) {
  if (value == open_) return;
  if (value)
    Open();
  else
    Close();
}

void TComPort::RequireOpen() const {
  if (!open_) throw EComPort(CE_PortNotOpen);
}

void TComPort::PurgeBuffers(bool input, bool output) {
  RequireOpen();
  platform_->Purge(input, output);
}

int TComPort::WriteBytes(const char* data, int count) {
  RequireOpen();
  if (count <= 0) return 0;
  return platform_->Write(data, count);
}

std::string TComPort::ReadText(int count) {
  RequireOpen();
  if (count <= 0) return {};
  std::string text(static_cast<size_t>(count), '\0');
  const int got = platform_->Read(text.data(), count);
  text.resize(static_cast<size_t>(std::clamp(got, 0, count)));
  return text;
}

int TComPort::QueuedInputCount() {
  RequireOpen();
  return platform_->QueuedInputCount();
}

void TComPort::AttachLink(TComLink* link) {
  if (link == nullptr || HasLink(link)) throw EComPort(CE_RegFailed);
  links_.push_back(link);
}

void TComPort::DetachLink(TComLink* link) {
  auto it = std::find(links_.begin(), links_.end(), link);
  if (it == links_.end()) throw EComPort(CE_RegFailed);
  links_.erase(it);
}

bool TComPort::HasLink(const TComLink* link) const {
  return std::find(links_.begin(), links_.end(), link) != links_.end();
}

bool TComPort::SomeLinkWantsData() const {
  return std::any_of(links_.begin(), links_.end(),
                     [](const TComLink* l) { return l->WantsRxData(); });
}

int TComPort::ReadinessHandle() const {
  return open_ ? platform_->ReadinessHandle() : -1;
}

bool TComPort::WantsReadNotifications() const {
  return open_ && SomeLinkWantsData();
}

void TComPort::DispatchEvents() {
  if (!open_ || !SomeLinkWantsData()) return;
  const int n = platform_->QueuedInputCount();
  if (n <= 0) return;
  const std::string data = ReadText(n);
  if (data.empty()) return;
  // A link may detach itself (or another) while it handles the data.
  const std::vector<TComLink*> receivers = links_;
  for (TComLink* link : receivers)
    if (HasLink(link) && link->WantsRxData()) link->RxData(data);
}

}  // namespace quillon
