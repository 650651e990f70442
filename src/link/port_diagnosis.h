// What a technician needs beside a port error's number: the system operation, the device path,
// the system's reason and what to do about it, e.g. "open /dev/ttyUSB0: Permission denied - the
// user is not in the dialout group: sudo usermod -aG dialout $USER, then log in again".
#pragma once

#include <string>

namespace quillon {

// operation: "open", "read", "write", ...; code: the errno of the failure.
std::string DescribePortFailure(const std::string& operation, const std::string& path, int code);

// The program holding the device open, from /proc: "ModemManager (pid 612)"; empty when none
// is found (or /proc does not tell).
std::string FindDeviceHolder(const std::string& path);

}  // namespace quillon
