#include "cli/cli_ports.h"

#include <cstdio>

#include "cli/cli_commands.h"
#include "cli/json_text.h"
#include "profile/cp1251.h"
#include "settings/ini_file.h"
#include "settings/settings.h"

namespace quillon::cli {

const char* const kPortsUsage =
    "usage: quillon-cli ports [--json]\n"
    "\n"
    "Lists the serial ports present, sorted as the settings dialog shows them. A port reached\n"
    "through USB is named by its /dev/serial/by-id link, which stays the same whichever socket\n"
    "it is plugged into; the others by their /dev node. Phantom UARTs (ttyS* of type 0) are\n"
    "left out. The network ports last chosen in the settings dialog follow, newest first\n"
    "(Connection/RecentPorts of the settings file), of kind network.\n"
    "\n"
    "  --json         one document: {\"ports\": [{\"path\", \"byId\", \"node\", \"kind\",\n"
    "                 \"driver\", \"vendorId\", \"productId\", \"manufacturer\", \"product\",\n"
    "                 \"serial\"}]}; kind is usb, acm, uart, other or network; null where\n"
    "                 unknown\n"
    "  --ini FILE     read the recent network ports from FILE (default: the program's\n"
    "                 Quillon.ini)\n"
    "  --sysfs DIR    read the tty class from DIR instead of /sys (tests)\n"
    "  --dev DIR      look for nodes and by-id links in DIR instead of /dev (tests)\n"
    "\n"
    "It exits 0 also when there is no port, and 1 when the port list cannot be read.\n";

std::string ParsePortsArgs(const std::vector<std::string>& args, TPortsArgs& parsed) {
  parsed = TPortsArgs();
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      parsed.Help = true;
    } else if (arg == "--json") {
      parsed.Json = true;
    } else if (arg == "--sysfs" || arg == "--dev") {
      if (i + 1 >= args.size()) return arg + " wants a folder";
      (arg == "--sysfs" ? parsed.SysRoot : parsed.DevRoot) = args[++i];
    } else if (arg == "--ini") {
      if (i + 1 >= args.size()) return arg + " wants a file";
      parsed.Ini = args[++i];
    } else {
      return "unexpected argument '" + arg + "'";
    }
  }
  return {};
}

namespace {

std::string JsonOptional(const std::optional<std::string>& value) {
  return value ? JsonString(*value) : "null";
}

}  // namespace

std::string FormatPortsText(const std::vector<TSerialPortInfo>& ports) {
  std::string out;
  for (const TSerialPortInfo& port : ports)
    out += Cp1251ToUtf8(port.Path) + "\t" + Cp1251ToUtf8(PortHint(port)) + "\n";
  return out;
}

std::string FormatPortsJson(const std::vector<TSerialPortInfo>& ports) {
  std::string out = "{\"ports\": [";
  for (size_t i = 0; i < ports.size(); ++i) {
    const TSerialPortInfo& p = ports[i];
    out += i ? ",\n  " : "\n  ";
    out += "{\"path\": " + JsonString(p.Path) +
           ", \"byId\": " + (p.ById.empty() ? "null" : JsonString(p.ById)) +
           ", \"node\": " + (p.Node.empty() ? "null" : JsonString(p.Node)) +
           ", \"kind\": " + JsonString(p.Kind) + ", \"driver\": " + JsonOptional(p.Driver) +
           ", \"vendorId\": " + JsonOptional(p.VendorId) +
           ", \"productId\": " + JsonOptional(p.ProductId) +
           ", \"manufacturer\": " + JsonOptional(p.Manufacturer) +
           ", \"product\": " + JsonOptional(p.Product) + ", \"serial\": " + JsonOptional(p.Serial) +
           "}";
  }
  out += ports.empty() ? "]}\n" : "\n]}\n";
  return out;
}

int Ports(const Args& args) {
  TPortsArgs parsed;
  const std::string error = ParsePortsArgs(args, parsed);
  if (!error.empty()) {
    std::fprintf(stderr, "quillon-cli ports: %s\n%s", error.c_str(), kPortsUsage);
    return 2;
  }
  if (parsed.Help) {
    std::fputs(kPortsUsage, stdout);
    return 0;
  }
  auto ports = ListSerialPorts(parsed.SysRoot, parsed.DevRoot);
  if (!ports) {
    std::fprintf(stderr, "quillon-cli ports: cannot read the tty class under %s\n",
                 parsed.SysRoot.c_str());
    return 1;
  }
  const TIniFile ini(parsed.Ini.empty() ? SettingsFilePath() : parsed.Ini);
  for (const std::string& address : ReadRecentPorts(ini))
    ports->push_back(NetworkPortInfo(address));
  const std::string out = parsed.Json ? FormatPortsJson(*ports) : FormatPortsText(*ports);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return 0;
}

}  // namespace quillon::cli
