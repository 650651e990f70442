// Where a port is. A local port is a device path or a bare name (/dev/ttyUSB0, ttyUSB0, COM3);
// a serial line published on the network is a URL: tcp://HOST:PORT carries the bytes as they
// are (the remote port keeps its own line settings), rfc2217://HOST:PORT is telnet with remote
// control of the line (rate, character size, parity, stop bits, purging). An IPv6 literal is
// written in brackets: rfc2217://[::1]:2000.
#pragma once

#include <cstdint>
#include <string>

namespace quillon {

enum class TPortKind { Local, Tcp, Rfc2217 };

struct TPortAddress {
  TPortKind Kind = TPortKind::Local;
  std::string Name;  // a local port's name as given
  std::string Host;  // a network port's host, without brackets
  uint16_t Port = 0;

  bool IsNetwork() const { return Kind != TPortKind::Local; }
  // "HOST:PORT" as messages name it, an IPv6 literal in brackets.
  std::string Endpoint() const;
  // The address as it is stored and shown: the scheme in lower case, then the endpoint; a local
  // port's name.
  std::string Text() const;
};

// True for a name written as a URL ("scheme://..."), whether or not the scheme is known: such a
// name is never a device path, nor a glob.
bool LooksLikeUrl(const std::string& name);

// Reads a port name. A local name is taken as it is; a URL must have a known scheme (in any
// letter case), a host and a port from 1 to 65535, and nothing after the port. False with error
// saying what is wrong, in the interface language.
bool ParsePortAddress(const std::string& name, TPortAddress& address, std::string& error);

}  // namespace quillon
