#include "profile/xml_input.h"

namespace quillon {

void TXmlInput::Reset(std::string document) {
  frames_.clear();
  frames_.push_back(Frame{std::make_shared<const std::string>(std::move(document)), 0, {}});
}

int TXmlInput::PeekBelow(size_t ahead) const {
  for (auto f = frames_.rbegin(); f != frames_.rend(); ++f) {
    size_t left = f->text->size() - f->pos;
    if (ahead < left) return static_cast<unsigned char>((*f->text)[f->pos + ahead]);
    ahead -= left;
  }
  return -1;
}

void TXmlInput::DropFinishedEntities() {
  while (frames_.size() > 1 && frames_.back().pos >= frames_.back().text->size())
    frames_.pop_back();
}

int TXmlInput::NextBelow() {
  // A finished entity stays on the stack until the next byte is wanted, so that a reference
  // at the very end of an entity's own text is still seen as a cycle.
  DropFinished();
  if (frames_.empty()) return -1;
  Frame& f = frames_.back();
  if (f.pos >= f.text->size()) return -1;
  return static_cast<unsigned char>((*f.text)[f.pos++]);
}

void TXmlInput::TakeUntil(std::string& out, std::string_view stops) {
  DropFinished();
  Frame& f = frames_.back();
  const std::string& text = *f.text;
  size_t end = text.find_first_of(stops, f.pos);
  if (end == std::string::npos) end = text.size();
  out.append(text, f.pos, end - f.pos);
  f.pos = end;
}

std::string_view TXmlInput::TakeSpanUntil(std::string_view stops) {
  DropFinished();
  Frame& f = frames_.back();
  const std::string& text = *f.text;
  size_t end = text.find_first_of(stops, f.pos);
  if (end == std::string::npos) end = text.size();
  std::string_view span(text.data() + f.pos, end - f.pos);
  f.pos = end;
  return span;
}

bool TXmlInput::TakeQuotedInFrame(std::string_view& inside) {
  DropFinished();
  Frame& f = frames_.back();
  const std::string& text = *f.text;
  if (f.pos >= text.size() || (text[f.pos] != '"' && text[f.pos] != '\'')) return false;
  size_t close = text.find(text[f.pos], f.pos + 1);
  if (close == std::string::npos) return false;
  inside = std::string_view(text.data() + f.pos + 1, close - f.pos - 1);
  f.pos = close + 1;
  return true;
}

bool TXmlInput::TakeThroughInFrame(std::string& out, std::string_view terminator) {
  DropFinished();
  Frame& f = frames_.back();
  size_t at = f.text->find(terminator, f.pos);
  if (at == std::string::npos) return false;
  out.append(*f.text, f.pos, at - f.pos);
  f.pos = at + terminator.size();
  return true;
}

bool TXmlInput::Skip(std::string_view text) {
  const Frame& f = frames_.back();
  if (f.pos + text.size() <= f.text->size()) {
    if (f.text->compare(f.pos, text.size(), text) != 0) return false;
    frames_.back().pos += text.size();
    return true;
  }
  for (size_t i = 0; i < text.size(); ++i)
    if (Peek(i) != static_cast<unsigned char>(text[i])) return false;
  for (size_t i = 0; i < text.size(); ++i) Next();
  return true;
}

void TXmlInput::PushEntity(const std::string& name, std::shared_ptr<const std::string> text) {
  frames_.push_back(Frame{std::move(text), 0, name});
}

bool TXmlInput::InEntity(const std::string& name) const {
  for (size_t i = 1; i < frames_.size(); ++i)
    if (frames_[i].entity == name) return true;
  return false;
}

}  // namespace quillon
