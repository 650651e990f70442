// The attributes of one part of an XML document, kept sorted by name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
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
  // Adds an attribute of this name and hands back its value to fill in place; the storage of an
  // earlier part is reused, so a reader filling the list tag after tag allocates almost nothing.
  std::string& AddEmpty(std::string_view name);

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
  void NoteOrder(std::string_view name);
  void PutInOrder() const;
  const Item* Find(const std::string& name) const;
  const Item& At(size_t index) const { return items_[order_[index]]; }

  // Only the first size_ items are in use, in document order; the rest keep their storage for
  // the next part. order_ holds their positions sorted by name.
  std::vector<Item> items_;
  mutable std::vector<uint32_t> order_;
  mutable std::vector<uint32_t> buffer_;
  size_t size_ = 0;
  mutable bool ordered_ = true;
  mutable size_t steps_ = 0;
};

}  // namespace quillon
