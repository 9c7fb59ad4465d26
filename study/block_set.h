#pragma once

#include <cstdint>
#include <vector>

// A set of block numbers kept as sorted, disjoint, non-adjacent inclusive
// ranges: a study of a billion rounds is a handful of ranges, not a list.
class BlockSet {
 public:
  struct Range {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    bool operator==(const Range&) const = default;
  };

  BlockSet() = default;
  // Blocks 0..count-1 whose number leaves `shard` when divided by `shards`.
  static BlockSet shard(std::uint64_t count, std::uint64_t shard, std::uint64_t shards);

  void add(std::uint64_t block) { add(Range{block, block}); }
  // Adds a range (first <= last), joining it with its neighbours.
  void add(Range range);
  void add(const BlockSet& other);

  bool contains(std::uint64_t block) const;
  bool overlaps(const BlockSet& other) const;
  // The blocks of this set that `other` lacks, in ascending order.
  std::vector<std::uint64_t> missingFrom(const BlockSet& other) const;
  std::uint64_t size() const;
  bool empty() const { return ranges_.empty(); }
  const std::vector<Range>& ranges() const { return ranges_; }
  bool operator==(const BlockSet&) const = default;

 private:
  std::vector<Range> ranges_;
};
