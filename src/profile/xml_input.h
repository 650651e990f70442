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
  TXmlInput() { Reset(std::string()); }
  void Reset(std::string document);

  // The byte `ahead` places on (0: the next one), or -1 past the end.
  int Peek(size_t ahead = 0) const {
    const Frame& f = frames_.back();
    if (f.pos + ahead < f.text->size()) return static_cast<unsigned char>((*f.text)[f.pos + ahead]);
    return PeekBelow(ahead);
  }
  // Consumes and returns the next byte, or -1 at the end.
  int Next() {
    Frame& f = frames_.back();
    if (f.pos < f.text->size()) return static_cast<unsigned char>((*f.text)[f.pos++]);
    return NextBelow();
  }
  // Consumes `text` when the input continues with it.
  bool Skip(std::string_view text);
  bool AtEnd() const { return Peek() < 0; }
  // Appends the bytes up to the next of `stops` or the end of the current text; the fast path
  // for long stretches of plain text.
  void TakeUntil(std::string& out, std::string_view stops);
  // The bytes up to the next of `stops` or the end of the current text, consumed; valid until
  // the next call. FrameEnded() tells whether the current text ran out before a stop.
  std::string_view TakeSpanUntil(std::string_view stops);
  bool FrameEnded() const { return frames_.back().pos >= frames_.back().text->size(); }
  // Consumes and appends the bytes for which `keep` holds, across entity texts.
  template <class Keep>
  void TakeWhile(std::string& out, Keep keep) {
    for (;;) {
      DropFinished();
      Frame& f = frames_.back();
      const char* begin = f.text->data() + f.pos;
      const char* end = f.text->data() + f.text->size();
      const char* at = begin;
      while (at < end && keep(static_cast<unsigned char>(*at))) ++at;
      out.append(begin, at);
      f.pos += static_cast<size_t>(at - begin);
      if (at < end || frames_.size() == 1) return;
    }
  }
  // When the current text goes on with a quoted literal, gives what is between the quotes
  // (valid until the next call) and consumes the literal; otherwise consumes nothing.
  bool TakeQuotedInFrame(std::string_view& inside);
  // When the current text holds `terminator`, appends what comes before it, consumes both and
  // gives true; otherwise consumes nothing and gives false.
  bool TakeThroughInFrame(std::string& out, std::string_view terminator);

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
  void DropFinished() {
    if (frames_.size() > 1) DropFinishedEntities();
  }
  void DropFinishedEntities();
  int PeekBelow(size_t ahead) const;
  int NextBelow();

  std::vector<Frame> frames_;
};

}  // namespace quillon
