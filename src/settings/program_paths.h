// Where the running executable lives: the settings file, the profile and the language files
// are found beside it.
#pragma once

#include <string>

namespace quillon {

// Records the executable's path from the first command-line element (resolved through
// /proc/self/exe when that is available). Call once at program entry.
void InitProgramPaths(const char* argv0);
// Full path of the executable.
std::string ExecutablePath();
// Folder of the executable, with a trailing "/".
std::string ExecutableDir();

}  // namespace quillon
