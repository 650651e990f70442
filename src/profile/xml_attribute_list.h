// The attributes of one part of an XML document, kept sorted by name.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quillon {

class TXmlAttributeList {
 public:
  void Clear() { items_.clear(); }
  // Inserts in ascending byte order of name; a repeated name goes after the earlier ones.
  void Add(std::string name, std::string value);

  // The value of the first attribute of exactly this name (letter case counts), else "".
  std::string Value(const std::string& name) const;
  bool Has(const std::string& name) const;

  int Count() const { return static_cast<int>(items_.size()); }
  // Walking by position; a position outside the list reads as "".
  std::string Name(int index) const;
  std::string Value(int index) const;

 private:
  std::vector<std::pair<std::string, std::string>> items_;
};

}  // namespace quillon
