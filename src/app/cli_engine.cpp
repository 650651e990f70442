#include <cstdio>

#include "app/cli_commands.h"

namespace quillon::cli {

int Poll(const Args&) {
  std::fprintf(stderr, "quillon-cli: not available yet\n");
  return 2;
}

int Apply(const Args&) {
  std::fprintf(stderr, "quillon-cli: not available yet\n");
  return 2;
}

}  // namespace quillon::cli
