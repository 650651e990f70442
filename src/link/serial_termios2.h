// Line settings through the Linux termios2 interface, which takes any integer rate. Kept apart
// from <termios.h>, whose structure of the same name clashes with the kernel's.
#pragma once

#include "link/serial_platform.h"

namespace quillon {

// Raw mode, the rate, character size, parity and stop bits, no flow control. Returns 0 or the
// errno of the failing call.
int ApplyLineSettingsToFd(int fd, const TLineSettings& settings);

}  // namespace quillon
