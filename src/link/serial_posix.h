// The serial layer for POSIX systems: real ttys (USB adapters, on-board UARTs) and
// pseudo-terminals. Port names: a name holding "/" is a device path; "COMn" means /dev/ttyS(n-1);
// any other bare name is looked up in /dev ("ttyUSB0" -> /dev/ttyUSB0).
#pragma once

#include <memory>
#include <string>

#include "link/serial_platform.h"

namespace quillon {

class TSerialPosix : public ISerialPlatform {
 public:
  TSerialPosix();
  ~TSerialPosix() override;

  // The device path a port name stands for.
  static std::string DevicePath(const std::string& name);

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
  class Private;
  std::unique_ptr<Private> d_;
};

}  // namespace quillon
