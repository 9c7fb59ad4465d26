#include "strategy/deviation_tally.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "stats/figures.h"
#include "table/actions.h"

namespace {

constexpr double kZ95 = 1.959963984540054;
constexpr int kUpCards = 10;
// Hand codes: hard totals 0..21, soft 22..43, pairs 44..53, insurance 54.
constexpr int kHandCodes = 55;
// Stand, Hit, Double, Split and Surrender as 0..4.
constexpr int kActionSlots = 5;

int handCode(IndexHand hand, int value) {
  switch (hand) {
    case IndexHand::Hard:
      return value;
    case IndexHand::Soft:
      return 22 + value;
    case IndexHand::Pair:
      return 43 + value;
    case IndexHand::Insurance:
      return 54;
  }
  return 0;
}

int actionSlot(int action) {
  return action == Split ? 3 : action == Surrender ? 4 : action;
}

using Curve = std::function<double(const DifferencePoint&)>;

// Where the curve, positive at the end that `fromTop` names, last crosses zero
// on the way in from that end, interpolated linearly between the two counts.
std::optional<double> crossing(const std::vector<DifferencePoint>& points, bool fromTop,
                               const Curve& f) {
  const int n = static_cast<int>(points.size());
  const int end = fromTop ? n - 1 : 0;
  const int step = fromTop ? -1 : 1;
  if (n == 0 || !(f(points[end]) > 0.0)) {
    return std::nullopt;
  }
  int i = end;
  while (i + step >= 0 && i + step < n && f(points[i + step]) > 0.0) {
    i += step;
  }
  if (i + step < 0 || i + step >= n) {
    return std::nullopt;
  }
  const DifferencePoint& in = points[i];
  const DifferencePoint& out = points[i + step];
  const double fIn = f(in);
  const double fOut = f(out);
  return out.count + (0.0 - fOut) / (fIn - fOut) * (in.count - out.count);
}

std::optional<GeneratedIndex> crossingFrom(const std::vector<DifferencePoint>& points,
                                           bool fromTop) {
  const auto index = crossing(points, fromTop, [](const DifferencePoint& p) { return p.mean; });
  if (!index) {
    return std::nullopt;
  }
  const auto upper =
      crossing(points, fromTop, [](const DifferencePoint& p) { return p.mean + kZ95 * p.se; });
  const auto lower =
      crossing(points, fromTop, [](const DifferencePoint& p) { return p.mean - kZ95 * p.se; });
  GeneratedIndex found;
  found.index = *index;
  found.atOrAbove = fromTop;
  // The upper curve is better over more counts: it crosses further from the end.
  found.low = fromTop ? upper : lower;
  found.high = fromTop ? lower : upper;
  return found;
}

}  // namespace

DeviationTally::DeviationTally()
    : groups_(static_cast<std::size_t>(kHandCodes) * kUpCards * kActionSlots * kActionSlots) {}

DeviationTally::DeviationTally(const DeviationTally& other)
    : groups_(other.groups_.size()), blocks_(other.blocks_) {
  for (std::size_t i = 0; i < groups_.size(); ++i) {
    if (other.groups_[i]) {
      groups_[i] = std::make_unique<Group>(*other.groups_[i]);
      groups_[i]->touched = false;
    }
  }
}

DeviationTally& DeviationTally::operator=(const DeviationTally& other) {
  if (this != &other) {
    DeviationTally copy(other);
    *this = std::move(copy);
  }
  return *this;
}

std::size_t DeviationTally::groupOf(const DeviationKey& key) {
  const int up = key.upCard - 2;
  const int code = handCode(key.hand, key.value);
  return ((static_cast<std::size_t>(code) * kUpCards + up) * kActionSlots + actionSlot(key.basic)) *
             kActionSlots +
         actionSlot(key.alternative);
}

DeviationTally::Group& DeviationTally::groupAt(const DeviationKey& key) {
  std::unique_ptr<Group>& group = groups_[groupOf(key)];
  if (!group) {
    group = std::make_unique<Group>();
    group->series.key = key;
  }
  return *group;
}

void DeviationTally::record(const DeviationKey& key, int count, double difference) {
  if (std::isnan(difference)) {
    return;
  }
  difference = std::clamp(difference, -kMostStakes, kMostStakes);
  Group& group = groupAt(key);
  if (!group.touched) {
    group.touched = true;
    touched_.push_back(&group);
  }
  const auto units = static_cast<std::int64_t>(std::llround(difference * kUnitsPerStake));
  BlockCell& cell = group.block[countSlot(std::clamp(count, kLowestCount, -kLowestCount))];
  ++cell.n;
  cell.sum += units;
  cell.squares += Int128{units} * units;
}

void DeviationTally::endBlock() {
  for (Group* group : touched_) {
    for (std::size_t slot = 0; slot < group->block.size(); ++slot) {
      const BlockCell& cell = group->block[slot];
      if (cell.n > 0) {
        group->series.counts[slot].addBlock(cell.n, cell.sum, cell.squares);
      }
    }
    group->block = {};
    group->touched = false;
  }
  touched_.clear();
  ++blocks_;
}

void DeviationTally::dropBlock() {
  for (Group* group : touched_) {
    group->block = {};
    group->touched = false;
  }
  touched_.clear();
}

DeviationTally& DeviationTally::operator+=(const DeviationTally& other) {
  for (std::size_t i = 0; i < groups_.size(); ++i) {
    if (!other.groups_[i]) {
      continue;
    }
    Group& group = groupAt(other.groups_[i]->series.key);
    for (std::size_t slot = 0; slot < kCountSlots; ++slot) {
      group.series.counts[slot] += other.groups_[i]->series.counts[slot];
    }
  }
  blocks_ += other.blocks_;
  return *this;
}

std::vector<const DeviationTally::Series*> DeviationTally::series() const {
  std::vector<const Series*> all;
  for (const auto& group : groups_) {
    if (group) {
      all.push_back(&group->series);
    }
  }
  return all;
}

std::optional<GeneratedIndex> crossingAbove(const std::vector<DifferencePoint>& points) {
  return crossingFrom(points, true);
}

std::optional<GeneratedIndex> crossingBelow(const std::vector<DifferencePoint>& points) {
  return crossingFrom(points, false);
}

std::vector<GeneratedIndex> generatedIndices(const DeviationTally& tally) {
  std::vector<GeneratedIndex> found;
  for (const DeviationTally::Series* series : tally.series()) {
    if (series->key.hand == IndexHand::Soft && series->key.value == 12) {
      continue;
    }
    std::vector<DifferencePoint> points;
    Int128 decisions = 0;
    for (int count = kLowestCount; count <= -kLowestCount; ++count) {
      const SeriesTally& t = series->counts[countSlot(count)];
      decisions += t.rounds;
      if (t.rounds >= kMinIndexDecisions) {
        // In the estimate's own scale of a payoff's tally units: a common
        // factor moves no zero crossing.
        const Estimate e = estimate(t, tally.blocks());
        points.push_back({count, e.mean, e.se});
      }
    }
    for (const auto& index : {crossingBelow(points), crossingAbove(points)}) {
      if (index) {
        found.push_back(*index);
        found.back().key = series->key;
        found.back().decisions = decisions;
      }
    }
  }
  return found;
}
