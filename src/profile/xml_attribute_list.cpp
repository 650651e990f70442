#include "profile/xml_attribute_list.h"

#include <algorithm>

namespace quillon {

namespace {

using Item = std::pair<std::string, std::string>;

// std::string compares bytes as unsigned char, which is the order the consumers expect.
bool NameLess(const Item& a, const Item& b) {
  return a.first < b.first;
}

}  // namespace

void TXmlAttributeList::Add(std::string name, std::string value) {
  Item item(std::move(name), std::move(value));
  auto at = std::upper_bound(items_.begin(), items_.end(), item, NameLess);
  items_.insert(at, std::move(item));
}

std::string TXmlAttributeList::Value(const std::string& name) const {
  auto at = std::lower_bound(items_.begin(), items_.end(), Item(name, std::string()), NameLess);
  return at != items_.end() && at->first == name ? at->second : std::string();
}

bool TXmlAttributeList::Has(const std::string& name) const {
  auto at = std::lower_bound(items_.begin(), items_.end(), Item(name, std::string()), NameLess);
  return at != items_.end() && at->first == name;
}

std::string TXmlAttributeList::Name(int index) const {
  return index >= 0 && index < Count() ? items_[index].first : std::string();
}

std::string TXmlAttributeList::Value(int index) const {
  return index >= 0 && index < Count() ? items_[index].second : std::string();
}

}  // namespace quillon
