#include <cstdio>

#include "app/cli_commands.h"

namespace quillon::cli {

int Profile(const Args&) {
  std::fprintf(stderr, "quillon-cli: not available yet\n");
  return 2;
}

int XmlScan(const Args&) {
  std::fprintf(stderr, "quillon-cli: not available yet\n");
  return 2;
}

}  // namespace quillon::cli
