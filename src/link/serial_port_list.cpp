#include "link/serial_port_list.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "profile/cp1251.h"
#include "profile/text_utils.h"

namespace quillon {

namespace fs = std::filesystem;

namespace {

// Sysfs attributes are short text files ending in a line break; an empty or unreadable one is
// unknown. Their text is UTF-8 (USB strings), the logic's is Windows-1251.
std::optional<std::string> ReadAttribute(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.eof() && in.fail()) return std::nullopt;
  text = TrimCtl(Utf8ToCp1251(text));
  if (text.empty()) return std::nullopt;
  return text;
}

// The last part of the path a link points to, or empty.
std::string LinkTargetName(const fs::path& link) {
  std::error_code ec;
  fs::path target = fs::read_symlink(link, ec);
  return ec ? std::string() : target.filename().string();
}

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

// The device folder and the folders above it, up to (not including) the root of sysfs.
std::vector<fs::path> DeviceAncestry(const fs::path& device, const fs::path& sysRoot) {
  std::vector<fs::path> chain;
  const std::string root = sysRoot.string();
  for (fs::path p = device; p.has_relative_path() && p.string().size() > root.size();
       p = p.parent_path()) {
    if (p.string().compare(0, root.size(), root) != 0) break;
    chain.push_back(p);
    if (p == p.parent_path()) break;
  }
  return chain;
}

// The driver that runs the port. The kernel's serial core puts a port device of its own
// ("serial-base") between the tty and the UART's driver; it says nothing, so look past it.
std::optional<std::string> FindDriver(const std::vector<fs::path>& chain) {
  for (const fs::path& dir : chain) {
    std::string driver = LinkTargetName(dir / "driver");
    if (driver.empty()) continue;
    if (LinkTargetName(dir / "subsystem") == "serial-base") continue;
    return driver;
  }
  return std::nullopt;
}

void ReadUsbIdentity(const std::vector<fs::path>& chain, TSerialPortInfo& port, bool& usb) {
  for (const fs::path& dir : chain) {
    std::optional<std::string> vendor = ReadAttribute(dir / "idVendor");
    std::optional<std::string> product = ReadAttribute(dir / "idProduct");
    if (!vendor || !product) continue;
    usb = true;
    port.VendorId = vendor;
    port.ProductId = product;
    port.Manufacturer = ReadAttribute(dir / "manufacturer");
    port.Product = ReadAttribute(dir / "product");
    port.Serial = ReadAttribute(dir / "serial");
    return;
  }
}

std::string KindOf(const std::string& name, const std::string& subsystem,
                   const std::optional<std::string>& driver, bool usb) {
  if (subsystem == "usb-serial") return "usb";
  if (StartsWith(name, "ttyACM") || driver == "cdc_acm") return "acm";
  if (usb) return "usb";
  static const char* const kUartSubsystems[] = {"serial-base", "platform", "pnp", "amba", "pci"};
  for (const char* s : kUartSubsystems)
    if (subsystem == s) return "uart";
  if (StartsWith(name, "ttyS") || StartsWith(name, "ttyAMA")) return "uart";
  return "other";
}

// Each node the by-id folder points at, with the first of its links in name order.
std::map<std::string, std::string> ReadByIdLinks(const fs::path& devRoot) {
  std::map<std::string, std::string> byNode;
  std::error_code ec;
  std::vector<fs::path> links;
  for (fs::directory_iterator it(devRoot / "serial" / "by-id", ec), end; !ec && it != end;
       it.increment(ec))
    links.push_back(it->path());
  std::sort(links.begin(), links.end());
  for (const fs::path& link : links) {
    fs::path target = fs::weakly_canonical(link, ec);
    if (ec) continue;
    byNode.emplace(target.string(), link.string());
  }
  return byNode;
}

std::optional<TSerialPortInfo> ReadPort(const fs::path& entry, const fs::path& sysRoot,
                                        const fs::path& devRoot,
                                        const std::map<std::string, std::string>& byId) {
  const std::string name = entry.filename().string();
  std::error_code ec;
  fs::path device = fs::canonical(entry / "device", ec);
  if (ec) return std::nullopt;  // a console, a pseudo-terminal, ptmx: no device behind it
  // PCs report four legacy UARTs whether or not a chip is there; the missing ones read type 0.
  if (StartsWith(name, "ttyS") && ReadAttribute(entry / "type") == std::string("0"))
    return std::nullopt;

  TSerialPortInfo port;
  port.Node = (devRoot / name).string();
  fs::path node = fs::weakly_canonical(devRoot / name, ec);
  auto link = byId.find(ec ? port.Node : node.string());
  if (link != byId.end()) port.ById = link->second;
  port.Path = port.ById.empty() ? port.Node : port.ById;

  const std::vector<fs::path> chain = DeviceAncestry(device, sysRoot);
  port.Driver = FindDriver(chain);
  bool usb = false;
  ReadUsbIdentity(chain, port, usb);
  port.Kind = KindOf(name, LinkTargetName(device / "subsystem"), port.Driver, usb);
  return port;
}

}  // namespace

bool PortNameLess(const std::string& a, const std::string& b) {
  const std::string ua = UpperAscii(a), ub = UpperAscii(b);
  return ua != ub ? ua < ub : a < b;
}

void SortPortNames(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(), PortNameLess);
}

std::optional<std::vector<TSerialPortInfo>> ListSerialPorts(const std::string& sysRoot,
                                                            const std::string& devRoot) {
  std::error_code ec;
  const fs::path sys = fs::canonical(sysRoot, ec);
  if (ec) return std::nullopt;
  fs::directory_iterator it(sys / "class" / "tty", ec);
  if (ec) return std::nullopt;
  const fs::path dev(devRoot);
  const std::map<std::string, std::string> byId = ReadByIdLinks(dev);
  std::vector<TSerialPortInfo> ports;
  // An error part-way ends the walk and keeps what was found.
  for (fs::directory_iterator end; !ec && it != end; it.increment(ec))
    if (auto port = ReadPort(it->path(), sys, dev, byId)) ports.push_back(std::move(*port));
  std::stable_sort(ports.begin(), ports.end(),
                   [](const TSerialPortInfo& a, const TSerialPortInfo& b) {
                     return PortNameLess(a.Path, b.Path);
                   });
  return ports;
}

TSerialPortInfo NetworkPortInfo(const std::string& address) {
  TSerialPortInfo port;
  port.Path = address;
  port.Kind = "network";
  return port;
}

std::string PortHint(const TSerialPortInfo& port) {
  std::ostringstream out;
  if (!port.Node.empty()) out << port.Node << " · ";
  out << port.Kind;
  if (port.Driver) out << " · " << *port.Driver;
  if (port.VendorId && port.ProductId) out << " · USB " << *port.VendorId << ':' << *port.ProductId;
  std::string identity;
  for (const auto* part : {&port.Manufacturer, &port.Product})
    if (*part) identity += (identity.empty() ? "" : " ") + **part;
  if (!identity.empty()) out << " · " << identity;
  if (port.Serial) out << " · " << *port.Serial;
  return out.str();
}

}  // namespace quillon
