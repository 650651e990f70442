// Runs one of the built programs as a script or an operator would: no shell in between, its
// output and errors collected, its environment and working folder chosen by the test, and a
// time limit so that a program that hangs fails the test instead of stalling it.
#pragma once

#include <string>
#include <vector>

namespace quillon::test {

struct TProgramRun {
  int Code = -1;  // exit code; 124 when the time limit ended it, -1 when it could not start
  std::string Out;
  std::string Err;
};

struct TRunOptions {
  // "NAME=VALUE" sets a variable, "NAME" alone removes it; the rest is inherited.
  std::vector<std::string> Env;
  std::string WorkDir;  // empty: the test's own
  std::string Input;    // written to the program's standard input
  int TimeoutSeconds = 60;
};

// program is a path (e.g. "./quillon-cli" beside the tests) or a name looked up in PATH.
TProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                       const TRunOptions& options = {});

}  // namespace quillon::test
