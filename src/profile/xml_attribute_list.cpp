#include "profile/xml_attribute_list.h"

#include <algorithm>

namespace quillon {

namespace {

const std::string kEmpty;
// Up to this many attributes are ordered by insertion, at most kSmall^2 / 2 steps.
constexpr size_t kSmall = 16;

}  // namespace

void TXmlAttributeList::Clear() {
  size_ = 0;
  ordered_ = true;
}

// While ordered_, order_ holds the sorted positions, so the last of them names the greatest.
// std::string compares bytes as unsigned char, which is the order the consumers expect.
void TXmlAttributeList::NoteOrder(std::string_view name) {
  if (ordered_ && size_ > 0) {
    ++steps_;
    if (name < std::string_view(At(size_ - 1).first)) ordered_ = false;
  }
  if (order_.size() <= size_) order_.resize(size_ + 1);
  order_[size_] = static_cast<uint32_t>(size_);
}

void TXmlAttributeList::Add(std::string name, std::string value) {
  NoteOrder(name);
  if (size_ < items_.size()) {
    items_[size_].first.swap(name);
    items_[size_].second.swap(value);
  } else {
    items_.emplace_back(std::move(name), std::move(value));
  }
  ++size_;
}

std::string& TXmlAttributeList::AddEmpty(std::string_view name) {
  NoteOrder(name);
  if (size_ == items_.size()) items_.emplace_back();
  Item& item = items_[size_++];
  item.first.assign(name);
  item.second.clear();
  return item.second;
}

// A stable bottom-up merge sort of positions: at most log2(n) passes of n moves and fewer
// comparisons.
void TXmlAttributeList::PutInOrder() const {
  if (ordered_) return;
  const size_t n = size_;
  for (size_t m = 0; m < n; ++m) order_[m] = static_cast<uint32_t>(m);
  if (n <= kSmall) {
    // A tag's few attributes: insertion sort, stable, no second buffer.
    for (size_t m = 1; m < n; ++m) {
      const uint32_t item = order_[m];
      size_t k = m;
      while (k > 0 && (++steps_, items_[item].first < items_[order_[k - 1]].first)) {
        order_[k] = order_[k - 1];
        --k;
      }
      order_[k] = item;
    }
    ordered_ = true;
    return;
  }
  buffer_.resize(std::max(buffer_.size(), n));
  for (size_t width = 1; width < n; width *= 2) {
    for (size_t lo = 0; lo < n; lo += 2 * width) {
      const size_t mid = std::min(lo + width, n);
      const size_t hi = std::min(lo + 2 * width, n);
      size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        ++steps_;
        if (items_[order_[j]].first < items_[order_[i]].first)
          buffer_[k++] = order_[j++];
        else
          buffer_[k++] = order_[i++];
      }
      while (i < mid) buffer_[k++] = order_[i++];
      while (j < hi) buffer_[k++] = order_[j++];
      steps_ += hi - lo;
    }
    order_.swap(buffer_);
  }
  ordered_ = true;
}

const TXmlAttributeList::Item* TXmlAttributeList::Find(const std::string& name) const {
  PutInOrder();
  auto end = order_.begin() + static_cast<std::ptrdiff_t>(size_);
  auto at = std::lower_bound(
      order_.begin(), end, name,
      [this](uint32_t index, const std::string& key) { return items_[index].first < key; });
  return at != end && items_[*at].first == name ? &items_[*at] : nullptr;
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
  return At(static_cast<size_t>(index)).first;
}

const std::string& TXmlAttributeList::Value(int index) const {
  if (index < 0 || index >= Count()) return kEmpty;
  PutInOrder();
  return At(static_cast<size_t>(index)).second;
}

}  // namespace quillon
