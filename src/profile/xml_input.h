// The character source of the XML reader: the document, with the replacement texts of the
// entities being read stacked on top of it, so that an entity's text reads as if it stood in
// the document at the place of its reference.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

class TXmlInput {
 public:
  void Reset(std::string document);

  // The byte `ahead` places on (0: the next one), or -1 past the end.
  int Peek(size_t ahead = 0) const;
  // Consumes and returns the next byte, or -1 at the end.
  int Next();
  // Consumes `text` when the input continues with it.
  bool Skip(std::string_view text);
  bool AtEnd() const { return Peek() < 0; }
  // Appends the bytes up to the next of `stops` or the end of the current text; the fast path
  // for long stretches of plain text.
  void TakeUntil(std::string& out, std::string_view stops);

  // Starts reading the replacement text of an entity.
  void PushEntity(const std::string& name, std::shared_ptr<const std::string> text);
  // True while the named entity is being read (its reference inside itself is a cycle).
  bool InEntity(const std::string& name) const;
  size_t EntityDepth() const { return frames_.size() - 1; }

 private:
  struct Frame {
    std::shared_ptr<const std::string> text;
    size_t pos = 0;
    std::string entity;
  };
  // Leaves finished entity texts; the document frame always stays.
  void DropFinished();

  std::vector<Frame> frames_;
};

}  // namespace quillon
