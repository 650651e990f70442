// The entry point every fuzz target defines: libFuzzer calls it with generated inputs, and the
// corpus replay (corpus_replay_main.cpp) with the files of the target's corpus. A target
// returns 0; a fault shows as a crash, a sanitizer report or an abort from a broken property.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace quillon::fuzz {

inline std::string Input(const uint8_t* data, size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

// A property the code under test promises; a break aborts so the fuzzer keeps the input.
inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "property broken: %s\n", what);
  std::abort();
}

}  // namespace quillon::fuzz
