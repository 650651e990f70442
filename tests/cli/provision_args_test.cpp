// quillon-cli provision: its arguments in process and the ports they name.
#include "cli/provision_args.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/temp_dir.h"

namespace quillon {
namespace {

TEST(ProvisionArgs, TableOfArguments) {
  struct Case {
    std::vector<std::string> args;
    const char* error;  // "" when fine
  } cases[] = {
      {{"--config", "t.zxml", "--ports", "/dev/a,/dev/b*"}, ""},
      {{"--config", "t.zxml", "--all-ports", "--jobs", "2", "--watch", "--no-store"}, ""},
      {{"--ports", "/dev/a"}, "--config TEMPLATE.zxml is required"},
      {{"--config", "t.zxml"}, "--ports or --all-ports is required"},
      {{"--config", "t.zxml", "--all-ports", "--jobs", "0"},
       "--jobs wants a number of workers from 1"},
      {{"--config", "t.zxml", "--all-ports", "--jobs", "x"},
       "--jobs wants a number of workers from 1"},
      {{"--config", "t.zxml", "--ports"}, "--ports wants a value"},
      {{"--config", "t.zxml", "--all-ports", "--json"}, "unknown option '--json'"},
      {{"--config", "t.zxml", "--all-ports", "--frobnicate"}, "unknown option '--frobnicate'"},
      {{"--config", "t.zxml", "--all-ports", "extra"}, "unexpected argument 'extra'"},
      {{"--config", "t.zxml", "--port", "/dev/a"},
       "--port names one port; use --ports or --all-ports"},
  };
  for (const Case& c : cases) {
    cli::TProvisionArgs parsed;
    EXPECT_EQ(cli::ParseProvisionArgs(c.args, parsed), c.error) << c.args.back();
  }
  cli::TProvisionArgs parsed;
  ASSERT_EQ(cli::ParseProvisionArgs({"--config", "t.zxml", "--ports", "/dev/a,,/dev/b*", "--jobs",
                                     "3", "--snapshots", "/srv/s"},
                                    parsed),
            "");
  EXPECT_EQ(parsed.Patterns, (std::vector<std::string>{"/dev/a", "/dev/b*"}));
  EXPECT_EQ(parsed.Jobs, 3);
  EXPECT_EQ(parsed.Snapshots, "/srv/s");
}

// Addresses on the network are checked as given and taken as they are, never as globs: the
// brackets of an IPv6 literal would otherwise match nothing.
TEST(ProvisionArgs, NetworkPortsAreCheckedAndNeverGlobbed) {
  cli::TProvisionArgs parsed;
  ASSERT_EQ(
      cli::ParseProvisionArgs(
          {"--config", "t.zxml", "--ports", "tcp://gw:4001,/dev/a,rfc2217://[::1]:2000"}, parsed),
      "");
  const std::vector<std::string> ports = cli::ProvisionPorts(parsed, {});
  EXPECT_EQ(ports, (std::vector<std::string>{"/dev/a", "rfc2217://[::1]:2000", "tcp://gw:4001"}));
  for (const char* bad : {"tcp://gw", "ssh://gw:22", "rfc2217://gw:0", "tcp://::1:2000"}) {
    const std::string error = cli::ParseProvisionArgs(
        {"--config", "t.zxml", "--ports", "/dev/a," + std::string(bad)}, parsed);
    EXPECT_EQ(error.rfind("bad port address '" + std::string(bad) + "': ", 0), 0u) << error;
  }
}

// Globs match what is there now; plain paths stay; --all-ports adds USB adapters only.
TEST(ProvisionArgs, PortsFromGlobsAndTheUsbAdapters) {
  test::TempDir dir;
  for (const char* name : {"line2", "line10", "line1", "other"}) dir.Write(name, "");
  cli::TProvisionArgs args;
  args.Patterns = {dir.File("line*"), "/dev/ttyS9", dir.File("none*")};
  args.AllPorts = true;
  std::vector<TSerialPortInfo> listed(3);
  listed[0].Path = "/dev/ttyUSB0";
  listed[0].Kind = "usb";
  listed[1].Path = "/dev/ttyS0";
  listed[1].Kind = "uart";
  listed[2].Path = "/dev/ttyACM0";
  listed[2].Kind = "acm";
  const std::vector<std::string> ports = cli::ProvisionPorts(args, listed);
  for (const std::string& expected :
       {dir.File("line1"), dir.File("line2"), dir.File("line10"), std::string("/dev/ttyS9"),
        std::string("/dev/ttyUSB0"), std::string("/dev/ttyACM0")})
    EXPECT_NE(std::find(ports.begin(), ports.end(), expected), ports.end()) << expected;
  EXPECT_EQ(ports.size(), 6u);
  EXPECT_EQ(std::find(ports.begin(), ports.end(), "/dev/ttyS0"), ports.end());
}

}  // namespace
}  // namespace quillon
