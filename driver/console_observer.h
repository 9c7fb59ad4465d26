#pragma once

#include "table/table_observer.h"

// truecount's console: progress lines, the round trace and the table's
// notices, written as they happen on standard output and standard error.
class ConsoleObserver final : public TableObserver {
 public:
  void progress(int round, int rounds) override;
  void roundDealt(int number, const Hand& dealer, const Hand& firstHand) override;
  void roundSettled(const Hand& dealer, const std::vector<Hand>& hands) override;
  void shoeExhausted() override;
  void handTooLong(const Hand& hand) override;
  void simulationDone() override;
};
