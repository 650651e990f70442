#include "link/serial_platform.h"

#include "link/serial_posix.h"

namespace quillon {

std::shared_ptr<ISerialPlatform> CreateSerialPlatform() {
  return std::make_shared<TSerialPosix>();
}

}  // namespace quillon
