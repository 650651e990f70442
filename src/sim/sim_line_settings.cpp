#include "sim/sim_line_settings.h"

// The kernel's termios2, which holds any integer rate; kept apart from <termios.h>, whose
// structure of the same name clashes with it.
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace quillon {

std::string LineSettingsText(int fd) {
  struct termios2 t {};
  if (fd < 0 || ioctl(fd, TCGETS2, &t) != 0) return {};
  const tcflag_t size = t.c_cflag & CSIZE;
  const char bits = size == CS5 ? '5' : size == CS6 ? '6' : size == CS7 ? '7' : '8';
  char parity = 'N';
  if (t.c_cflag & PARENB) {
    const bool odd = t.c_cflag & PARODD;
    parity = (t.c_cflag & CMSPAR) ? (odd ? 'M' : 'S') : (odd ? 'O' : 'E');
  }
  return std::to_string(t.c_ospeed) + " " + bits + parity + ((t.c_cflag & CSTOPB) ? "2" : "1");
}

}  // namespace quillon
