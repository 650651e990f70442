#include "link/serial_termios2.h"

#include <cerrno>

#if defined(__linux__)
#include <asm/termbits.h>
#include <sys/ioctl.h>
#else
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace quillon {

namespace {

tcflag_t CharacterSize(TDataBits bits) {
  switch (bits) {
    case dbFive:
      return CS5;
    case dbSix:
      return CS6;
    case dbSeven:
      return CS7;
    default:
      return CS8;
  }
}

tcflag_t ParityFlags(TParityBits parity) {
  switch (parity) {
    case prOdd:
      return PARENB | PARODD;
    case prEven:
      return PARENB;
#ifdef CMSPAR
    case prMark:
      return PARENB | PARODD | CMSPAR;
    case prSpace:
      return PARENB | CMSPAR;
#endif
    default:
      return 0;
  }
}

// POSIX has no one-and-a-half stop bits; that setting sends two, as the Windows drivers also do
// for character sizes above five.
tcflag_t StopFlags(TStopBits bits) {
  return bits == sbOneStopBit ? 0 : CSTOPB;
}

template <typename Termios>
void MakeRaw(Termios& t, const TLineSettings& s) {
  t.c_iflag &=
      ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
  t.c_iflag |= IGNPAR;  // received parity errors are neither checked nor replaced
  t.c_oflag &= ~OPOST;
  t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL);
#ifdef CMSPAR
  t.c_cflag &= ~CMSPAR;
#endif
  t.c_cflag |=
      CLOCAL | CREAD | CharacterSize(s.DataBits) | ParityFlags(s.Parity) | StopFlags(s.StopBits);
  t.c_cc[VMIN] = 1;  // with O_NONBLOCK an empty queue gives EAGAIN and 0 means hang-up
  t.c_cc[VTIME] = 0;
}

}  // namespace

#if defined(__linux__)

int ApplyLineSettingsToFd(int fd, const TLineSettings& settings) {
  if (settings.BaudRate <= 0) return EINVAL;  // rate 0 would hang the line up
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return errno;
  MakeRaw(t, settings);
  t.c_cflag &= ~CBAUD;
  t.c_cflag |= BOTHER;
  t.c_cflag &= ~(CBAUD << IBSHIFT);
  t.c_cflag |= BOTHER << IBSHIFT;
  t.c_ispeed = static_cast<speed_t>(settings.BaudRate);
  t.c_ospeed = static_cast<speed_t>(settings.BaudRate);
  if (ioctl(fd, TCSETS2, &t) != 0) return errno;
  return 0;
}

#else

int ApplyLineSettingsToFd(int fd, const TLineSettings& settings) {
  if (settings.BaudRate <= 0) return EINVAL;
  struct termios t {};
  if (tcgetattr(fd, &t) != 0) return errno;
  MakeRaw(t, settings);
  if (cfsetspeed(&t, static_cast<speed_t>(settings.BaudRate)) != 0) return errno;
  if (tcsetattr(fd, TCSANOW, &t) != 0) return errno;
  return 0;
}

#endif

}  // namespace quillon
