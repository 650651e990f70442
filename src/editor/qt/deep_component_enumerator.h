// Walks everything a container holds, depth first in creation order, each container before its
// contents, never the container itself.
#pragma once

class QObject;

namespace quillon {

class TDeepComponentEnumerator {
 public:
  explicit TDeepComponentEnumerator(QObject* root) : root_(root) {}

  // Steps to the next object; false when there is none.
  bool MoveNext();
  QObject* Current() const { return current_; }
  QObject* Root() const { return root_; }

 private:
  QObject* root_;
  QObject* current_ = nullptr;
};

}  // namespace quillon
