// A serial line published on the network with remote line control: rfc2217://HOST:PORT, telnet
// with the COM-PORT option. Opening negotiates binary mode both ways (a lone CR, a NUL and the
// byte 0xFF pass unchanged) and refuses a server that declines it; the line settings go to the
// remote port and each answer is checked; a purge purges the server's buffers too. Reads and
// writes count data bytes only and keep the time-outs of a local port.
#pragma once

#include <memory>
#include <string>

#include "link/serial_platform.h"

namespace quillon {

class TSerialRfc2217 : public ISerialPlatform {
 public:
  TSerialRfc2217();
  ~TSerialRfc2217() override;

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
  // Polls readable while decoded data waits, or the socket has something (which may turn out to
  // be negotiation only: QueuedInputCount then says 0).
  int ReadinessHandle() const override;

 private:
  class Private;
  std::unique_ptr<Private> d_;
};

}  // namespace quillon
