#include "table/payoff_table.h"

void PayoffTable::record(int count, double payoff) {
  if (!inRange(count)) {
    return;
  }
  payoffSum[count + kCountIndexOffset] += payoff;
  ++frequency[count + kCountIndexOffset];
}

double PayoffTable::payoffAt(int count) const {
  return inRange(count) ? payoffSum[count + kCountIndexOffset] : 0.0;
}

double PayoffTable::frequencyAt(int count) const {
  return inRange(count) ? static_cast<double>(frequency[count + kCountIndexOffset]) : 0.0;
}
