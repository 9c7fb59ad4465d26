#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>
#include <vector>

// The cards of a hand, in the order received. Hands are copied for every rule
// call, so ordinary hands live in an inline buffer and copying them never
// touches the heap; a hand longer than the buffer spills into a vector.
class CardList {
 public:
  static constexpr std::size_t kInline = 24;

  CardList() = default;
  CardList(const CardList&) = default;
  CardList& operator=(const CardList&) = default;
  // A moved-from list is empty: the spill buffer leaves with the cards, so the
  // size must go too, or a long hand would keep a size with no storage behind.
  CardList(CardList&& other) noexcept
      : inline_(other.inline_),
        spill_(std::move(other.spill_)),
        size_(std::exchange(other.size_, 0)) {}
  CardList& operator=(CardList&& other) noexcept {
    if (this != &other) {
      inline_ = other.inline_;
      spill_ = std::move(other.spill_);
      size_ = std::exchange(other.size_, 0);
      other.spill_.clear();
    }
    return *this;
  }
  ~CardList() = default;

  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  int operator[](std::size_t i) const { return data()[i]; }
  const int* begin() const { return data(); }
  const int* end() const { return data() + size_; }

  void push_back(int value) {
    if (size_ < kInline) [[likely]] {
      inline_[size_++] = value;
    } else {
      spillBack(value);
    }
  }

  void eraseFirst() {
    if (size_ == 0) {
      return;
    }
    if (size_ > kInline) {
      spill_.erase(spill_.begin());
      if (size_ - 1 == kInline) {
        std::copy(spill_.begin(), spill_.end(), inline_.begin());
        spill_.clear();
      }
    } else {
      std::copy(inline_.begin() + 1, inline_.begin() + size_, inline_.begin());
    }
    --size_;
  }

  void clear() {
    size_ = 0;
    spill_.clear();
  }

 private:
  // A card past the inline buffer: the first such moves the cards to the heap.
  // Kept out of line, so that the common push stays small enough to inline.
  void spillBack(int value);
  const int* data() const { return size_ > kInline ? spill_.data() : inline_.data(); }

  std::array<int, kInline> inline_{};
  std::vector<int> spill_;
  std::size_t size_ = 0;
};
