// The arguments the line benchmarks share: "--runs N" (at least one) and "--table" (rows for
// scripts instead of prose).
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillon::bench {

struct TBenchArgs {
  int Runs = 1;
  bool Table = false;
};

// Reads the arguments over the given number of runs; on anything else prints the program's
// usage and returns false.
inline bool ParseBenchArgs(int argc, char** argv, const char* program, TBenchArgs& args) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
      args.Runs = std::max(1, std::atoi(argv[++i]));
    } else if (!std::strcmp(argv[i], "--table")) {
      args.Table = true;
    } else {
      std::fprintf(stderr, "usage: %s [--runs N] [--table]\n", program);
      return false;
    }
  }
  return true;
}

}  // namespace quillon::bench
