#include "status/com_data_packet.h"

#include <algorithm>

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
  searchFrom_ = 0;
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
      searchFrom_ = 0;
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
  searchFrom_ = 0;
  Deliver(std::move(packet));
  return true;
}

// First occurrence of marker in the buffer at or after from. The part of the buffer already
// searched in vain is not searched again: a packet that comes in many small chunks costs work
// in proportion to its length.
size_t TComDataPacket::Find(const std::string& marker, size_t from) {
  from = std::max(from, searchFrom_);
  const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  const auto same = [&](char a, char b) {
    return caseInsensitive_ ? upper(a) == upper(b) : a == b;
  };
  const auto at =
      std::search(buffer_.begin() + static_cast<std::ptrdiff_t>(std::min(from, buffer_.size())),
                  buffer_.end(), marker.begin(), marker.end(), same);
  if (at != buffer_.end()) return static_cast<size_t>(at - buffer_.begin());
  // A marker may begin in the last marker-length - 1 characters and end in the next chunk.
  searchFrom_ = buffer_.size() >= marker.size() ? buffer_.size() - marker.size() + 1 : 0;
  return std::string::npos;
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
    searchFrom_ = 0;
  }
}

}  // namespace quillon
