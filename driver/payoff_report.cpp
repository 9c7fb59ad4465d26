#include "driver/payoff_report.h"

#include <iomanip>

#include "count/true_count.h"

namespace {

constexpr int kLowestCount = -kCountLimit;
constexpr int kHighestCount = kCountLimit;
// Units bet per point of true count above zero in the weighted scheme.
constexpr double kWeightedBetStep = 2.0;
// One over the rounds of a run, applied as a fixed factor.
constexpr double kPerRound = 0.00002;

double weightedPayoff(int count, double payoff) {
  return count > 0 ? 2 * (count * payoff) : payoff;
}

// The count keeps whatever sign setting the previous row left; every other
// column sets its own precision and sign.
void printRow(std::ostream& out, int count, double payoff, double frequency, double weighted) {
  out << std::fixed;
  out << std::setw(4) << count << ' ';
  out << std::showpos << std::setprecision(1) << std::setw(6) << payoff << " / ";
  out << std::noshowpos << std::setprecision(0) << std::setw(8) << frequency << " = ";
  out << std::showpos << std::setprecision(6) << std::setw(11) << payoff / frequency << ' ';
  out << std::showpos << std::setprecision(6) << std::setw(11) << weighted << std::endl;
}

}  // namespace

void printPayoffReport(const PayoffTable& table, std::ostream& out) {
  out << "Showing payoff table for each count..." << std::endl;
  out << std::endl;
  out << "Count Payoff/Frequency Expected_Payoff Weighted_Payoff" << std::endl;
  double totalPayoff = 0.0;
  double totalWeighted = 0.0;
  for (int count = kLowestCount; count <= kHighestCount; ++count) {
    const double payoff = table.payoffAt(count);
    if (payoff == 0.0) {
      continue;
    }
    const double weighted = weightedPayoff(count, payoff);
    totalPayoff += payoff;
    totalWeighted += weighted;
    printRow(out, count, payoff, table.frequencyAt(count), weighted);
  }
  out << std::endl;
  out << "Payoff: " << totalPayoff << " (If you always bet 1 dollars.)" << std::endl;
  out << "Average: " << totalPayoff * kPerRound << std::endl;
  out << "Weighted payoff: " << totalWeighted << " (If you bet " << kWeightedBetStep
      << " for each additional count.)" << std::endl;
  out << "Weighted average: " << totalWeighted * kPerRound << std::endl;
}
