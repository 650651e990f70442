// The attributes of one part of an XML document, kept sorted by name.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class TXmlAttributeList {
 public:
  void Clear();
  // Ascending byte order of name; a repeated name goes after the earlier ones. Attributes are
  // appended as they come and put in order once, when first looked at, so that a part with many
  // attributes in any order costs O(n log n), not O(n^2).
  void Add(std::string name, std::string value);

  // The value of the first attribute of exactly this name (letter case counts), else "".
  const std::string& Value(const std::string& name) const;
  bool Has(const std::string& name) const;

  int Count() const { return static_cast<int>(size_); }
  // Walking by position; a position outside the list reads as "".
  const std::string& Name(int index) const;
  const std::string& Value(int index) const;

  // Name comparisons and element moves spent on keeping the order since the list was made: the
  // work a test can count instead of timing it.
  size_t OrderingSteps() const { return steps_; }

 private:
  using Item = std::pair<std::string, std::string>;
  void PutInOrder() const;
  const Item* Find(const std::string& name) const;

  // Only the first size_ items are in use; the rest keep their storage for the next part.
  mutable std::vector<Item> items_;
  mutable std::vector<Item> buffer_;
  size_t size_ = 0;
  mutable bool ordered_ = true;
  mutable size_t steps_ = 0;
};

}  // namespace quillon
