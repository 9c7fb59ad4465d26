#include "strategy/split_value.h"

namespace {

constexpr int kTopTotal = DecisionTable::kTopTotal;

// The value of a split hand of the pair card and a second card `w`.
double finalValue(const DecisionTable& table, int pairCard, int w, bool mayDouble,
                  const GameRules& rules) {
  const bool ace = pairCard == 1 || w == 1;
  const int low = pairCard + w;
  const bool soft = ace && low + 10 <= kTopTotal;
  const int total = soft ? low + 10 : low;
  if (total == kTopTotal && rules.splitTwentyOnePaysBlackjack) {
    // Paid 3:2; where the dealer does not peek, his blackjack pushes it.
    return rules.peeks() ? 1.5 : 1.5 * (1.0 - table.dealerBlackjack);
  }
  const DecisionEntry& e = soft ? table[total].soft : table[total].hard;
  if (pairCard == 1 && rules.splitAces == SplitAces::OneCard) {
    return e.standValue;
  }
  return mayDouble && mayDoubleOn(total, soft, rules.doubleOn) ? larger(e.bestValue, e.doubleValue)
                                                               : e.bestValue;
}

}  // namespace

double playedSplitValue(const DecisionTable& table, const DrawProbabilities& p, int pairCard,
                        Permissions parent, int handsInRound, const GameRules& rules) {
  const SplitPermissions hands = splitPermissions(rules.afterSplit, parent);
  Resplits resplits = Resplits::Never;
  if (hands.first.canSplit && (pairCard != 1 || rules.resplitAces)) {
    resplits = hands.added.canSplit ? Resplits::EveryHand : Resplits::FirstHandOnly;
  }
  const SplitCounts counts =
      expectedSplitCounts(p[pairCard], resplitRoom(handsInRound, rules), resplits,
                          rules.maxHands == GameRules::kNoHandLimit);
  double value = 0.0;
  for (int kind = 0; kind < 2; ++kind) {
    if (counts.draws[kind] == 0.0) {
      continue;
    }
    const bool mayDouble = (kind == 0 ? hands.first : hands.added).canDouble;
    double others = 0.0;
    for (int w = 1; w <= 10; ++w) {
      if (w != pairCard) {
        others += p[w] * finalValue(table, pairCard, w, mayDouble, rules);
      }
    }
    value += counts.draws[kind] * others +
             counts.pairs[kind] * finalValue(table, pairCard, pairCard, mayDouble, rules);
  }
  return value;
}
