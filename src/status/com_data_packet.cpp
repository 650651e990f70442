#include "status/com_data_packet.h"

#include "profile/text_utils.h"

namespace quillon {

TComDataPacket::~TComDataPacket() {
  try {
    SetComPort(nullptr);
  } catch (...) {
    // A port that lost track of the link has nothing left to detach.
  }
}

void TComDataPacket::SetStartString(const std::string& value) {
  if (value == startString_) return;
  startString_ = value;
  ResetBuffer();
}

void TComDataPacket::SetStopString(const std::string& value) {
  if (value == stopString_) return;
  stopString_ = value;
  ResetBuffer();
}

void TComDataPacket::SetSize(int value) {
  if (value == size_) return;
  size_ = value;
  ResetBuffer();
}

void TComDataPacket::SetCaseInsensitive(bool value) {
  if (value == caseInsensitive_) return;
  caseInsensitive_ = value;
  ResetBuffer();
}

void TComDataPacket::SetComPort(TComPort* port) {
  if (port == port_) return;
  if (port_ != nullptr && port_->HasLink(this)) port_->DetachLink(this);
  port_ = nullptr;
  if (port != nullptr) port->AttachLink(this);
  port_ = port;
}

void TComDataPacket::ResetBuffer() {
  if (buffer_.empty()) return;
  buffer_.clear();
  inPacket_ = false;
}

void TComDataPacket::AddData(const std::string& chunk) {
  // Without an end condition every chunk is a packet of its own.
  if (size_ <= 0 && stopString_.empty()) {
    Deliver(chunk);
    return;
  }
  buffer_ += chunk;
  ProcessBuffer();
}

void TComDataPacket::ProcessBuffer() {
  bool more = true;
  while (more) {
    try {
      more = CutOnePacket();
    } catch (...) {
      // The limit holds even when the packet handler failed.
      LimitBuffer();
      throw;
    }
    LimitBuffer();
  }
}

// One pass: finds the start and the end of a packet and delivers it. False when no packet was
// complete.
bool TComDataPacket::CutOnePacket() {
  if (!inPacket_) {
    if (startString_.empty()) {
      inPacket_ = true;
    } else {
      const size_t at = Find(startString_, 0);
      if (at == std::string::npos) return false;
      inPacket_ = true;
      buffer_.erase(0, at);
    }
  }

  size_t cut = std::string::npos;
  if (size_ > 0 && buffer_.size() >= static_cast<size_t>(size_)) {
    cut = static_cast<size_t>(size_);
  } else if (!stopString_.empty()) {
    const size_t at = Find(stopString_, startString_.size());
    if (at != std::string::npos) cut = at + stopString_.size();
  }
  if (cut == std::string::npos) return false;

  inPacket_ = false;
  std::string packet = buffer_.substr(0, cut);
  buffer_.erase(0, cut);
  Deliver(std::move(packet));
  return true;
}

// First occurrence of marker in the buffer at or after from.
size_t TComDataPacket::Find(const std::string& marker, size_t from) const {
  if (from > buffer_.size()) return std::string::npos;
  if (!caseInsensitive_) return buffer_.find(marker, from);
  return UpperAscii(buffer_).find(UpperAscii(marker), from);
}

void TComDataPacket::Deliver(std::string packet) {
  if (!IncludeStrings) {
    const auto same = [this](const std::string& a, const std::string& b) {
      return caseInsensitive_ ? UpperAscii(a) == UpperAscii(b) : a == b;
    };
    if (!startString_.empty() && packet.size() >= startString_.size() &&
        same(packet.substr(0, startString_.size()), startString_))
      packet.erase(0, startString_.size());
    if (!stopString_.empty()) {
      const std::string text = caseInsensitive_ ? UpperAscii(packet) : packet;
      const size_t at = text.find(caseInsensitive_ ? UpperAscii(stopString_) : stopString_);
      if (at != std::string::npos && at + stopString_.size() == packet.size()) packet.erase(at);
    }
  }
  if (OnPacket) OnPacket(packet);
}

void TComDataPacket::LimitBuffer() {
  if (MaxBufferSize > 0 && buffer_.size() >= static_cast<size_t>(MaxBufferSize)) {
    buffer_.clear();
    inPacket_ = false;
  }
}

}  // namespace quillon
