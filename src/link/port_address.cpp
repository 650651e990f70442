#include "link/port_address.h"

#include <algorithm>
#include <cctype>

#include "profile/fixed_texts.h"

namespace quillon {

namespace {

constexpr const char kSchemeEnd[] = "://";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// A scheme is a letter followed by letters, digits, "+", "-" or ".".
bool IsScheme(const std::string& text) {
  if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  return std::all_of(text.begin(), text.end(), [](unsigned char c) {
    return std::isalnum(c) || c == '+' || c == '-' || c == '.';
  });
}

// How an IPv6 literal written without brackets should have been written: a last group of
// digits is taken for the port, unless "::" stands right before it ("fe80::1").
std::string BracketedHint(const std::string& scheme, const std::string& rest) {
  const size_t colon = rest.rfind(':');
  const std::string tail = colon == std::string::npos ? std::string() : rest.substr(colon + 1);
  const bool portLike = !tail.empty() &&
                        tail.find_first_not_of("0123456789") == std::string::npos && colon > 0 &&
                        rest[colon - 1] != ':';
  const std::string host = portLike ? rest.substr(0, colon) : rest;
  return scheme + "://[" + host + "]:" + (portLike ? tail : "PORT");
}

// Splits "HOST:PORT" or "[V6]:PORT"; fills host and the port's text (empty when none).
bool SplitEndpoint(const std::string& scheme, const std::string& rest, std::string& host,
                   std::string& port, std::string& error) {
  size_t portFrom = std::string::npos;
  if (!rest.empty() && rest[0] == '[') {
    const size_t close = rest.find(']');
    if (close == std::string::npos) {
      error = Text(TText::PortAddressIPv6, {BracketedHint(scheme, rest.substr(1))});
      return false;
    }
    host = rest.substr(1, close - 1);
    if (close + 1 < rest.size()) {
      if (rest[close + 1] != ':') {
        error = Text(TText::PortAddressTrailing, {rest.substr(close + 1)});
        return false;
      }
      portFrom = close + 2;
    }
  } else {
    const size_t colon = rest.find(':');
    // Two colons or more: an IPv6 literal without its brackets, where the port cannot be told
    // from the address.
    if (colon != std::string::npos && rest.find(':', colon + 1) != std::string::npos) {
      error = Text(TText::PortAddressIPv6, {BracketedHint(scheme, rest)});
      return false;
    }
    host = rest.substr(0, colon);
    if (colon != std::string::npos) portFrom = colon + 1;
  }
  port = portFrom == std::string::npos ? std::string() : rest.substr(portFrom);
  return true;
}

}  // namespace

std::string TPortAddress::Endpoint() const {
  const bool v6 = Host.find(':') != std::string::npos;
  return (v6 ? "[" + Host + "]" : Host) + ":" + std::to_string(Port);
}

std::string TPortAddress::Text() const {
  switch (Kind) {
    case TPortKind::Tcp:
      return "tcp://" + Endpoint();
    case TPortKind::Rfc2217:
      return "rfc2217://" + Endpoint();
    case TPortKind::Local:
      break;
  }
  return Name;
}

bool LooksLikeUrl(const std::string& name) {
  const size_t end = name.find(kSchemeEnd);
  return end != std::string::npos && IsScheme(name.substr(0, end));
}

bool ParsePortAddress(const std::string& name, TPortAddress& address, std::string& error) {
  address = TPortAddress();
  error.clear();
  if (!LooksLikeUrl(name)) {
    address.Name = name;
    return true;
  }
  const size_t end = name.find(kSchemeEnd);
  const std::string scheme = Lower(name.substr(0, end));
  if (scheme == "tcp")
    address.Kind = TPortKind::Tcp;
  else if (scheme == "rfc2217")
    address.Kind = TPortKind::Rfc2217;
  else {
    error = Text(TText::PortAddressScheme, {name.substr(0, end)});
    return false;
  }
  const std::string rest = name.substr(end + sizeof kSchemeEnd - 1);
  std::string host, port;
  if (!SplitEndpoint(scheme, rest, host, port, error)) return false;
  if (host.empty()) {
    error = Text(TText::PortAddressNoHost, {name});
    return false;
  }
  if (port.empty()) {
    error = Text(TText::PortAddressNoPort, {name});
    return false;
  }
  // The digits that begin the port; anything after them (a path, a query) is not understood.
  const size_t digits = std::min(port.find_first_not_of("0123456789"), port.size());
  if (digits == 0) {
    error = Text(TText::PortAddressNoPort, {name});
    return false;
  }
  if (digits < port.size()) {
    error = Text(TText::PortAddressTrailing, {port.substr(digits)});
    return false;
  }
  const std::string number = port.substr(0, digits);
  const long value = number.size() <= 9 ? std::stol(number) : 0;
  if (value < 1 || value > 65535) {
    error = Text(TText::PortAddressPortRange, {number});
    return false;
  }
  address.Host = host;
  address.Port = static_cast<uint16_t>(value);
  address.Name = address.Text();
  return true;
}

}  // namespace quillon
