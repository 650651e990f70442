#include "link/serial_platform.h"

#include <chrono>

#include "link/serial_by_name.h"

namespace quillon {

int64_t ISerialPlatform::NowMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::shared_ptr<ISerialPlatform> CreateSerialPlatform() {
  return std::make_shared<TSerialByName>();
}

}  // namespace quillon
