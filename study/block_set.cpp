#include "study/block_set.h"

#include <algorithm>

BlockSet BlockSet::of(Range range) {
  BlockSet set;
  set.append(range);
  return set;
}

bool BlockSet::append(Range range) {
  if (range.first > range.last) {
    return false;
  }
  if (ranges_.empty()) {
    ranges_.push_back(range);
    return true;
  }
  Range& top = ranges_.back();
  if (range.first <= top.last) {
    return false;
  }
  // A range that starts right after the top one extends it.
  if (range.first == top.last + 1) {
    top.last = range.last;
  } else {
    ranges_.push_back(range);
  }
  return true;
}

BlockSet BlockSet::joined(const BlockSet& other) const {
  BlockSet set;
  set.ranges_.reserve(ranges_.size() + other.ranges_.size());
  auto a = ranges_.begin();
  auto b = other.ranges_.begin();
  while (a != ranges_.end() || b != other.ranges_.end()) {
    const bool fromA = b == other.ranges_.end() || (a != ranges_.end() && a->first < b->first);
    set.append(fromA ? *a++ : *b++);
  }
  return set;
}

BlockSet BlockSet::without(const BlockSet& other) const {
  BlockSet set;
  auto b = other.ranges_.begin();
  for (Range rest : ranges_) {
    // Every range of `other` that ends below this one is passed for good.
    while (b != other.ranges_.end() && b->last < rest.first) {
      ++b;
    }
    for (auto cut = b; cut != other.ranges_.end() && cut->first <= rest.last; ++cut) {
      if (cut->first > rest.first) {
        set.append(Range{rest.first, cut->first - 1});
      }
      if (cut->last >= rest.last) {
        rest.first = rest.last + 1;
        break;
      }
      rest.first = cut->last + 1;
    }
    set.append(rest);
  }
  return set;
}

bool BlockSet::contains(std::uint64_t block) const {
  // The first range that does not end below the block is the only candidate.
  const auto range = std::lower_bound(ranges_.begin(), ranges_.end(), block,
                                      [](Range r, std::uint64_t b) { return r.last < b; });
  return range != ranges_.end() && range->first <= block;
}

bool BlockSet::overlaps(const BlockSet& other) const {
  auto a = ranges_.begin();
  auto b = other.ranges_.begin();
  while (a != ranges_.end() && b != other.ranges_.end()) {
    if (a->last < b->first) {
      ++a;
    } else if (b->last < a->first) {
      ++b;
    } else {
      return true;
    }
  }
  return false;
}

std::uint64_t BlockSet::size() const {
  std::uint64_t total = 0;
  for (const Range range : ranges_) {
    total += range.last - range.first + 1;
  }
  return total;
}
