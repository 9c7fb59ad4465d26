#include "study/block_set.h"

#include <algorithm>

BlockSet BlockSet::shard(std::uint64_t count, std::uint64_t shard, std::uint64_t shards) {
  BlockSet set;
  for (std::uint64_t block = shard; block < count; block += shards) {
    set.add(block);
    if (count - block <= shards) {
      break;  // the next step would pass the count, or wrap around
    }
  }
  return set;
}

void BlockSet::add(Range range) {
  // Every range that touches or overlaps the new one is merged into it.
  auto first = std::lower_bound(ranges_.begin(), ranges_.end(), range,
                                [](Range a, Range b) { return a.last + 1 < b.first; });
  auto last = first;
  while (last != ranges_.end() && last->first <= range.last + 1) {
    range.first = std::min(range.first, last->first);
    range.last = std::max(range.last, last->last);
    ++last;
  }
  first = ranges_.erase(first, last);
  ranges_.insert(first, range);
}

void BlockSet::add(const BlockSet& other) {
  for (const Range range : other.ranges_) {
    add(range);
  }
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

std::vector<std::uint64_t> BlockSet::missingFrom(const BlockSet& other) const {
  std::vector<std::uint64_t> missing;
  for (const Range range : ranges_) {
    for (std::uint64_t block = range.first; block <= range.last; ++block) {
      if (!other.contains(block)) {
        missing.push_back(block);
      }
    }
  }
  return missing;
}

std::uint64_t BlockSet::size() const {
  std::uint64_t total = 0;
  for (const Range range : ranges_) {
    total += range.last - range.first + 1;
  }
  return total;
}
