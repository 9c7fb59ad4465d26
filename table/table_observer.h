#pragma once

#include <vector>

#include "table/hand.h"

// What happens at the table besides the rounds' results: progress, the trace
// of a round, and the two rare events of a run. The table itself never prints;
// whoever watches decides what to make of them. Every event is ignored by
// default.
class TableObserver {
 public:
  TableObserver() = default;
  TableObserver(const TableObserver&) = default;
  TableObserver& operator=(const TableObserver&) = default;
  virtual ~TableObserver() = default;

  // Before round `round` of `rounds`, whenever `rounds` is divisible by it.
  virtual void progress(int /*round*/, int /*rounds*/) {}
  // A traced round after its initial deal.
  virtual void roundDealt(int /*number*/, const Hand& /*dealer*/, const Hand& /*firstHand*/) {}
  // A traced round at its settlement.
  virtual void roundSettled(const Hand& /*dealer*/, const std::vector<Hand>& /*hands*/) {}
  // The shoe ran out in mid-round; it is reshuffled and dealing goes on.
  virtual void shoeExhausted() {}
  // A hand reached the decision limit and was ended.
  virtual void handTooLong(const Hand& /*hand*/) {}
  // After the last round of `simulate`.
  virtual void simulationDone() {}

  // An observer that ignores everything.
  static TableObserver& silent();
};
