#include <cstdio>

#include "app/cli_commands.h"

namespace quillon::cli {

int Connect(const Args&) {
  std::fprintf(stderr, "quillon-cli: not available yet\n");
  return 2;
}

int Send(const Args&) {
  std::fprintf(stderr, "quillon-cli: not available yet\n");
  return 2;
}

}  // namespace quillon::cli
