#pragma once

#include <array>
#include <cstdint>

// Cards by blackjack value, 1 (the ace) to 10 (any ten-valued card); index 0
// is unused. The exact engine's shoes, hands and removed cards are all this.
class CardCounts {
 public:
  static constexpr int kValues = 10;
  static constexpr int kTensPerDeck = 16;
  static constexpr int kOthersPerDeck = 4;

  constexpr CardCounts() = default;
  // A full shoe of `decks` decks.
  static constexpr CardCounts shoe(int decks) {
    CardCounts shoe;
    for (int v = 1; v <= kValues; ++v) {
      shoe.add(v, decks * (v == 10 ? kTensPerDeck : kOthersPerDeck));
    }
    return shoe;
  }

  constexpr int operator[](int value) const { return counts_[value]; }
  constexpr int total() const { return total_; }
  // The sum of the values, every ace counted as 1.
  constexpr int hardSum() const { return hardSum_; }

  constexpr void add(int value, int count = 1) {
    counts_[value] += count;
    total_ += count;
    hardSum_ += value * count;
  }
  constexpr CardCounts plus(int value) const {
    CardCounts more = *this;
    more.add(value);
    return more;
  }
  constexpr CardCounts minus(const CardCounts& other) const {
    CardCounts less = *this;
    for (int v = 1; v <= kValues; ++v) {
      less.add(v, -other[v]);
    }
    return less;
  }
  // Whether every card of `other` is here.
  constexpr bool holds(const CardCounts& other) const {
    for (int v = 1; v <= kValues; ++v) {
      if (other[v] > counts_[v]) {
        return false;
      }
    }
    return true;
  }

  // The hand's best total: an ace counts 11 where that does not bust it.
  constexpr int bestTotal() const { return isSoft() ? hardSum_ + 10 : hardSum_; }
  constexpr bool isSoft() const { return counts_[1] > 0 && hardSum_ + 10 <= 21; }

  // Five bits a value: a hand never holds 32 cards of one value. Unique for
  // every hand of at most 31 cards of each value, so a complete cache key.
  constexpr std::uint64_t key() const {
    std::uint64_t packed = 0;
    for (int v = 1; v <= kValues; ++v) {
      packed = packed << 5U | static_cast<std::uint64_t>(counts_[v]);
    }
    return packed;
  }

  constexpr bool operator==(const CardCounts&) const = default;

 private:
  std::array<int, kValues + 1> counts_{};
  int total_ = 0;
  int hardSum_ = 0;
};
