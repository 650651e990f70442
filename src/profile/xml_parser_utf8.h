// The XML reader of the profile and the configuration files: a pull reader that delivers a
// UTF-8 document as a flat sequence of parts, with every piece of text converted to
// Windows-1251.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "profile/xml_attribute_list.h"
#include "profile/xml_input.h"

namespace quillon {

enum TXmlPartKind : uint8_t {
  pkNone = 0,
  pkXmlDecl = 1,
  pkComment = 2,
  pkPI = 3,
  pkDoctype = 4,
  pkStartTag = 5,
  pkEmptyTag = 6,
  pkEndTag = 7,
  pkContent = 8,
  pkCData = 9,
};

class TXmlParserUTF8 {
 public:
  // Files are read only when regular and at most this large.
  static constexpr size_t kMaxFileSize = size_t{64} << 20;

  // Both forget any previous document. An unreadable or refused file gives false and an empty
  // document.
  bool LoadFromFile(const std::string& fileName);
  bool LoadFromBuffer(const std::string& utf8);

  // Advances to the next part; false once the document is exhausted (or cannot be read on).
  bool Scan();

  // The current part. Comments, text and CDATA keep the name and attributes of the part
  // before them, so text arrives under the name of the tag it follows.
  TXmlPartKind PartKind() const { return kind_; }
  const std::string& PartName() const { return name_; }
  const std::string& PartContent() const { return content_; }
  const TXmlAttributeList& PartAttributes() const { return attributes_; }

 private:
  enum class TStep { Part, Nothing, End };
  // What reading an entity's text to its end costs, references inside included; worked out
  // once, when first needed.
  struct TWholeExpansion {
    enum TState : uint8_t { Unknown, Working, Regular, Irregular };
    TState state = Unknown;
    size_t declarations = 0;  // how many entities there were when it was found irregular
    bool markup = false;      // a '<' in any of the texts read
    size_t charge = 0;        // what ChargeExpansion is asked for along the way, in all
  };
  struct TEntity {
    std::shared_ptr<const std::string> text;  // UTF-8 as declared; null for an external one
    mutable TWholeExpansion whole;
  };
  enum class TRefKind { Char, BadNumber, Entity, External, Unknown };
  struct TReference {
    TRefKind kind = TRefKind::Unknown;
    char32_t cp = 0;
    const TEntity* entity = nullptr;
    std::string name;
  };

  TStep ScanMarkup();
  TStep ScanText();
  TStep ReadTag(bool endTag);
  TStep ReadProcessingInstruction();
  TStep ReadComment();
  TStep ReadCData();
  TStep ReadDoctype();

  bool ReadInternalSubset();
  bool ReadEntityDeclaration();
  bool SkipDeclaration();
  bool ReadQuoted(std::string& text);
  bool ReadUntil(const char* terminator, std::string& text);
  bool ReadReferenceName(std::string& name);
  void SkipBlanks();

  TReference Classify(const std::string& name) const;
  bool ChargeExpansion(size_t size);
  bool ExpansionFits(size_t expanded) const;
  bool ChargeEntity(const TEntity& entity, bool inAttribute);
  const TWholeExpansion& WholeExpansion(const TEntity& entity, size_t depth) const;
  bool ExpandAttributeValue(const std::string& raw, std::string& out,
                            std::vector<std::string>& open);
  bool AttributeValue(const std::string& raw, std::string& value);
  void ReadPseudoAttributes(const std::string& text, TXmlAttributeList& list) const;

  TXmlInput input_;
  std::map<std::string, TEntity> entities_;
  size_t expanded_ = 0;
  size_t documentSize_ = 0;
  bool ended_ = true;

  TXmlPartKind kind_ = pkNone;
  std::string name_;
  std::string content_;
  TXmlAttributeList attributes_;

  // Working storage kept from part to part, so that reading allocates little.
  std::string text_;
  std::string run_;
  std::string collapsed_;
  std::string tagName_;
  std::string attrName_;
  std::string raw_;
  TXmlAttributeList tagAttributes_;
};

}  // namespace quillon
