#include "editor/qt/deep_component_enumerator.h"

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
  // Climb until an owner has a component after the one we came from; Current stays put when
  // the walk is over, so further calls keep answering false.
  for (QObject* node = current_;;) {
    QObject* owner = node->parent();
    if (!owner) return false;
    const QObjectList& siblings = owner->children();
    const qsizetype next = siblings.indexOf(node) + 1;
    if (next > 0 && next < siblings.size()) {
      current_ = siblings[next];
      return true;
    }
    if (owner == root_) return false;
    node = owner;
  }
}

}  // namespace quillon
