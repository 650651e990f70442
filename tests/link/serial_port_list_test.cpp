// The serial port list on a fake sysfs tree and on the machine's own.
#include "link/serial_port_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/fake_sysfs.h"

namespace quillon {
namespace {

namespace fs = std::filesystem;
using test::BuildPc;
using test::FakeSysfs;

TEST(SerialPortList, FakePc) {
  FakeSysfs fake;
  BuildPc(fake);
  auto ports = ListSerialPorts(fake.Sys(), fake.Dev());
  ASSERT_TRUE(ports);
  ASSERT_EQ(ports->size(), 3u) << "no phantom UART, no virtual terminal";
  const std::string dev = fake.Dev();

  const TSerialPortInfo& usb = (*ports)[0];
  EXPECT_EQ(usb.Path, dev + "/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
  EXPECT_EQ(usb.ById, usb.Path);
  EXPECT_EQ(usb.Node, dev + "/ttyUSB0");
  EXPECT_EQ(usb.Kind, "usb");
  EXPECT_EQ(usb.Driver, "ftdi_sio");
  EXPECT_EQ(usb.VendorId, "0403");
  EXPECT_EQ(usb.ProductId, "6001");
  EXPECT_EQ(usb.Manufacturer, "FTDI");
  EXPECT_EQ(usb.Product, "FT232R USB UART");
  EXPECT_EQ(usb.Serial, "A50285BI");
  EXPECT_EQ(PortHint(usb), dev +
                               "/ttyUSB0 · usb · ftdi_sio · USB 0403:6001 · FTDI FT232R USB UART "
                               "· A50285BI");

  const TSerialPortInfo& acm = (*ports)[1];
  EXPECT_EQ(acm.Path, dev + "/ttyACM0");
  EXPECT_EQ(acm.ById, "");
  EXPECT_EQ(acm.Kind, "acm");
  EXPECT_EQ(acm.Driver, "cdc_acm");
  EXPECT_EQ(acm.VendorId, "2341");
  EXPECT_EQ(acm.Manufacturer, "Arduino (www.arduino.cc)");
  EXPECT_EQ(acm.Product, std::nullopt);
  EXPECT_EQ(acm.Serial, std::nullopt);

  const TSerialPortInfo& uart = (*ports)[2];
  EXPECT_EQ(uart.Path, dev + "/ttyS0");
  EXPECT_EQ(uart.Kind, "uart");
  EXPECT_EQ(uart.Driver, "serial") << "the serial core's own port device is looked past";
  EXPECT_EQ(uart.VendorId, std::nullopt);
  EXPECT_EQ(PortHint(uart), dev + "/ttyS0 · uart · serial");
}

TEST(SerialPortList, WhatCannotBeRead) {
  FakeSysfs fake;
  EXPECT_EQ(ListSerialPorts(fake.Dir().File("absent"), fake.Dev()), std::nullopt);
  EXPECT_EQ(ListSerialPorts(fake.Dev(), fake.Dev()), std::nullopt) << "no class/tty";
  auto none = ListSerialPorts(fake.Sys(), fake.Dev());
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());

  // A dangling device link, a type that cannot be read, and no dev folder at all.
  fake.Tty("ttyUSB9", fake.Dir().File("sys/devices/gone"));
  fs::path uart = fake.Device("pnp0/00:02", "pnp", "serial");
  fake.Tty("ttyS5", uart);
  auto ports = ListSerialPorts(fake.Sys(), fake.Dir().File("nodev"));
  ASSERT_TRUE(ports);
  ASSERT_EQ(ports->size(), 1u);
  EXPECT_EQ((*ports)[0].Node, fake.Dir().File("nodev/ttyS5"));
  EXPECT_EQ((*ports)[0].Kind, "uart");
}

TEST(SerialPortList, SortedAsTextWithoutCase) {
  std::vector<std::string> names = {"COM2", "com3", "COM10", "COM1", "/dev/ttyUSB0", "/dev/ttyS0"};
  SortPortNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"/dev/ttyS0", "/dev/ttyUSB0", "COM1", "COM10", "COM2",
                                             "com3"}));
}

// Whatever this machine has: every port listed has a device, and no ttyS of type 0 is among them.
TEST(SerialPortList, ThisMachine) {
  auto ports = ListSerialPorts();
  if (!ports) GTEST_SKIP() << "no /sys/class/tty here";
  for (const TSerialPortInfo& port : *ports) {
    const std::string name = fs::path(port.Node).filename().string();
    EXPECT_TRUE(fs::exists("/sys/class/tty/" + name + "/device")) << name;
    if (name.rfind("ttyS", 0) != 0) continue;
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int value = -1;
    type >> value;
    EXPECT_NE(value, 0) << name << " is a phantom UART";
  }
}

}  // namespace
}  // namespace quillon
