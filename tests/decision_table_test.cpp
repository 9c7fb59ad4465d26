#include "strategy/decision_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <vector>

#include "deck/deck.h"
#include "strategy/dealer_outcomes.h"
#include "test_shoes.h"

namespace {

const double kAny = std::nan("");  // not checked

// Whole-number results come out exact; the others are known to four places.
void expectValue(double actual, double expected, const char* what) {
  if (!std::isnan(expected)) {
    EXPECT_NEAR(actual, expected, expected == std::round(expected) ? 0.0 : 5e-5) << what;
  }
}

// Every field of every row, in order, actions and advice as numbers.
std::vector<double> fields(const DecisionTable& t) {
  std::vector<double> out;
  for (const DecisionRow& r : t.rows) {
    for (const DecisionEntry& e : {r.hard, r.soft})
      out.insert(out.end(), {e.bestValue, 1.0 * e.action, e.doubleValue, e.standValue, e.hitValue});
    out.insert(out.end(), {r.splitValue, 1.0 * r.splitAdvised});
  }
  return out;
}

// The dealer's final totals that the stand values play against: 17..21, bust.
std::array<double, 6> dealerBehindStandValues(const DecisionTable& t) {
  std::array<double, 6> d{};
  d[4] = 1.0 - t[21].hard.standValue;
  for (int j = 20; j >= 17; --j)
    d[j - 17] = t[j + 1].hard.standValue - t[j].hard.standValue - d[j - 16];
  d[5] = (t[16].hard.standValue + 1.0) / 2.0;
  return d;
}

TEST(DecisionTable, ValuesActionsAndSplits) {
  struct Case {
    const char* name;
    std::vector<int> keep;
    int up, total, soft;
    double stand, hit, doubled;
    int action;           // -1: not checked
    double split = kAny;  // for the pair making `total`
    int advised = -1;     // -1: not checked
  } const cases[] = {
      {"Up10Hard16", kFresh, 10, 16, 0, -0.5404, -0.5398, kAny, Hit, -0.4988, 1},
      {"Up10Hard11", kFresh, 10, 11, 0, kAny, 0.1195, 0.1797, DoubleElseHit},
      {"Up10Hard10", kFresh, 10, 10, 0, kAny, 0.0253, -0.0087, Hit},
      {"Up10Tens", kFresh, 10, 20, 0, kAny, kAny, kAny, -1, kAny, 0},
      {"Up6Hard12", kFresh, 6, 12, 0, -0.1211, -0.1724, kAny, Stand},
      {"Up6Soft18", kFresh, 6, 18, 1, 0.2234, 0.1775, 0.3551, DoubleElseStand},
      {"Up6Soft17", kFresh, 6, 17, 1, kAny, kAny, kAny, DoubleElseHit},
      {"Up6Aces", kFresh, 6, 2, 0, kAny, kAny, kAny, -1, 0.8903, 1},
      {"TensUp10Hard12", {10}, 10, 12, 0, -1.0, -1.0, kAny, Hit},
      {"TensUp10Hard10", {10}, 10, 10, 0, kAny, 0.0, 0.0, DoubleElseHit},
      {"TensUp10Hard20", {10}, 10, 20, 0, 0.0, -1.0, -2.0, Stand, 0.0, 0},  // split ties keep
      {"TensUp6Hard11", {10}, 6, 11, 0, 1.0, 1.0, 2.0, DoubleElseHit},
      {"TensUp6Hard12", {10}, 6, 12, 0, 1.0, -1.0, -2.0, Stand, 2.0, 1},
      {"TensUp6Hard10", {10}, 6, 10, 0, 1.0, 1.0, 2.0, DoubleElseHit, 2.0, 0},  // kept, doubled
      // Every hole card makes a blackjack: the dealer's certain 21 is kept.
      {"TensUpAceHard21", {10}, 11, 21, 0, 0.0, -1.0, -2.0, Stand},
      {"TensUpAceHard20", {10}, 11, 20, 0, -1.0, -1.0, -2.0, Hit},
      // No cards, or an up card no shoe holds: the dealer has no outcome.
      {"EmptyShoeUp10Hard15", {}, 10, 15, 0, 0.0, 0.0, 0.0, -1},
      {"Up0Hard19", kFresh, 0, 19, 0, 0.0, kAny, kAny, -1},
      {"Up12Hard21", kFresh, 12, 21, 0, 0.0, kAny, kAny, -1},
      {"UpMinus3Soft18", kFresh, -3, 18, 1, 0.0, kAny, kAny, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const DecisionTable t = shoeOf(c.keep).buildDecisionTable(c.up, 0);
    const DecisionEntry& e = c.soft ? t[c.total].soft : t[c.total].hard;
    expectValue(e.standValue, c.stand, "stand");
    expectValue(e.hitValue, c.hit, "hit");
    expectValue(e.doubleValue, c.doubled, "double");
    expectValue(t[c.total].splitValue, c.split, "split");
    EXPECT_TRUE(c.action < 0 || e.action == c.action) << e.action;
    EXPECT_TRUE(c.advised < 0 || t[c.total].splitAdvised == (c.advised == 1));
  }
}

// The player only decides once the dealer has shown no blackjack. An empty
// `dealer` row means no hole card can make one: the dealer outcomes stand as computed.
TEST(DecisionTable, DealerWithoutBlackjack) {
  struct Case {
    std::vector<int> keep;
    int up;
    std::vector<double> dealer;  // 17..21, bust
  } const cases[] = {
      {kFresh, 10, {0.1207, 0.1207, 0.1207, 0.3707, 0.0374, 0.2298}},
      {kFresh, 11, {0.0830, 0.2069, 0.2069, 0.2069, 0.0957, 0.2007}},
      {{2, 3, 4, 5, 6, 7, 8, 9, 10}, 10, {}},
      {{1, 2, 3, 4, 5, 6, 7, 8, 9}, 11, {}},
  };
  for (const Case& c : cases) {
    const Deck deck = shoeOf(c.keep);
    auto p = deck.dealerOutcomes(c.up, c.up == 11, 0).probability;
    p[22] = std::accumulate(p.begin() + 22, p.end(), 0.0);  // all busts together
    const std::array<double, 6> d = dealerBehindStandValues(deck.buildDecisionTable(c.up, 0));
    const bool known = !c.dealer.empty();
    for (int k = 0; k < 6; ++k)
      EXPECT_NEAR(d[k], known ? c.dealer[k] : p[17 + k], known ? 5e-5 : 1e-12) << c.up << " " << k;
  }
}

// A mode other than 0 or 1 plays the house rule; an up card of 1 is the ace.
TEST(DecisionTable, WellFormedForAnyShoeUpCardAndMode) {
  for (const std::vector<int>& keep : {kFresh, {10}, {1}, {5}, {1, 10}, {}}) {
    const Deck deck = shoeOf(keep);
    for (int up = -3; up <= 12; ++up) {
      for (const int mode : {0, 1, 2, -1}) {
        SCOPED_TRACE(testing::Message() << keep.size() << " values, up " << up << " mode " << mode);
        const DecisionTable t = deck.buildDecisionTable(up, mode);
        const std::vector<double> all = fields(t);
        EXPECT_TRUE(std::ranges::all_of(all, [](double x) { return std::isfinite(x); }));
        for (int n = 0; n < DecisionTable::kRows; ++n) {
          for (const DecisionEntry& e : {t[n].hard, t[n].soft}) {
            EXPECT_TRUE(n > 16 || e.standValue == t[0].hard.standValue) << "row " << n;
            EXPECT_TRUE(n <= 21 ||
                        (e.bestValue == -1.0 && e.standValue == -1.0 && e.doubleValue == -2.0))
                << "row " << n;
          }
        }
        if (mode != 0 && mode != 1) {
          EXPECT_EQ(all, fields(deck.buildDecisionTable(up, 0)));
        }
        if (up == 1) {
          EXPECT_EQ(all, fields(deck.buildDecisionTable(11, mode)));
        }
      }
    }
  }
}

}  // namespace
