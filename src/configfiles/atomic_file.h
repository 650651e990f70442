// Replaces a file's contents all at once: the new contents are written to a file beside the
// target, synced to disk and renamed over it. A failure at any step leaves the target as it
// was and removes the partial file.
#pragma once

#include <string>

namespace quillon {

// A symbolic link keeps pointing where it did: the file it leads to is the one replaced. An
// existing file's permission bits (and, where allowed, its owner) carry over to the new one; a
// new file gets the usual mode for the process's umask. False with the system's reason in
// error.
bool WriteFileAtomically(const std::string& path, const std::string& data, std::string& error);

}  // namespace quillon
