#include "strategy/dealer_outcomes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "deck/deck.h"
#include "test_shoes.h"

namespace {

TEST(DealerOutcomes, FinalTotals) {
  struct Case {
    const char* name;
    std::vector<int> keep;
    int start, soft, mode, steps;  // steps -1: not checked
    std::vector<double> odds;      // totals 17..21, then all busts together
    int certain = 0;               // 0, or the total reached for sure
  } const cases[] = {
      {"Fresh6Hit17", kFresh, 6, 0, 0, 8, {0.1148, 0.1148, 0.1148, 0.1103, 0.1057, 0.4395}},
      {"Fresh6Stand17", kFresh, 6, 0, 1, -1, {0.1654, 0.1063, 0.1063, 0.1017, 0.0972, 0.4232}},
      {"Fresh10Hit17", kFresh, 10, 0, 0, 6, {0.1114, 0.1114, 0.1114, 0.3422, 0.1114, 0.2121}},
      {"Fresh10Stand17", kFresh, 10, 0, 1, 6, {0.1114, 0.1114, 0.1114, 0.3422, 0.1114, 0.2121}},
      {"FreshAceHit17", kFresh, 11, 1, 0, 12, {0.0575, 0.1432, 0.1432, 0.1432, 0.3740, 0.1389}},
      {"FreshAceStand17", kFresh, 11, 1, 1, 11, {0.1308, 0.1308, 0.1308, 0.1308, 0.3616, 0.1153}},
      {"Fresh2Hit17", kFresh, 2, 0, 0, 11, {}},
      {"Tens6", {10}, 6, 0, 0, 2, {}, 26},
      {"Tens7", {10}, 7, 0, 0, -1, {}, 17},
      {"TensAce", {10}, 11, 1, 0, -1, {}, 21},
      {"Aces6Hit17", {1}, 6, 0, 0, -1, {}, 18},
      {"Aces6Stand17", {1}, 6, 0, 1, -1, {}, 17},
      {"AcesAce", {1}, 11, 1, 0, 7, {}, 18},
      {"Fives2", {5}, 2, 0, 0, 3, {}, 17},
      {"FivesAce", {5}, 11, 1, 0, -1, {}, 21},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DealerOutcomes d = shoeOf(c.keep).dealerOutcomes(c.start, c.soft, c.mode);
    const auto& p = d.probability;
    for (int t = 0; t <= 16; ++t)
      EXPECT_EQ(p[t], 0.0) << "total " << t;
    EXPECT_NEAR(std::accumulate(p.begin(), p.end(), 0.0), 1.0, 1e-12);
    const double bust = std::accumulate(p.begin() + 22, p.end(), 0.0);
    for (std::size_t k = 0; k < c.odds.size(); ++k)
      EXPECT_NEAR(k < 5 ? d[17 + k] : bust, c.odds[k], 5e-5) << "entry " << k;
    if (c.certain > 0) {
      EXPECT_NEAR(d[c.certain], 1.0, 1e-12);
    }
    if (c.steps >= 0) {
      EXPECT_EQ(d.drawSteps, c.steps);
    }
  }
}

// An empty shoe prices every draw at zero rather than 0 / 0; a start outside
// the totals has no outcome at all.
TEST(DealerOutcomes, NoCardsOrNoStartGivesZeros) {
  const auto none = DealerOutcomes{}.probability;
  for (int start = 2; start <= 11; ++start)
    EXPECT_EQ(shoeOf({}).dealerOutcomes(start, start == 11, 0).probability, none) << start;
  for (const int start : {-1, -20, 32, 100})
    EXPECT_EQ(Deck(2, true).dealerOutcomes(start, false, 0).probability, none) << start;
}

TEST(DealerOutcomes, UnknownModeHitsSoft17) {
  const Deck deck(2, true);
  for (const int start : {6, 11})
    for (const int mode : {2, -1, 7})
      EXPECT_EQ(deck.dealerOutcomes(start, start == 11, mode).probability,
                deck.dealerOutcomes(start, start == 11, 0).probability)
          << "start " << start << " mode " << mode;
}

}  // namespace
