// TComDataPacket: cuts packets out of the serial receive stream. Attached to a port it takes
// every chunk the port receives between transactions (the status window's report stream) and
// calls OnPacket once per packet, in arrival order.
#pragma once

#include <functional>
#include <string>

#include "link/com_port.h"

namespace quillon {

class TComDataPacket : public TComLink {
 public:
  static constexpr int kDefaultMaxBufferSize = 1024;

  TComDataPacket() = default;
  ~TComDataPacket() override;  // detaches from its port
  TComDataPacket(const TComDataPacket&) = delete;
  TComDataPacket& operator=(const TComDataPacket&) = delete;

  // Markers and size. Setting a different value resets the buffer.
  const std::string& StartString() const { return startString_; }
  void SetStartString(const std::string& value);
  const std::string& StopString() const { return stopString_; }
  void SetStopString(const std::string& value);
  int Size() const { return size_; }  // fixed packet length; 0 or less: none
  void SetSize(int value);
  bool CaseInsensitive() const { return caseInsensitive_; }
  void SetCaseInsensitive(bool value);

  bool IncludeStrings = false;                // keep the markers in the packet
  int MaxBufferSize = kDefaultMaxBufferSize;  // 0 or less: no limit
  std::function<void(const std::string&)> OnPacket;

  // The port it listens to; nullptr detaches. Neither attaching nor detaching clears the buffer.
  TComPort* ComPort() const { return port_; }
  void SetComPort(TComPort* port);

  // One received chunk (8-bit characters, taken as they are).
  void AddData(const std::string& chunk);
  // Discards a non-empty buffer and leaves the packet; an empty buffer changes nothing.
  void ResetBuffer();

  const std::string& Buffer() const { return buffer_; }
  bool InPacket() const { return inPacket_; }

  // TComLink
  bool WantsRxData() const override { return true; }
  void RxData(const std::string& data) override { AddData(data); }

 private:
  void ProcessBuffer();
  bool CutOnePacket();
  size_t Find(const std::string& marker, size_t from);
  void Deliver(std::string packet);
  void LimitBuffer();

  std::string startString_;
  std::string stopString_;
  int size_ = 0;
  bool caseInsensitive_ = false;
  TComPort* port_ = nullptr;
  std::string buffer_;
  bool inPacket_ = false;
  size_t searchFrom_ = 0;  // the buffer before it holds no complete marker
};

}  // namespace quillon
