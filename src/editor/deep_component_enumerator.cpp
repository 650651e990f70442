#include "editor/deep_component_enumerator.h"

#include <QObject>

namespace quillon {

bool TDeepComponentEnumerator::MoveNext() {
  if (!root_) return false;
  if (!current_) {
    if (root_->children().isEmpty()) return false;
    current_ = root_->children().front();
    return true;
  }
  if (!current_->children().isEmpty()) {
    current_ = current_->children().front();
    return true;
  }
  for (;;) {
    QObject* owner = current_->parent();
    if (!owner) return false;
    const QObjectList& siblings = owner->children();
    const qsizetype next = siblings.indexOf(current_) + 1;
    if (next > 0 && next < siblings.size()) {
      current_ = siblings[next];
      return true;
    }
    if (owner == root_) return false;
    current_ = owner;
  }
}

}  // namespace quillon
