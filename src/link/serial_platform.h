// The operating-system side of the serial port: the operations the port component needs, behind
// one interface, so that the port and everything above it run the same on a real device, a
// pseudo-terminal or a simulated line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace quillon {

enum TDataBits { dbFive, dbSix, dbSeven, dbEight };
enum TParityBits { prNone, prOdd, prEven, prMark, prSpace };
enum TStopBits { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };

// The communications time-outs in milliseconds; -1 stands for the all-ones maximum value.
//
// A read of N bytes completes as soon as N bytes are in, or when ReadTotalConstant +
// ReadTotalMultiplier * N ms have passed (a total of 0 means no total limit), or when at least one
// byte is in and more than ReadInterval ms pass without another (0: no gap limit). ReadInterval
// -1 with both totals 0 returns at once with whatever is queued. A write of N bytes gives up after
// WriteTotalConstant + WriteTotalMultiplier * N ms (0: no limit) and reports what went out.
struct TComTimeouts {
  int32_t ReadInterval = -1;
  int32_t ReadTotalMultiplier = 0;
  int32_t ReadTotalConstant = 0;
  int32_t WriteTotalMultiplier = 100;
  int32_t WriteTotalConstant = 1000;

  bool operator==(const TComTimeouts&) const = default;
};

struct TLineSettings {
  int32_t BaudRate = 9600;
  TDataBits DataBits = dbEight;
  TParityBits Parity = prNone;
  TStopBits StopBits = sbOneStopBit;
};

// One serial device as the operating system offers it. Every failure throws EComPort with the
// port's error number and the system error code. Calls on a closed device throw EComPort 24.
class ISerialPlatform {
 public:
  virtual ~ISerialPlatform() = default;

  // How long Open may take on a line that connects first (a port on the network, see
  // ConnectTimeout()); a local device opens at once and ignores it.
  virtual void SetConnectTimeout(int32_t) {}
  // Opens the named device exclusively for reading and writing (EComPort 1 when it is absent or
  // in use).
  virtual void Open(const std::string& name) = 0;
  // Releases the device; never throws, does nothing when closed.
  virtual void Close() = 0;
  virtual bool IsOpen() const = 0;

  virtual void SetQueueSizes(int inputSize, int outputSize) = 0;
  // Binary mode, no handshake of any kind, DTR and RTS inactive.
  virtual void SetLineSettings(const TLineSettings& settings) = 0;
  virtual void SetTimeouts(const TComTimeouts& timeouts) = 0;
  virtual void Purge(bool input, bool output) = 0;

  // Writes under the write time-out; returns how many bytes went out.
  virtual int Write(const char* data, int count) = 0;
  // Reads up to count bytes under the read time-out rules; fewer (even 0) is not an error.
  virtual int Read(char* buffer, int count) = 0;
  // Bytes waiting in the input queue.
  virtual int QueuedInputCount() = 0;

  // A descriptor that polls readable when input is waiting (or the device hung up), for the
  // front end's event loop; -1 when there is none (closed, or a line without one).
  virtual int ReadinessHandle() const = 0;

  // Milliseconds of the line's clock (a monotonic clock; a simulated line has its own).
  virtual int64_t NowMs() const;
};

// The platform layer of this build for real ports: each port name opens on the platform it
// names (a device, tcp:// or rfc2217://, see port_address.h).
std::shared_ptr<ISerialPlatform> CreateSerialPlatform();

}  // namespace quillon
