// The port layer of the program: each port name opens on the platform it names, a device
// (TSerialPosix), tcp://HOST:PORT (TSerialTcp) or rfc2217://HOST:PORT (TSerialRfc2217). The
// platform is chosen at every open, so a port renamed from a device to a network address (or
// back) needs nothing more than a close and an open.
#pragma once

#include <memory>
#include <string>

#include "link/port_address.h"
#include "link/serial_platform.h"

namespace quillon {

class TSerialByName : public ISerialPlatform {
 public:
  TSerialByName();
  ~TSerialByName() override;

  void SetConnectTimeout(int32_t ms) override;
  // A name that is no valid address throws EComPort 1 saying what is wrong with it.
  void Open(const std::string& name) override;
  void Close() override;
  bool IsOpen() const override;
  void SetQueueSizes(int inputSize, int outputSize) override;
  void SetLineSettings(const TLineSettings& settings) override;
  void SetTimeouts(const TComTimeouts& timeouts) override;
  void Purge(bool input, bool output) override;
  int Write(const char* data, int count) override;
  int Read(char* buffer, int count) override;
  int QueuedInputCount() override;
  int ReadinessHandle() const override;

 private:
  ISerialPlatform& Current() const;

  std::unique_ptr<ISerialPlatform> platform_;
  TPortKind kind_ = TPortKind::Local;
  int32_t connectTimeout_;
};

}  // namespace quillon
