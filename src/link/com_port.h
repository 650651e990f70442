// TComPort: the one serial-port component of the program. It carries the port name, the line
// settings and the time-outs, opens and closes the device, writes and reads for the transaction,
// and hands received bytes to attached links (the status window's packet framer) when the front
// end dispatches the port's events.
//
// Event path: there is no thread of its own. The front end watches ReadinessHandle() in its event
// loop while WantsReadNotifications() is true and calls DispatchEvents() when it polls readable
// and no transaction runs. Readiness is level-triggered, so while no link wants data the handle
// must not be watched: the bytes stay queued for the next transaction to read (or purge).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/com_error.h"
#include "link/serial_platform.h"

namespace quillon {

struct TSettings;

// Something attached to the port that may want the bytes it receives between transactions.
class TComLink {
 public:
  virtual ~TComLink() = default;
  // Asked on every dispatch; a link that says false leaves the bytes for the transaction.
  virtual bool WantsRxData() const = 0;
  virtual void RxData(const std::string& data) = 0;
};

class TComPort {
 public:
  static constexpr int kQueueSize = 1024;

  // Without a platform the build's real serial layer is used.
  explicit TComPort(std::shared_ptr<ISerialPlatform> platform = nullptr);
  ~TComPort();
  TComPort(const TComPort&) = delete;
  TComPort& operator=(const TComPort&) = delete;

  // Line properties. Changing one while open applies it to the device at once (a new name
  // reopens the port).
  const std::string& Port() const { return port_; }
  void SetPort(const std::string& name);
  int32_t CustomBaudRate() const { return line_.BaudRate; }
  void SetCustomBaudRate(int32_t rate);
  TDataBits DataBits() const { return line_.DataBits; }
  void SetDataBits(TDataBits bits);
  TParityBits Parity() const { return line_.Parity; }
  void SetParity(TParityBits parity);
  TStopBits StopBits() const { return line_.StopBits; }
  void SetStopBits(TStopBits bits);

  // Time-outs: a value that differs from the stored one reaches the device at once while open.
  const TComTimeouts& Timeouts() const { return timeouts_; }
  void SetTimeouts(const TComTimeouts& timeouts);
  void SetReadInterval(int32_t ms);
  void SetReadTotalMultiplier(int32_t ms);
  void SetReadTotalConstant(int32_t ms);
  void SetWriteTotalMultiplier(int32_t ms);
  void SetWriteTotalConstant(int32_t ms);

  // Copies the program settings into the properties; closes the port first if it is open.
  void ApplyPortSettings(const TSettings& settings);
  // How long opening a port on the network may take (from the Timeout setting).
  int32_t ConnectTimeout() const { return connectTimeout_; }

  void Open();   // nothing if open; EComPort on failure, leaving the port closed
  void Close();  // nothing if closed; never throws
  bool Connected() const { return open_; }
  void SetConnected(bool value);

  void PurgeBuffers(bool input, bool output);
  // Returns how many bytes went out within the write time-out.
  int WriteBytes(const char* data, int count);
  int WriteBytes(const std::string& data) {
    return WriteBytes(data.data(), static_cast<int>(data.size()));
  }
  // Up to count bytes under the read time-outs; a count of 0 returns "" at once.
  std::string ReadText(int count);
  int QueuedInputCount();

  // Links. Attaching one twice or detaching a stranger throws EComPort 18.
  void AttachLink(TComLink* link);
  void DetachLink(TComLink* link);
  bool HasLink(const TComLink* link) const;

  // Event path (see above).
  int ReadinessHandle() const;
  bool WantsReadNotifications() const;
  // Reads what is queued and hands it to every link that wants data, in attachment order; does
  // nothing while no link wants data. A device that vanished throws EComPort.
  void DispatchEvents();

  ISerialPlatform& Platform() { return *platform_; }

 private:
  void RequireOpen() const;
  void ApplyLineIfOpen();
  void ApplyTimeoutsIfChanged(const TComTimeouts& wanted);
  bool SomeLinkWantsData() const;

  std::shared_ptr<ISerialPlatform> platform_;
  std::string port_ = "COM1";
  TLineSettings line_;
  TComTimeouts timeouts_;
  int32_t connectTimeout_;
  bool open_ = false;
  std::vector<TComLink*> links_;
};

}  // namespace quillon
