// The simulated terminal's end of the line: a pseudo-terminal whose device side the client
// opens as its serial port. A handle on the device side stays open here, so the client may
// close and reopen it without the terminal seeing a hang-up.
#pragma once

#include <sys/types.h>

#include <string>

namespace quillon {

class TSimPtyTransport {
 public:
  TSimPtyTransport() = default;
  ~TSimPtyTransport();
  TSimPtyTransport(const TSimPtyTransport&) = delete;
  TSimPtyTransport& operator=(const TSimPtyTransport&) = delete;

  // Opens the pseudo-terminal with the device side in raw mode.
  bool Open(std::string& error);
  // The path the client opens, e.g. /dev/pts/7.
  const std::string& DevicePath() const { return devicePath_; }

  // Makes linkPath a symbolic link to the device. An existing symbolic link there is replaced;
  // anything else is left alone and reported.
  bool MakeLink(const std::string& linkPath, std::string& error);

  // The line settings the client gave the device, e.g. "19200 8N2"; empty once closed.
  std::string LineSettings() const;

  // The descriptor to wait on for received bytes; -1 once closed.
  int Descriptor() const { return master_; }
  // Non-blocking; the results of read(2) and write(2).
  ssize_t Read(char* buffer, size_t size);
  ssize_t Write(const char* data, size_t size);

  // Closes both sides at once, as an adapter pulled out of its socket: the client's next read
  // or write fails. Also removes the link.
  void HangUp();
  // Removes the link (when it still leads to this device) and closes everything.
  void Close();

 private:
  void RemoveLink();

  int master_ = -1;
  int slave_ = -1;
  std::string devicePath_;
  std::string linkPath_;
};

}  // namespace quillon
