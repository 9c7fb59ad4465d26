#pragma once

#include <optional>

// Back-counting: which rounds the player plays and which he only watches,
// decided at each round's start from the count it is booked at.
//
// With an in count the player starts every shoe watching and sits in once the
// count reaches it; with an out count he leaves once it falls below. So the
// in count alone plays from it to the end of the shoe, the out count alone
// plays each shoe from its start until the count first falls below it, and
// both together come and go within a shoe. The out count may not exceed the
// in count.
struct WongLimits {
  std::optional<int> in;
  std::optional<int> out;
  bool operator==(const WongLimits&) const = default;
};

class Wonging {
 public:
  explicit Wonging(WongLimits limits) : limits_(limits) {}

  // Whether the player plays the round that starts at `count`; `freshShoe`
  // when no card of the shoe has been dealt yet.
  bool plays(int count, bool freshShoe) {
    if (freshShoe) {
      playing_ = !limits_.in;
    }
    if (playing_) {
      playing_ = !limits_.out || count >= *limits_.out;
    } else {
      playing_ = limits_.in && count >= *limits_.in;
    }
    return playing_;
  }

 private:
  WongLimits limits_;
  bool playing_ = true;
};
