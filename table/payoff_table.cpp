#include "table/payoff_table.h"

void PayoffTable::record(int count, double payoff) {
  if (!inRange(count)) {
    return;
  }
  payoffSum[count + kCountLimit] += payoff;
  ++frequency[count + kCountLimit];
}

double PayoffTable::payoffAt(int count) const {
  return inRange(count) ? payoffSum[count + kCountLimit] : 0.0;
}

double PayoffTable::frequencyAt(int count) const {
  return inRange(count) ? static_cast<double>(frequency[count + kCountLimit]) : 0.0;
}
