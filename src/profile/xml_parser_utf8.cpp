#include "profile/xml_parser_utf8.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "profile/bounded_file.h"
#include "profile/cp1251.h"

namespace quillon {

namespace {

// Entities are expanded within a budget, so that a document of nested references (the "billion
// laughs") cannot make the reader build gigabytes of text. Like expat: the replacement texts read
// are free up to 8 MiB in all, and past that they may come to at most 100 times the document's
// size. Entities nest at most 64 deep. A reference past these limits, or one to an entity
// already being read, ends the document there.
constexpr size_t kFreeExpansion = size_t{8} << 20;
constexpr size_t kMaxAmplification = 100;
constexpr size_t kMaxEntityDepth = 64;
// A longer "name" is a stray ampersand, not a reference.
constexpr size_t kMaxReferenceName = 256;

bool IsBlank(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsTagNameEnd(int c) {
  return c < 0 || IsBlank(c) || c == '/' || c == '>';
}

// The number of a character reference ("#65", "#x41"); false when it names no character. NUL
// counts as unreadable: it would cut every string that carries it.
bool ParseCharNumber(const std::string& name, char32_t& cp) {
  size_t i = 1;
  uint32_t base = 10;
  if (i < name.size() && name[i] == 'x') {
    base = 16;
    ++i;
  }
  if (i >= name.size()) return false;
  uint32_t value = 0;
  for (; i < name.size(); ++i) {
    char c = name[i];
    uint32_t digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<uint32_t>(c - '0');
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = static_cast<uint32_t>(c - 'a' + 10);
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return false;
    }
    value = value * base + digit;
    if (value > 0x10FFFF) return false;
  }
  if (value == 0) return false;
  cp = value;
  return true;
}

// Leading and trailing blanks go, every inner run of them becomes one space.
void CollapseBlanks(const std::string& text, std::string& out) {
  out.resize(text.size());
  char* to = out.data();
  const char* const begin = to;
  bool blank = false;
  for (char c : text) {
    if (IsBlank(static_cast<unsigned char>(c))) {
      blank = to != begin;
      continue;
    }
    if (blank) *to++ = ' ';
    blank = false;
    *to++ = c;
  }
  out.resize(static_cast<size_t>(to - begin));
}

bool IsAttributeNameByte(int c) {
  return !IsBlank(c) && c != '=' && c != '>' && c != '/';
}

void BlanksToSpaces(std::string& text) {
  for (char& c : text)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
}

}  // namespace

bool TXmlParserUTF8::LoadFromFile(const std::string& fileName) {
  std::string data;
  if (ReadBoundedFile(fileName, kMaxFileSize, data).Status != TFileReadStatus::Read) {
    LoadFromBuffer(std::string());
    return false;
  }
  return LoadFromBuffer(data);
}

bool TXmlParserUTF8::LoadFromBuffer(const std::string& utf8) {
  entities_.clear();
  expanded_ = 0;
  documentSize_ = 0;
  kind_ = pkNone;
  name_.clear();
  content_.clear();
  attributes_.Clear();
  try {
    // A byte 0 ends the document; a byte-order mark says nothing the reader needs.
    const size_t length = std::min(utf8.find('\0'), utf8.size());
    const size_t start = length >= 3 && utf8.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::string document = utf8.substr(start, length - start);
    documentSize_ = document.size();
    input_.Reset(std::move(document));
  } catch (const std::bad_alloc&) {
    input_.Reset(std::string());
    ended_ = true;
    return false;
  }
  ended_ = false;
  return true;
}

bool TXmlParserUTF8::Scan() {
  while (!ended_) {
    int c = input_.Peek();
    if (c < 0) break;
    TStep step = c == '<' ? ScanMarkup() : ScanText();
    if (step == TStep::Part) return true;
    if (step == TStep::End) break;
  }
  ended_ = true;
  return false;
}

TXmlParserUTF8::TStep TXmlParserUTF8::ScanMarkup() {
  input_.Next();  // '<'
  if (input_.Skip("?")) return ReadProcessingInstruction();
  if (input_.Skip("!--")) return ReadComment();
  if (input_.Skip("![CDATA[")) return ReadCData();
  if (input_.Skip("!DOCTYPE")) return ReadDoctype();
  if (input_.Peek() == '!') return TStep::End;
  if (input_.Skip("/")) return ReadTag(true);
  return ReadTag(false);
}

TXmlParserUTF8::TStep TXmlParserUTF8::ScanText() {
  text_.clear();
  run_.clear();  // UTF-8 bytes since the last reference that went on past an entity's end
  for (;;) {
    std::string_view span = input_.TakeSpanUntil("<&");
    if (input_.FrameEnded() && input_.EntityDepth() > 0) {
      run_.append(span);  // the end of an entity's text: read on below it
      continue;
    }
    if (run_.empty()) {
      AppendUtf8AsCp1251(text_, span);
    } else {
      run_.append(span);
      AppendUtf8AsCp1251(text_, run_);
      run_.clear();
    }
    if (input_.Peek() != '&') break;
    input_.Next();
    std::string name;
    if (!ReadReferenceName(name)) return TStep::End;
    TReference ref = Classify(name);
    switch (ref.kind) {
      case TRefKind::Char:
        text_ += CodePointToCp1251(ref.cp);
        break;
      case TRefKind::BadNumber:
        text_ += ' ';
        break;
      case TRefKind::External:
        break;  // never fetched
      case TRefKind::Unknown:
        return TStep::End;
      case TRefKind::Entity:
        if (input_.InEntity(name) || input_.EntityDepth() >= kMaxEntityDepth ||
            !ChargeEntity(*ref.entity, false))
          return TStep::End;
        // Its text is read on as if it stood here, markup included.
        input_.PushEntity(name, ref.entity->text);
        break;
    }
  }
  CollapseBlanks(text_, collapsed_);
  if (collapsed_.empty()) return TStep::Nothing;
  kind_ = pkContent;
  content_.swap(collapsed_);
  return TStep::Part;
}

TXmlParserUTF8::TStep TXmlParserUTF8::ReadTag(bool endTag) {
  tagName_.clear();
  input_.TakeWhile(tagName_, [](int c) { return !IsTagNameEnd(c); });
  if (tagName_.empty()) return TStep::End;
  TXmlAttributeList& attributes = tagAttributes_;
  attributes.Clear();
  TXmlPartKind kind = endTag ? pkEndTag : pkStartTag;
  for (;;) {
    SkipBlanks();
    int c = input_.Peek();
    if (c < 0) return TStep::End;
    if (c == '>') {
      input_.Next();
      break;
    }
    if (c == '/') {
      input_.Next();
      SkipBlanks();
      if (input_.Next() != '>') return TStep::End;
      if (!endTag) kind = pkEmptyTag;
      break;
    }
    attrName_.clear();
    input_.TakeWhile(attrName_, IsAttributeNameByte);
    if (attrName_.empty()) return TStep::End;
    SkipBlanks();
    if (input_.Next() != '=') return TStep::End;
    SkipBlanks();
    std::string& value = attributes.AddEmpty(attrName_);
    std::string_view inside;
    if (input_.TakeQuotedInFrame(inside)) {
      if (inside.find('&') == std::string_view::npos) {
        // The common case: a literal without references, converted where it stands.
        AppendUtf8AsCp1251(value, inside);
        BlanksToSpaces(value);
      } else {
        raw_.assign(inside);
        if (!AttributeValue(raw_, value)) return TStep::End;
      }
      continue;
    }
    raw_.clear();
    if (!ReadQuoted(raw_) || !AttributeValue(raw_, value)) return TStep::End;
  }
  kind_ = kind;
  name_.swap(tagName_);
  std::swap(attributes_, tagAttributes_);
  return TStep::Part;
}

TXmlParserUTF8::TStep TXmlParserUTF8::ReadProcessingInstruction() {
  std::string body;
  if (!ReadUntil("?>", body)) return TStep::End;
  size_t targetEnd = 0;
  while (targetEnd < body.size() && !IsBlank(static_cast<unsigned char>(body[targetEnd])))
    ++targetEnd;
  if (targetEnd == 0) return TStep::End;
  size_t restBegin = targetEnd;
  while (restBegin < body.size() && IsBlank(static_cast<unsigned char>(body[restBegin])))
    ++restBegin;
  std::string target = body.substr(0, targetEnd);
  std::string rest = body.substr(restBegin);
  // "<?xml" is the declaration only when a blank follows; "<?xml?>" or "<?xml-x ...?>" is not.
  if (target == "xml" && targetEnd < body.size()) {
    kind_ = pkXmlDecl;
    name_.clear();
    content_.clear();
  } else {
    kind_ = pkPI;
    name_ = std::move(target);
    content_ = Utf8ToCp1251(rest);
  }
  ReadPseudoAttributes(rest, attributes_);
  return TStep::Part;
}

TXmlParserUTF8::TStep TXmlParserUTF8::ReadComment() {
  std::string body;
  if (!ReadUntil("-->", body)) return TStep::End;
  kind_ = pkComment;
  return TStep::Part;
}

TXmlParserUTF8::TStep TXmlParserUTF8::ReadCData() {
  std::string body;
  if (!ReadUntil("]]>", body)) return TStep::End;
  kind_ = pkCData;
  content_ = Utf8ToCp1251(body);
  return TStep::Part;
}

TXmlParserUTF8::TStep TXmlParserUTF8::ReadDoctype() {
  // The external subset, if one is named, is never read: no file named in a document is opened.
  for (;;) {
    int c = input_.Peek();
    if (c < 0) return TStep::End;
    if (c == '"' || c == '\'') {
      std::string literal;
      if (!ReadQuoted(literal)) return TStep::End;
      continue;
    }
    input_.Next();
    if (c == '[' && !ReadInternalSubset()) return TStep::End;
    if (c == '>') break;
  }
  kind_ = pkDoctype;
  name_.clear();
  content_.clear();
  return TStep::Part;
}

bool TXmlParserUTF8::ReadInternalSubset() {
  for (;;) {
    SkipBlanks();
    int c = input_.Peek();
    if (c < 0) return false;
    if (c == ']') {
      input_.Next();
      return true;
    }
    std::string skipped;
    bool ok;
    if (input_.Skip("<!--")) {
      ok = ReadUntil("-->", skipped);
    } else if (input_.Skip("<?")) {
      ok = ReadUntil("?>", skipped);
    } else if (input_.Skip("<!ENTITY")) {
      ok = ReadEntityDeclaration();
    } else if (input_.Skip("<!")) {
      ok = SkipDeclaration();  // ELEMENT, ATTLIST, NOTATION: nothing the consumers need
    } else if (c == '%') {
      input_.Next();
      ok = ReadReferenceName(skipped);  // parameter entities are not expanded
    } else {
      ok = false;
    }
    if (!ok) return false;
  }
}

bool TXmlParserUTF8::ReadEntityDeclaration() {
  SkipBlanks();
  bool parameter = false;
  if (input_.Peek() == '%' && IsBlank(input_.Peek(1))) {
    parameter = true;
    input_.Next();
    SkipBlanks();
  }
  std::string name;
  for (int c = input_.Peek(); c >= 0 && !IsBlank(c) && c != '"' && c != '\'' && c != '>';
       c = input_.Peek())
    name += static_cast<char>(input_.Next());
  SkipBlanks();
  TEntity entity;
  int c = input_.Peek();
  if (c == '"' || c == '\'') {
    std::string value;
    if (!ReadQuoted(value)) return false;
    entity.text = std::make_shared<const std::string>(std::move(value));
  }
  // Without a literal it is SYSTEM or PUBLIC: an external entity, remembered but never fetched.
  if (!SkipDeclaration()) return false;
  if (!parameter && !name.empty()) entities_.emplace(name, std::move(entity));  // first one binds
  return true;
}

bool TXmlParserUTF8::SkipDeclaration() {
  for (;;) {
    int c = input_.Peek();
    if (c < 0) return false;
    if (c == '"' || c == '\'') {
      std::string literal;
      if (!ReadQuoted(literal)) return false;
      continue;
    }
    input_.Next();
    if (c == '>') return true;
  }
}

bool TXmlParserUTF8::ReadQuoted(std::string& text) {
  int quote = input_.Next();
  if (quote != '"' && quote != '\'') return false;
  input_.TakeWhile(text, [quote](int c) { return c != quote; });
  return input_.Next() == quote;
}

bool TXmlParserUTF8::ReadUntil(const char* terminator, std::string& text) {
  const std::string_view end(terminator);
  if (input_.TakeThroughInFrame(text, end)) return true;
  for (int c = input_.Next(); c >= 0; c = input_.Next()) {
    text += static_cast<char>(c);
    if (text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0) {
      text.resize(text.size() - end.size());
      return true;
    }
  }
  return false;
}

bool TXmlParserUTF8::ReadReferenceName(std::string& name) {
  for (;;) {
    int c = input_.Peek();
    if (c < 0 || c == '<' || c == '&' || IsBlank(c) || name.size() > kMaxReferenceName)
      return false;
    input_.Next();
    if (c == ';') return !name.empty();
    name += static_cast<char>(c);
  }
}

void TXmlParserUTF8::SkipBlanks() {
  while (IsBlank(input_.Peek())) input_.Next();
}

TXmlParserUTF8::TReference TXmlParserUTF8::Classify(const std::string& name) const {
  TReference ref;
  ref.name = name;
  if (name[0] == '#') {
    ref.kind = ParseCharNumber(name, ref.cp) ? TRefKind::Char : TRefKind::BadNumber;
    return ref;
  }
  static const struct {
    const char* name;
    char32_t cp;
  } kPredefined[] = {{"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"apos", '\''}, {"quot", '"'}};
  for (const auto& p : kPredefined) {
    if (name == p.name) {
      ref.kind = TRefKind::Char;
      ref.cp = p.cp;
      return ref;
    }
  }
  auto found = entities_.find(name);
  if (found == entities_.end()) return ref;
  ref.entity = &found->second;
  ref.kind = found->second.text ? TRefKind::Entity : TRefKind::External;
  return ref;
}

bool TXmlParserUTF8::ChargeExpansion(size_t size) {
  // Even an empty replacement costs a little, so that endless chains of them stay bounded.
  expanded_ += size + 1;
  return ExpansionFits(expanded_);
}

bool TXmlParserUTF8::ExpansionFits(size_t expanded) const {
  return expanded <= kFreeExpansion || expanded / kMaxAmplification <= documentSize_;
}

// The budget only grows used, so a reference whose whole expansion will not fit ends the
// document whenever its reading would have run out: at once, instead of after megabytes of
// nested replacement texts (the "billion laughs"). In text that holds only when no markup is
// read on the way, since its parts would have been delivered before the end; an attribute value
// is all or nothing. Anything irregular inside (a cycle, an unknown name, a stray ampersand)
// leaves the reference to be read and charged as it goes.
bool TXmlParserUTF8::ChargeEntity(const TEntity& entity, bool inAttribute) {
  const TWholeExpansion& whole = WholeExpansion(entity, 0);
  if (whole.state == TWholeExpansion::Regular && (inAttribute || !whole.markup) &&
      !ExpansionFits(expanded_ + whole.charge))
    return false;
  return ChargeExpansion(entity.text->size());
}

const TXmlParserUTF8::TWholeExpansion& TXmlParserUTF8::WholeExpansion(const TEntity& entity,
                                                                      size_t depth) const {
  TWholeExpansion& whole = entity.whole;
  if (whole.state == TWholeExpansion::Regular || whole.state == TWholeExpansion::Working ||
      (whole.state == TWholeExpansion::Irregular && whole.declarations == entities_.size()))
    return whole;
  const auto irregular = [&]() -> const TWholeExpansion& {
    whole.state = TWholeExpansion::Irregular;
    whole.declarations = entities_.size();  // a later declaration may name what was unknown
    return whole;
  };
  // Deeper than the reader goes: it would end there, whatever the cost.
  if (depth > kMaxEntityDepth) return irregular();
  whole.state = TWholeExpansion::Working;
  const std::string& text = *entity.text;
  const size_t saturated = SIZE_MAX / 2;
  size_t charge = text.size() + 1;
  bool markup = text.find('<') != std::string::npos;
  for (size_t amp = text.find('&'); amp != std::string::npos; amp = text.find('&', amp + 1)) {
    const size_t semi = text.find(';', amp + 1);
    if (semi == std::string::npos || semi == amp + 1 || semi - amp - 1 > kMaxReferenceName)
      return irregular();
    const std::string name = text.substr(amp + 1, semi - amp - 1);
    if (name.find_first_of(" \t\r\n<&") != std::string::npos) return irregular();
    const TReference ref = Classify(name);
    if (ref.kind == TRefKind::Unknown) return irregular();
    if (ref.kind == TRefKind::Entity) {
      const TWholeExpansion& inner = WholeExpansion(*ref.entity, depth + 1);
      if (inner.state != TWholeExpansion::Regular) return irregular();  // a cycle among them
      markup = markup || inner.markup;
      charge = std::min(saturated, charge + inner.charge);
    }
    amp = semi;
  }
  whole.state = TWholeExpansion::Regular;
  whole.markup = markup;
  whole.charge = charge;
  return whole;
}

bool TXmlParserUTF8::ExpandAttributeValue(const std::string& raw, std::string& out,
                                          std::vector<std::string>& open) {
  size_t pos = 0;
  while (pos < raw.size()) {
    size_t amp = raw.find('&', pos);
    if (amp == std::string::npos) {
      out.append(raw, pos, std::string::npos);
      break;
    }
    out.append(raw, pos, amp - pos);
    size_t semi = raw.find(';', amp + 1);
    if (semi == std::string::npos || semi == amp + 1 || semi - amp - 1 > kMaxReferenceName)
      return false;
    std::string name = raw.substr(amp + 1, semi - amp - 1);
    if (name.find_first_of(" \t\r\n<&") != std::string::npos) return false;
    pos = semi + 1;
    TReference ref = Classify(name);
    switch (ref.kind) {
      case TRefKind::Char:
        AppendUtf8(out, ref.cp);
        break;
      case TRefKind::BadNumber:
        out += ' ';
        break;
      case TRefKind::External:
        break;
      case TRefKind::Unknown:
        return false;
      case TRefKind::Entity:
        if (std::find(open.begin(), open.end(), name) != open.end() ||
            open.size() >= kMaxEntityDepth || !ChargeEntity(*ref.entity, true))
          return false;
        open.push_back(name);
        if (!ExpandAttributeValue(*ref.entity->text, out, open)) return false;
        open.pop_back();
        break;
    }
  }
  return true;
}

bool TXmlParserUTF8::AttributeValue(const std::string& raw, std::string& value) {
  std::string expanded;
  std::vector<std::string> open;
  if (!ExpandAttributeValue(raw, expanded, open)) return false;
  value.clear();
  AppendUtf8AsCp1251(value, expanded);
  BlanksToSpaces(value);
  return true;
}

void TXmlParserUTF8::ReadPseudoAttributes(const std::string& text, TXmlAttributeList& list) const {
  list.Clear();
  size_t pos = 0;
  auto skipBlanks = [&] {
    while (pos < text.size() && IsBlank(static_cast<unsigned char>(text[pos]))) ++pos;
  };
  for (;;) {
    skipBlanks();
    size_t nameBegin = pos;
    while (pos < text.size() && text[pos] != '=' && !IsBlank(static_cast<unsigned char>(text[pos])))
      ++pos;
    if (pos == nameBegin) return;
    std::string name = text.substr(nameBegin, pos - nameBegin);
    skipBlanks();
    if (pos >= text.size() || text[pos] != '=') return;
    ++pos;
    skipBlanks();
    if (pos >= text.size() || (text[pos] != '"' && text[pos] != '\'')) return;
    size_t close = text.find(text[pos], pos + 1);
    if (close == std::string::npos) return;
    std::string value = text.substr(pos + 1, close - pos - 1);
    pos = close + 1;
    BlanksToSpaces(value);
    list.Add(std::move(name), Utf8ToCp1251(value));
  }
}

}  // namespace quillon
