// A serial line published on the network as a raw byte stream: tcp://HOST:PORT. The bytes pass
// as they are, both ways; the line settings cannot be sent, so the remote port keeps its own.
// The read and write time-outs are those of a local port.
#pragma once

#include <memory>
#include <string>

#include "link/serial_platform.h"

namespace quillon {

class TSerialTcp : public ISerialPlatform {
 public:
  TSerialTcp();
  ~TSerialTcp() override;

  void SetConnectTimeout(int32_t ms) override;
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
