#include <cstdio>

#include "app/cli_commands.h"

namespace quillon::cli {

int Settings(const Args&) {
  std::fprintf(stderr, "quillon-cli: not available yet\n");
  return 2;
}

}  // namespace quillon::cli
