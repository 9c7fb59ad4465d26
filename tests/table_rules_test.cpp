#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "deck/deck.h"
#include "table/payoff_table.h"
#include "table/rules.h"

namespace {

TEST(DealerRule, DrawsToSixteenAndHitsSoftSeventeen) {
  const struct {
    std::vector<int> cards;
    int action;
  } rows[] = {{{1, 6}, Hit},   {{10, 7}, Stand}, {{1, 6, 10}, Stand},
              {{1, 7}, Stand}, {{10, 6}, Hit},   {{1, 10}, Stand}};
  const Deck deck(2, true);
  for (const auto& row : rows) {
    Hand dealer;
    for (const int card : row.cards) {
      dealer.addCard(card);
    }
    EXPECT_EQ(DealerRule(DecisionContext{&deck, dealer, dealer}), row.action)
        << testing::PrintToString(row.cards);
  }
}

TEST(BetRule, FlatUnitOnFreshAndNearlyEmptyShoe) {
  Deck deck(2, true);
  EXPECT_EQ(BetRule(&deck), 1.0);
  for (int i = 0; i < 100; ++i) {
    deck.deal();
  }
  EXPECT_EQ(BetRule(&deck), 1.0);
}

TEST(PayoffTable, FreshTableIsZeroForEveryCount) {
  const PayoffTable table;
  for (int count = -60; count <= 60; ++count) {
    EXPECT_EQ(table.payoffAt(count), 0.0) << count;
    EXPECT_EQ(table.frequencyAt(count), 0.0) << count;
  }
}

TEST(PayoffTable, RecordSumsPayoffsAndCountsEveryRound) {
  PayoffTable table;
  table.record(0, -1.0);
  table.record(0, 1.5);
  table.record(3, 0.0);
  EXPECT_EQ(table.payoffAt(0), 0.5);
  EXPECT_EQ(table.frequencyAt(0), 2.0);
  EXPECT_EQ(table.payoffAt(3), 0.0);
  EXPECT_EQ(table.frequencyAt(3), 1.0);
}

TEST(PayoffTable, EdgeCountsUseFirstAndLastSlotWithoutMixing) {
  PayoffTable table;
  table.record(-60, 1.0);
  table.record(60, 2.0);
  EXPECT_EQ(table.payoffSum.front(), 1.0);
  EXPECT_EQ(table.payoffSum.back(), 2.0);
  for (int count = -60; count <= 60; ++count) {
    const bool edge = count == -60 || count == 60;
    EXPECT_EQ(table.payoffAt(count), count == -60 ? 1.0 : count == 60 ? 2.0 : 0.0) << count;
    EXPECT_EQ(table.frequencyAt(count), edge ? 1.0 : 0.0) << count;
  }
}

// A count without a slot is not booked anywhere and reads as an empty slot.
TEST(PayoffTable, CountsOutsideTheTableAreIgnored) {
  for (const int count : {61, -61, INT_MIN, INT_MAX}) {
    PayoffTable table;
    table.record(count, 5.0);
    EXPECT_EQ(table.payoffSum, PayoffTable{}.payoffSum) << count;
    EXPECT_EQ(table.frequency, PayoffTable{}.frequency) << count;
    EXPECT_EQ(table.payoffAt(count), 0.0) << count;
    EXPECT_EQ(table.frequencyAt(count), 0.0) << count;
  }
}

}  // namespace
