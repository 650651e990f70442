// Port names: local names pass as they are; network URLs are read into scheme, host and port,
// and every malformed one is refused with a reason naming what is wrong.
#include <gtest/gtest.h>

#include "link/port_address.h"

namespace quillon::test {
namespace {

TEST(PortAddressTest, GoodNamesAndTheirStoredForm) {
  struct Case {
    const char* name;
    TPortKind kind;
    const char* host;
    int port;
    const char* text;  // stored and shown
  } cases[] = {
      {"/dev/ttyUSB0", TPortKind::Local, "", 0, "/dev/ttyUSB0"},
      {"COM3", TPortKind::Local, "", 0, "COM3"},
      // A colon without "//" is no URL: a by-id name may hold one.
      {"/dev/serial/by-id/usb-FTDI:1", TPortKind::Local, "", 0, "/dev/serial/by-id/usb-FTDI:1"},
      {"tcp://127.0.0.1:2000", TPortKind::Tcp, "127.0.0.1", 2000, "tcp://127.0.0.1:2000"},
      {"RFC2217://Gateway.local:4001", TPortKind::Rfc2217, "Gateway.local", 4001,
       "rfc2217://Gateway.local:4001"},
      {"rfc2217://[::1]:2000", TPortKind::Rfc2217, "::1", 2000, "rfc2217://[::1]:2000"},
      {"tcp://h:1", TPortKind::Tcp, "h", 1, "tcp://h:1"},
      {"tcp://h:65535", TPortKind::Tcp, "h", 65535, "tcp://h:65535"},
      {"tcp://h:0002000", TPortKind::Tcp, "h", 2000, "tcp://h:2000"},
  };
  for (const Case& c : cases) {
    TPortAddress a;
    std::string error;
    ASSERT_TRUE(ParsePortAddress(c.name, a, error)) << c.name << ": " << error;
    EXPECT_EQ(a.Kind, c.kind) << c.name;
    EXPECT_EQ(a.Host, c.host) << c.name;
    EXPECT_EQ(a.Port, c.port) << c.name;
    EXPECT_EQ(a.Text(), c.text) << c.name;
    EXPECT_EQ(a.IsNetwork(), c.kind != TPortKind::Local) << c.name;
  }
}

// The reason names the part that is wrong (the built-in texts are the interface's Russian).
TEST(PortAddressTest, BadAddressesSayWhatIsWrong) {
  struct Case {
    const char* name;
    const char* reasonHolds;
  } cases[] = {
      {"tcp://127.0.0.1", "нет номера порта"},
      {"tcp://127.0.0.1:", "нет номера порта"},
      {"rfc2217://host:x1", "нет номера порта"},
      {"tcp://host:0", "0 вне пределов 1..65535"},
      {"tcp://host:65536", "65536 вне пределов 1..65535"},
      {"tcp://host:99999999999", "вне пределов 1..65535"},
      {"ssh://host:22", "неизвестная схема адреса ssh://"},
      {"socket://host:2000", "неизвестная схема адреса socket://"},
      {"tcp://:2000", "нет имени узла"},
      {"rfc2217://[]:2000", "нет имени узла"},
      {"tcp://::1:2000", "квадратных скобках: tcp://[::1]:2000"},
      {"tcp://[::1:2000", "квадратных скобках: tcp://[::1]:2000"},
      {"tcp://fe80::1", "квадратных скобках: tcp://[fe80::1]:PORT"},
      {"tcp://host:2000/ttyS0", "лишний текст \"/ttyS0\""},
      {"rfc2217://[::1]x", "лишний текст \"x\""},
  };
  for (const Case& c : cases) {
    TPortAddress a;
    std::string error;
    EXPECT_FALSE(ParsePortAddress(c.name, a, error)) << c.name;
    EXPECT_NE(error.find(c.reasonHolds), std::string::npos) << c.name << ": " << error;
  }
}

TEST(PortAddressTest, OnlyASchemeFollowedBySlashesMakesAUrl) {
  EXPECT_TRUE(LooksLikeUrl("tcp://x"));
  EXPECT_TRUE(LooksLikeUrl("weird+scheme://x"));
  EXPECT_FALSE(LooksLikeUrl("/dev/tty*"));
  EXPECT_FALSE(LooksLikeUrl("://x"));
  EXPECT_FALSE(LooksLikeUrl("/tmp/a://b"));
}

}  // namespace
}  // namespace quillon::test
