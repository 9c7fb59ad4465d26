#pragma once

#include <cstdint>
#include <vector>

// A set of blocks kept as sorted, disjoint, non-adjacent inclusive ranges, so
// that blocks played in order, from a whole study or one shard of it, are a
// handful of ranges however many there are. Every operation is linear in the
// ranges at most: a set grows by appending and sets join by merging.
class BlockSet {
 public:
  struct Range {
    std::uint64_t first;
    std::uint64_t last;
    bool operator==(const Range&) const = default;
  };

  BlockSet() = default;
  // Blocks first..last.
  static BlockSet of(Range range);

  // Adds blocks above every block held, as workers and readers meet them;
  // false, leaving the set unchanged, when the range is empty or does not
  // lie above.
  bool append(Range range);
  void append(std::uint64_t block) { append(Range{block, block}); }
  // The union with a set that shares no block, in one pass over both.
  BlockSet joined(const BlockSet& other) const;
  // The blocks of this set that `other` lacks.
  BlockSet without(const BlockSet& other) const;

  bool contains(std::uint64_t block) const;
  bool overlaps(const BlockSet& other) const;
  std::uint64_t size() const;
  bool empty() const { return ranges_.empty(); }
  const std::vector<Range>& ranges() const { return ranges_; }
  bool operator==(const BlockSet&) const = default;

 private:
  std::vector<Range> ranges_;
};
