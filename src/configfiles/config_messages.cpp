#include "configfiles/config_messages.h"

namespace quillon {

void TConfigMessages::Add(const std::string& text) {
  lines_.push_back(text);
  if (listener_) listener_(text);
}

}  // namespace quillon
