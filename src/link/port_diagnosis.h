// What a technician needs beside a port error's number: the system operation, the device path,
// the system's reason and what to do about it, e.g. "open /dev/ttyUSB0: Permission denied - the
// user is not in the dialout group that may use the port: sudo usermod -aG dialout $USER, then
// log in again". The program's own words (causes, remedies) are in the interface language.
#pragma once

#include <string>

namespace quillon {

// operation: "open", "read", "write", ...; code: the errno of the failure.
std::string DescribePortFailure(const std::string& operation, const std::string& path, int code);

// The cause in a few words, for a question that names the port itself: what the program knows
// about the code ("the device went away (unplugged?)"), else the system's reason.
std::string PortFailureCause(const std::string& path, int code);

// What to do when the user may not open the port. A group is named only when it is one meant for
// serial ports (dialout, uucp, plugdev) and may read and write the node; otherwise the user is
// sent to the administrator (joining root, tty or disk would be no remedy).
std::string PortAccessRemedy(const std::string& path);

// True when trying again cannot help until someone acts (the user may not use the port).
bool PortFailureNeedsOperator(int code);

// The program holding the device open, from /proc: "ModemManager (pid 612)"; empty when none
// is found (or /proc does not tell).
std::string FindDeviceHolder(const std::string& path);

}  // namespace quillon
