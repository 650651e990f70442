// A fake sysfs and /dev laid out as the kernel and udev lay out a PC: devices under
// sys/devices bound to drivers of buses, class/tty entries with their device links, nodes and
// by-id links in dev.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "support/temp_dir.h"

namespace quillon::test {

namespace fs = std::filesystem;

class FakeSysfs {
 public:
  FakeSysfs() : sys_(dir_.File("sys")), dev_(dir_.File("dev")) {
    fs::create_directories(sys_ / "class" / "tty");
    fs::create_directories(dev_ / "serial" / "by-id");
  }

  const test::TempDir& Dir() const { return dir_; }
  std::string Sys() const { return sys_.string(); }
  std::string Dev() const { return dev_.string(); }

  // A device folder under sys/devices, bound to a driver of a bus.
  fs::path Device(const std::string& path, const std::string& bus, const std::string& driver) {
    fs::path dir = sys_ / "devices" / path;
    fs::create_directories(dir);
    fs::create_directories(sys_ / "bus" / bus / "drivers" / driver);
    fs::create_directory_symlink(sys_ / "bus" / bus, dir / "subsystem");
    fs::create_directory_symlink(sys_ / "bus" / bus / "drivers" / driver, dir / "driver");
    return dir;
  }

  void Attribute(const fs::path& dir, const std::string& name, const std::string& value) {
    std::ofstream(dir / name) << value << "\n";
  }

  // A class/tty entry with its node in dev; no device means a virtual terminal.
  void Tty(const std::string& name, const fs::path& device, const std::string& type = "") {
    fs::path entry = sys_ / "class" / "tty" / name;
    fs::create_directories(entry);
    if (!device.empty()) fs::create_directory_symlink(device, entry / "device");
    if (!type.empty()) Attribute(entry, "type", type);
    std::ofstream(dev_ / name) << "";
  }

  void ById(const std::string& link, const std::string& node) {
    fs::create_symlink("../../" + node, dev_ / "serial" / "by-id" / link);
  }

 private:
  test::TempDir dir_;
  fs::path sys_;
  fs::path dev_;
};

// A PC with an FTDI adapter (by-id link), an Arduino-like modem-class board without a serial
// number, a UART the firmware describes, a phantom UART and the virtual consoles.
inline void BuildPc(FakeSysfs& fake) {
  fs::path ftdi = fake.Device("pci0000:00/0000:00:14.0/usb1/1-1", "usb", "usb");
  fake.Attribute(ftdi, "idVendor", "0403");
  fake.Attribute(ftdi, "idProduct", "6001");
  fake.Attribute(ftdi, "manufacturer", "FTDI");
  fake.Attribute(ftdi, "product", "FT232R USB UART");
  fake.Attribute(ftdi, "serial", "A50285BI");
  fake.Device("pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0", "usb", "ftdi_sio");
  fs::path usbPort =
      fake.Device("pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0/ttyUSB0", "usb-serial", "ftdi_sio");
  fake.Tty("ttyUSB0", usbPort);
  fake.ById("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0", "ttyUSB0");

  fs::path board = fake.Device("pci0000:00/0000:00:14.0/usb1/1-2", "usb", "usb");
  fake.Attribute(board, "idVendor", "2341");
  fake.Attribute(board, "idProduct", "0043");
  fake.Attribute(board, "manufacturer", "Arduino (www.arduino.cc)");
  fs::path acm = fake.Device("pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0", "usb", "cdc_acm");
  fake.Tty("ttyACM0", acm);

  fake.Device("pnp0/00:01", "pnp", "serial");
  fake.Device("pnp0/00:01/00:01:0", "serial-base", "ctrl");
  fs::path uart = fake.Device("pnp0/00:01/00:01:0/00:01:0.0", "serial-base", "port");
  fake.Tty("ttyS0", uart, "4");

  fake.Device("platform/serial8250", "platform", "serial8250");
  fs::path phantom =
      fake.Device("platform/serial8250/serial8250:0/serial8250:0.1", "serial-base", "port");
  fake.Tty("ttyS1", phantom, "0");

  fake.Tty("tty0", {});
  fake.Tty("ptmx", {});
}

}  // namespace quillon::test
