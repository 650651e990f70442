#include "cli/provision_args.h"

#include <glob.h>

#include <algorithm>
#include <set>

#include "link/port_address.h"
#include "profile/cp1251.h"

namespace quillon::cli {

namespace {

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> items;
  size_t from = 0;
  while (from <= text.size()) {
    const size_t comma = std::min(text.find(',', from), text.size());
    if (comma > from) items.push_back(text.substr(from, comma - from));
    from = comma + 1;
  }
  return items;
}

// A URL is a port on the network, never a glob: "rfc2217://[::1]:2000" holds a "[".
std::vector<std::string> Expand(const std::string& pattern) {
  if (LooksLikeUrl(pattern) || pattern.find_first_of("*?[") == std::string::npos) return {pattern};
  glob_t found{};
  std::vector<std::string> paths;
  if (glob(pattern.c_str(), 0, nullptr, &found) == 0)
    for (size_t i = 0; i < found.gl_pathc; ++i) paths.push_back(found.gl_pathv[i]);
  globfree(&found);
  return paths;
}

}  // namespace

std::string ParseProvisionArgs(const std::vector<std::string>& args, TProvisionArgs& out) {
  out = TProvisionArgs();
  std::vector<std::string> rest;
  std::string error;
  if (!ParseEngineOptions(args, out.Engine, rest, error)) return error;
  if (out.Engine.Json) return "unknown option '--json'";
  if (!out.Engine.Link.Port.empty()) return "--port names one port; use --ports or --all-ports";
  for (size_t i = 0; i < rest.size(); ++i) {
    const std::string& a = rest[i];
    std::string* value = a == "--config"      ? &out.Template
                         : a == "--units"     ? &out.Units
                         : a == "--report"    ? &out.Report
                         : a == "--snapshots" ? &out.Snapshots
                                              : nullptr;
    if (value || a == "--ports" || a == "--jobs") {
      if (i + 1 >= rest.size() || rest[i + 1].empty()) return a + " wants a value";
      const std::string& v = rest[++i];
      if (value) {
        *value = v;
      } else if (a == "--ports") {
        for (const std::string& p : SplitList(v)) {
          TPortAddress address;
          std::string why;
          if (!ParsePortAddress(p, address, why))
            return "bad port address '" + p + "': " + Cp1251ToUtf8(why);
          out.Patterns.push_back(p);
        }
      } else {
        const bool digits = v.size() <= 4 && v.find_first_not_of("0123456789") == std::string::npos;
        out.Jobs = digits ? std::stoi(v) : 0;
        if (out.Jobs < 1) return "--jobs wants a number of workers from 1";
      }
    } else if (a == "--all-ports" || a == "--no-store" || a == "--allow-defaults" ||
               a == "--watch") {
      (a == "--all-ports"  ? out.AllPorts
       : a == "--no-store" ? out.NoStore
       : a == "--watch"    ? out.Watch
                           : out.AllowDefaults) = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option '" + a + "'";
    } else {
      return "unexpected argument '" + a + "'";
    }
  }
  if (out.Template.empty()) return "--config TEMPLATE.zxml is required";
  if (out.Patterns.empty() && !out.AllPorts) return "--ports or --all-ports is required";
  return {};
}

std::vector<std::string> ProvisionPorts(const TProvisionArgs& args,
                                        const std::vector<TSerialPortInfo>& listed) {
  std::set<std::string> ports;
  for (const std::string& pattern : args.Patterns)
    for (const std::string& path : Expand(pattern)) ports.insert(path);
  if (args.AllPorts)
    for (const TSerialPortInfo& port : listed)
      if (port.Kind == "usb" || port.Kind == "acm") ports.insert(port.Path);
  std::vector<std::string> sorted(ports.begin(), ports.end());
  SortPortNames(sorted);
  return sorted;
}

}  // namespace quillon::cli
