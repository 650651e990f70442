// The line settings a client gave the simulated terminal's pseudo-terminal, as the terminal
// would see them on a real wire: "19200 8N2" (rate, character size, parity, stop bits). The
// kernel keeps the rate and the stop bits a client sets on a pseudo-terminal; it forces eight
// bits without parity, so those two always read 8N there.
#pragma once

#include <string>

namespace quillon {

// The settings of the terminal device fd; empty when they cannot be read.
std::string LineSettingsText(int fd);

}  // namespace quillon
