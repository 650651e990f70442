// quillon-cli ports: its arguments in process, its output as a script reads it.
#include "cli/cli_ports.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/fake_sysfs.h"
#include "support/run_program.h"

namespace quillon {
namespace {

TEST(CliPorts, Arguments) {
  struct Case {
    std::vector<std::string> args;
    const char* error;  // "" when fine
    bool json, help;
    const char* sys;
  } cases[] = {
      {{}, "", false, false, "/sys"},
      {{"--json"}, "", true, false, "/sys"},
      {{"--help"}, "", false, true, "/sys"},
      {{"--json", "-h"}, "", true, true, "/sys"},
      {{"--sysfs", "/tmp/s", "--dev", "/tmp/d"}, "", false, false, "/tmp/s"},
      {{"--sysfs"}, "--sysfs wants a folder", false, false, "/sys"},
      {{"--dev"}, "--dev wants a folder", false, false, "/sys"},
      {{"--ini"}, "--ini wants a file", false, false, "/sys"},
      {{"--ini", "x.ini", "--json"}, "", true, false, "/sys"},
      {{"COM1"}, "unexpected argument 'COM1'", false, false, "/sys"},
      {{"--port", "x"}, "unexpected argument '--port'", false, false, "/sys"},
  };
  for (const auto& c : cases) {
    cli::TPortsArgs parsed;
    EXPECT_EQ(cli::ParsePortsArgs(c.args, parsed), c.error) << c.args.size();
    if (*c.error) continue;
    EXPECT_EQ(parsed.Json, c.json);
    EXPECT_EQ(parsed.Help, c.help);
    EXPECT_EQ(parsed.SysRoot, c.sys);
  }
}

class CliPortsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::ifstream("quillon-cli")) GTEST_SKIP() << "quillon-cli not built beside the tests";
    test::BuildPc(fake_);
  }
  test::TProgramRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), "ports");
    return test::RunProgram("./quillon-cli", args);
  }
  test::FakeSysfs fake_;
};

TEST_F(CliPortsRun, JsonOfAFakePc) {
  test::TProgramRun run = Run({"--json", "--sysfs", fake_.Sys(), "--dev", fake_.Dev()});
  ASSERT_EQ(run.Code, 0) << run.Err;
  const std::string dev = fake_.Dev();
  EXPECT_EQ(
      run.Out,
      "{\"ports\": [\n"
      "  {\"path\": \"" +
          dev +
          "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\", "
          "\"byId\": \"" +
          dev +
          "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\", "
          "\"node\": \"" +
          dev +
          "/ttyUSB0\", \"kind\": \"usb\", \"driver\": \"ftdi_sio\", "
          "\"vendorId\": \"0403\", \"productId\": \"6001\", \"manufacturer\": \"FTDI\", "
          "\"product\": \"FT232R USB UART\", \"serial\": \"A50285BI\"},\n"
          "  {\"path\": \"" +
          dev + "/ttyACM0\", \"byId\": null, \"node\": \"" + dev +
          "/ttyACM0\", \"kind\": \"acm\", \"driver\": \"cdc_acm\", \"vendorId\": \"2341\", "
          "\"productId\": \"0043\", \"manufacturer\": \"Arduino (www.arduino.cc)\", "
          "\"product\": null, \"serial\": null},\n"
          "  {\"path\": \"" +
          dev + "/ttyS0\", \"byId\": null, \"node\": \"" + dev +
          "/ttyS0\", \"kind\": \"uart\", \"driver\": \"serial\", \"vendorId\": null, "
          "\"productId\": null, \"manufacturer\": null, \"product\": null, \"serial\": null}\n"
          "]}\n");
}

// The network ports last chosen in the settings dialog follow the local ones, newest first.
TEST_F(CliPortsRun, RecentNetworkPortsFollowTheLocalOnes) {
  const std::string ini = fake_.Dir().File("Quillon.ini");
  std::ofstream(ini, std::ios::binary)
      << "[Connection]\r\nRecentPorts=rfc2217://gw:4001,tcp://[::1]:2000\r\n";
  const std::string emptySys = fake_.Dir().File("no-ttys");
  std::filesystem::create_directories(emptySys + "/class/tty");
  test::TProgramRun json = Run({"--json", "--sysfs", emptySys, "--dev", "/x", "--ini", ini});
  ASSERT_EQ(json.Code, 0) << json.Err;
  const std::string nulls =
      "\"byId\": null, \"node\": null, \"kind\": \"network\", \"driver\": null, "
      "\"vendorId\": null, \"productId\": null, \"manufacturer\": null, \"product\": null, "
      "\"serial\": null}";
  EXPECT_EQ(json.Out, "{\"ports\": [\n  {\"path\": \"rfc2217://gw:4001\", " + nulls +
                          ",\n  {\"path\": \"tcp://[::1]:2000\", " + nulls + "\n]}\n");
  test::TProgramRun text = Run({"--sysfs", fake_.Sys(), "--dev", fake_.Dev(), "--ini", ini});
  ASSERT_EQ(text.Code, 0) << text.Err;
  EXPECT_NE(text.Out.find("/ttyS0 \xC2\xB7 uart \xC2\xB7 serial\nrfc2217://gw:4001\tnetwork\n"
                          "tcp://[::1]:2000\tnetwork\n"),
            std::string::npos)
      << text.Out;
}

TEST_F(CliPortsRun, TextHelpAndFailures) {
  test::TProgramRun text = Run({"--sysfs", fake_.Sys(), "--dev", fake_.Dev()});
  ASSERT_EQ(text.Code, 0) << text.Err;
  EXPECT_EQ(text.Out, fake_.Dev() + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0\t" +
                          fake_.Dev() +
                          "/ttyUSB0 \xC2\xB7 usb \xC2\xB7 ftdi_sio \xC2\xB7 USB 0403:6001 \xC2\xB7 "
                          "FTDI FT232R USB UART \xC2\xB7 A50285BI\n" +
                          fake_.Dev() + "/ttyACM0\t" + fake_.Dev() +
                          "/ttyACM0 \xC2\xB7 acm \xC2\xB7 cdc_acm \xC2\xB7 USB 2341:0043 \xC2\xB7 "
                          "Arduino (www.arduino.cc)\n" +
                          fake_.Dev() + "/ttyS0\t" + fake_.Dev() +
                          "/ttyS0 \xC2\xB7 uart \xC2\xB7 serial\n");

  test::TProgramRun empty = Run({"--json", "--sysfs", fake_.Dir().File("sys2"), "--dev", "/x"});
  EXPECT_EQ(empty.Code, 1);
  EXPECT_TRUE(empty.Out.empty());
  EXPECT_NE(empty.Err.find("sys2"), std::string::npos) << empty.Err;

  test::TProgramRun help = Run({"--help"});
  EXPECT_EQ(help.Code, 0);
  EXPECT_NE(help.Out.find("\"vendorId\""), std::string::npos) << help.Out;

  test::TProgramRun usage = Run({"--bogus"});
  EXPECT_EQ(usage.Code, 2);
  EXPECT_TRUE(usage.Out.empty());
  EXPECT_NE(usage.Err.find("--bogus"), std::string::npos) << usage.Err;

  // The machine's own list, whatever it holds, is a JSON document.
  test::TProgramRun own = Run({"--json"});
  EXPECT_EQ(own.Code, 0) << own.Err;
  EXPECT_EQ(own.Out.rfind("{\"ports\": [", 0), 0u) << own.Out;
}

}  // namespace
}  // namespace quillon
