// Files only their owner may read: the ledger and the station's key. They get mode 0600 (and
// folders made for them 0700) whatever the umask, because an operator's umask is usually 022.
#pragma once

#include <string>

namespace quillon {

// Makes the folder and the missing folders above it, each new one with mode 0700. False with
// the reason (UTF-8) when one cannot be made.
bool MakePrivateFolders(const std::string& folder, std::string& error);

// Creates the file empty with mode 0600 unless it exists. False with the reason when it neither
// exists nor can be made.
bool CreatePrivateFile(const std::string& path, std::string& error);

// Puts the bytes at path only if nothing is there yet, all at once: written and flushed under a
// temporary name in the same folder, then linked into place. created: whether this call put it
// there (false: another was there first, and it is left as it is). False with the reason when
// neither could be told.
bool PublishPrivateFile(const std::string& path, const std::string& bytes, bool& created,
                        std::string& error);

// The folder part of a path, with a trailing "/"; "./" when it has none.
std::string FolderOfPath(const std::string& path);

}  // namespace quillon
