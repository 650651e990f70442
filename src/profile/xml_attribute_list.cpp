#include "profile/xml_attribute_list.h"

#include <algorithm>

namespace quillon {

namespace {

const std::string kEmpty;

}  // namespace

void TXmlAttributeList::Clear() {
  size_ = 0;
  ordered_ = true;
}

void TXmlAttributeList::Add(std::string name, std::string value) {
  // std::string compares bytes as unsigned char, which is the order the consumers expect.
  if (ordered_ && size_ > 0) {
    ++steps_;
    if (name < items_[size_ - 1].first) ordered_ = false;
  }
  if (size_ < items_.size()) {
    items_[size_].first.swap(name);
    items_[size_].second.swap(value);
  } else {
    items_.emplace_back(std::move(name), std::move(value));
  }
  ++size_;
}

// A stable bottom-up merge sort: at most log2(n) passes of n moves and fewer comparisons.
void TXmlAttributeList::PutInOrder() const {
  if (ordered_) return;
  const size_t n = size_;
  buffer_.resize(std::max(buffer_.size(), n));
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(lo + width, n);
      const size_t hi = std::min(lo + 2 * width, n);
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        ++steps_;
        if (items_[j].first < items_[i].first)
          buffer_[k++].swap(items_[j++]);
        else
          buffer_[k++].swap(items_[i++]);
      }
      while (i < mid) buffer_[k++].swap(items_[i++]);
      while (j < hi) buffer_[k++].swap(items_[j++]);
      steps_ += hi - lo;
    }
    // The first n items now live in buffer_; the spare storage beyond stays in items_.
    for (size_t m = 0; m < n; ++m) items_[m].swap(buffer_[m]);
    steps_ += n;
  }
  ordered_ = true;
}

const TXmlAttributeList::Item* TXmlAttributeList::Find(const std::string& name) const {
  PutInOrder();
  auto end = items_.begin() + static_cast<std::ptrdiff_t>(size_);
  auto at =
      std::lower_bound(items_.begin(), end, name,
                       [](const Item& item, const std::string& key) { return item.first < key; });
  return at != end && at->first == name ? &*at : nullptr;
}

const std::string& TXmlAttributeList::Value(const std::string& name) const {
  const Item* item = Find(name);
  return item ? item->second : kEmpty;
}

bool TXmlAttributeList::Has(const std::string& name) const {
  return Find(name) != nullptr;
}

const std::string& TXmlAttributeList::Name(int index) const {
  if (index < 0 || index >= Count()) return kEmpty;
  PutInOrder();
  return items_[index].first;
}

const std::string& TXmlAttributeList::Value(int index) const {
  if (index < 0 || index >= Count()) return kEmpty;
  PutInOrder();
  return items_[index].second;
}

}  // namespace quillon
