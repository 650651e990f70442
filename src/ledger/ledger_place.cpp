#include "ledger/ledger_place.h"

#include <sys/vfs.h>

#include <array>
#include <utility>

#include "profile/cp1251.h"
#include "settings/program_paths.h"

namespace quillon {

namespace {

std::string DefaultPlace(const TProgramPaths& paths,
                         const std::function<const char*(const char*)>& getEnv) {
  if (!paths.Installed) return paths.ConfigFolder + kLedgerFileName;
  return XdgBaseFolder(getEnv, "XDG_DATA_HOME", ".local/share") + "Quillon/" + kLedgerFileName;
}

}  // namespace

TLedgerPlace ResolveLedgerPlace(const TProgramPaths& paths,
                                const std::function<const char*(const char*)>& getEnv,
                                const std::optional<std::string>& option,
                                const std::string& setting) {
  const std::string chosen = option ? *option : Cp1251ToUtf8(setting);
  if (chosen == "-") return {true, ""};
  if (chosen.empty()) return {false, DefaultPlace(paths, getEnv)};
  if (option || chosen[0] == '/') return {false, chosen};
  if (chosen.rfind("~/", 0) == 0) {
    std::string path = HomeFolder(getEnv);
    path.append(chosen, 1, std::string::npos);  // from the "/"
    return {false, path};
  }
  return {false, paths.ConfigFolder + chosen};
}

std::string NetworkFileSystemName(unsigned long type) {
  // Magic numbers of linux/magic.h and the file systems' own headers.
  static constexpr std::array<std::pair<unsigned long, const char*>, 14> kNetwork = {{
      {0x6969, "NFS"},
      {0x517B, "SMB"},
      {0xFF534D42, "CIFS"},
      {0xFE534D42, "SMB2"},
      {0x5346414F, "AFS"},
      {0x6B414653, "AFS"},
      {0x73757245, "Coda"},
      {0x564C, "NCP"},
      {0x01021997, "9P"},
      {0x00C36400, "Ceph"},
      {0x01161970, "GFS2"},
      {0x7461636F, "OCFS2"},
      {0x0BD00BD0, "Lustre"},
      {0x47504653, "GPFS"},
  }};
  for (const auto& [magic, name] : kNetwork)
    if (magic == type) return name;
  return std::string();
}

std::string NetworkFileSystemName(const std::string& path) {
  std::string at = path.empty() ? std::string(".") : path;
  for (;;) {
    struct statfs info {};
    if (statfs(at.c_str(), &info) == 0)
      return NetworkFileSystemName(static_cast<unsigned long>(info.f_type) & 0xFFFFFFFFUL);
    const size_t slash = at.find_last_of('/');
    std::string parent = slash == std::string::npos ? std::string(".")
                         : slash == 0               ? std::string("/")
                                                    : at.substr(0, slash);
    if (parent == at) return std::string();
    at.swap(parent);
  }
}

}  // namespace quillon
