// The strategy engine: known values and decisions, and a guard on its exact
// arithmetic: every double of the dealer distribution and of the decision
// table, for shoes from full to empty, every up card and both dealer modes,
// must keep the bits recorded in tests/data/decision_tables.digest.
// TRUECOUNT_WRITE_GOLDEN=1 rewrites that file (only for an intended change).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "deck/deck.h"
#include "strategy/dealer_outcomes.h"
#include "strategy/decision_table.h"
#include "strategy/player_rule.h"

namespace {

const std::vector<int> kFresh{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

// A fresh two-deck shoe in value mode with every card whose value is not in `keep` dealt.
Deck shoeOf(const std::vector<int>& keep) {
  Deck deck(2, true, CLibraryRandom::shared());
  for (int v = 1; v <= 10; ++v) {
    const std::array<int, 1> card{v};
    while (std::ranges::count(keep, v) == 0 && deck.stackNext(card))
      deck.deal();
  }
  return deck;
}

// A two-deck shoe shuffled after srand(seed) and dealt down to `left` cards.
Deck dealtDown(unsigned seed, int left) {
  std::srand(seed);
  Deck deck(2, true, CLibraryRandom::shared());
  while (deck.cardsLeft() > left)
    deck.deal();
  return deck;
}

Hand handOf(const std::vector<int>& cards) {
  Hand hand;
  for (const int card : cards)
    hand.addCard(card);
  return hand;
}

// Fresh-shoe figures are the known infinite-deck ones: imagined draws do not deplete.
TEST(DealerOutcomes, FinalTotals) {
  const struct {
    std::vector<int> keep;
    int start, soft, mode;
    std::array<double, 6> odds;  // totals 17..21, then all busts together
  } cases[] = {
      {kFresh, 6, 0, 0, {0.1148, 0.1148, 0.1148, 0.1103, 0.1057, 0.4395}},
      {kFresh, 6, 0, 1, {0.1654, 0.1063, 0.1063, 0.1017, 0.0972, 0.4232}},
      {kFresh, 11, 1, 0, {0.0575, 0.1432, 0.1432, 0.1432, 0.3740, 0.1389}},
      {{10}, 6, 0, 0, {0, 0, 0, 0, 0, 1}},
      {{1}, 6, 0, 0, {0, 1, 0, 0, 0, 0}},  // soft 17 takes one more ace
      {{1}, 6, 0, 1, {1, 0, 0, 0, 0, 0}},
      {{5}, 2, 0, 0, {1, 0, 0, 0, 0, 0}},
      // One ace to four tens behind an ace: a ten makes 21; an ace makes soft 12,
      // which a ten turns into hard 12 that reaches 17 only on aces, and soft 17
      // hits to hard 17 or soft 18.
      {{1, 10}, 11, 1, 0, {0.0003072, 0.0000128, 0, 0, 0.8, 0.19968}},
  };
  for (const auto& c : cases) {
    const auto p = shoeOf(c.keep).dealerOutcomes(c.start, c.soft, c.mode).probability;
    EXPECT_EQ(std::accumulate(p.begin(), p.begin() + 17, 0.0), 0.0);
    const double bust = std::accumulate(p.begin() + 22, p.end(), 0.0);
    for (int k = 0; k < 6; ++k)
      EXPECT_NEAR(k < 5 ? p[17 + k] : bust, c.odds[k], 5e-5) << c.start << " entry " << k;
  }
  // A dealer start outside the totals has no outcome at all.
  for (const int start : {-1, 32})
    EXPECT_EQ(Deck(2, true, CLibraryRandom::shared()).dealerOutcomes(start, false, 0).probability,
              DealerOutcomes{}.probability);
}

// Values per unit staked, given that the dealer has no blackjack (NaN: not
// checked); whole numbers come out exact, the others are known to four places.
TEST(DecisionTable, ValuesActionsAndSplits) {
  const double x = NAN;
  const struct {
    std::vector<int> keep;
    int up, total, soft;
    std::array<double, 4> values;  // stand, hit, double, split for the pair making `total`
    int action, advised;           // -1: not checked
  } cases[] = {
      {kFresh, 10, 16, 0, {-0.5404, -0.5398, x, -0.4988}, Hit, 1},
      {kFresh, 10, 11, 0, {x, 0.1195, 0.1797, x}, DoubleElseHit, -1},
      {kFresh, 6, 18, 1, {0.2234, 0.1775, 0.3551, x}, DoubleElseStand, -1},
      {kFresh, 6, 2, 0, {x, x, x, 0.8903}, -1, 1},  // two aces split
      // Only tens: hitting wins a tie with standing, keeping a pair one with
      // splitting, and doubling every tie.
      {{10}, 10, 12, 0, {-1, -1, x, x}, Hit, -1},
      {{10}, 10, 20, 0, {0, -1, -2, 0}, Stand, 0},
      {{10}, 6, 10, 0, {1, 1, 2, 2}, DoubleElseHit, 0},
      // Every hole card makes a blackjack: the dealer's certain 21 is kept. 1 is the ace too.
      {{10}, 1, 21, 0, {0, -1, -2, x}, Stand, -1},
      // No cards, or an up card no shoe holds: the dealer has no outcome.
      {{}, 10, 15, 0, {0, 0, 0, x}, -1, -1},
      {kFresh, 0, 19, 0, {0, x, x, x}, -1, -1},
      {kFresh, 12, 21, 0, {0, x, x, x}, -1, -1},
  };
  for (const auto& c : cases) {
    const DecisionTable t = shoeOf(c.keep).buildDecisionTable(c.up, 0);
    const DecisionEntry& e = c.soft ? t[c.total].soft : t[c.total].hard;
    const double actual[] = {e.standValue, e.hitValue, e.doubleValue, t[c.total].splitValue};
    for (int k = 0; k < 4; ++k) {
      const double v = c.values[k];
      EXPECT_TRUE(std::isnan(v) || std::abs(actual[k] - v) <= (v == std::round(v) ? 0.0 : 5e-5))
          << c.up << ' ' << c.total << ": " << actual[k] << " for " << v;
    }
    EXPECT_TRUE(c.action < 0 || e.action == c.action) << e.action;
    EXPECT_TRUE(c.advised < 0 || t[c.total].splitAdvised == (c.advised == 1)) << c.total;
  }
}

// FNV-1a over the bytes of each field in turn.
struct Digest {
  std::uint64_t value = 14695981039346656037ULL;
  template <typename T>
  Digest& add(T field) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &field, sizeof(T));
    for (const unsigned char b : bytes)
      value = (value ^ b) * 1099511628211ULL;
    return *this;
  }
  Digest& add(const DecisionEntry& e) {
    return add(e.bestValue).add(e.action).add(e.doubleValue).add(e.standValue).add(e.hitValue);
  }
};

// Also: a table computed only down to some bounds agrees bit for bit with the
// full table on every row it computes, and advises splits only where it can.
TEST(DecisionTableGolden, EveryDoubleKeepsItsRecordedBits) {
  // Single-value shoes reach the degenerate cases: a certain dealer blackjack,
  // no bust, no draw at all; the others are dealt down from full to one card.
  std::vector<std::pair<std::string, Deck>> shoes{
      {"fresh", Deck(2, true, CLibraryRandom::shared())},
      {"empty", dealtDown(1, 0)},
      {"only-tens", shoeOf({10})},
      {"only-aces", shoeOf({1})},
      {"only-fives", shoeOf({5})},
  };
  for (const auto& [seed, left] : {std::pair{11, 80}, {14, 45}, {16, 20}, {18, 5}, {20, 1}})
    shoes.emplace_back("seed" + std::to_string(seed) + "-left" + std::to_string(left),
                       dealtDown(seed, left));
  const auto bits = [](const auto& field) { return Digest{}.add(field).value; };
  std::map<std::string, std::string> digests;
  for (const auto& [name, deck] : shoes) {
    for (int up = 2; up <= 11; ++up) {
      for (int mode = 0; mode <= 1; ++mode) {
        const DealerOutcomes d = deck.dealerOutcomes(up, up == 11, mode);
        const DecisionTable full = deck.buildDecisionTable(up, mode);
        Digest dealer, table;
        for (const double p : d.probability)
          dealer.add(p);
        for (const DecisionRow& row : full.rows)
          table.add(row.hard).add(row.soft).add(row.splitAdvised).add(row.splitValue);
        std::ostringstream value;
        value << std::hex << dealer.add(d.drawSteps).value << ' ' << table.value;
        const std::string key = name + ' ' + std::to_string(up) + ' ' + std::to_string(mode);
        digests[key] = value.str();
        for (int hardRow = 0; hardRow <= 22; ++hardRow) {
          for (int softRow = 0; softRow <= 22; ++softRow) {
            const DecisionBounds bounds = DecisionBounds::covering(hardRow, softRow);
            ASSERT_LE(bounds.lowestHard, hardRow);
            ASSERT_LE(bounds.lowestSoft, softRow);
            const DecisionTable part = deck.buildDecisionTable(up, mode, bounds);
            for (int n = 0; n < DecisionTable::kRows; ++n) {
              SCOPED_TRACE(key + " row " + std::to_string(n));
              EXPECT_TRUE(n < bounds.lowestHard || bits(part[n].hard) == bits(full[n].hard));
              EXPECT_TRUE(n < bounds.lowestSoft || bits(part[n].soft) == bits(full[n].soft));
              const bool splitKnown =
                  (n == 2 || n == 22) ? bounds.lowestSoft <= 11 : n / 2 >= bounds.lowestHard;
              EXPECT_EQ(part[n].splitAdvised, splitKnown && full[n].splitAdvised);
              EXPECT_TRUE(!splitKnown || bits(part[n].splitValue) == bits(full[n].splitValue));
            }
          }
        }
      }
    }
  }
  std::string text;
  for (const auto& [key, value] : digests)
    text += key + ' ' + value + '\n';
  const std::string file = std::string(TRUECOUNT_TEST_DATA_DIR) + "/decision_tables.digest";
  if (std::getenv("TRUECOUNT_WRITE_GOLDEN") != nullptr) {
    std::ofstream(file) << text;
    GTEST_SKIP() << "rewrote " << file;
  }
  std::ifstream in(file);
  EXPECT_EQ(text, std::string(std::istreambuf_iterator<char>(in), {})) << file;
}

// The basic strategy decides as the live rule does on a full shoe (and not on a
// depleted one), the visible
// rule as the live rule does on the shoe its hole card was dealt from; soft 19
// against 6 and 11 against an ace double only where the dealer hits soft 17.
TEST(PlayerRule, OtherStrategiesDecideAsTheLiveRule) {
  const Deck full(2, true, CLibraryRandom::shared()), withHole = dealtDown(7, 20);
  const GameRules standsSoft17{.dealerHitsSoft17 = false};
  const BasicStrategy hitting(kHouseRules), standing(standsSoft17);
  EXPECT_EQ(hitting({&full, handOf({6, 10}), handOf({1, 8})}), Double);
  EXPECT_EQ(standing({&full, handOf({6, 10}), handOf({1, 8})}), Stand);
  EXPECT_EQ(hitting({&full, handOf({1, 10}), handOf({6, 5})}), Double);
  EXPECT_EQ(standing({&full, handOf({1, 10}), handOf({6, 5})}), Hit);
  int holes = 0;
  int partings = 0;  // on a depleted shoe the fixed strategy must part from the live rule
  for (int hole = 1; hole <= 10; ++hole) {
    Deck undealt = withHole;
    if (undealt.dealForced(hole) != hole) {
      continue;  // none left to be the hole card
    }
    ++holes;
    EXPECT_EQ(drawProbabilitiesWith(undealt, hole), drawProbabilities(withHole));
    for (int up = 1; up <= 10; ++up) {
      const Hand dealer = handOf({up, hole});
      for (int a = 1; a <= 10; ++a) {
        for (int b = a; b <= 10; ++b) {
          for (const Hand& player : {handOf({a, b}), handOf({a, b, 2})}) {
            SCOPED_TRACE(testing::Message() << "up " << up << " hole " << hole << " " << a << b);
            EXPECT_EQ(VisiblePlayerRule({&undealt, dealer, player}),
                      PlayerRule({&withHole, dealer, player}));
            EXPECT_EQ(hitting({&full, dealer, player}), PlayerRule({&full, dealer, player}));
            EXPECT_EQ(standing({&full, dealer, player}),
                      PlayerRule({&full, dealer, player, &standsSoft17}));
            partings +=
                hitting({&withHole, dealer, player}) != PlayerRule({&withHole, dealer, player});
          }
        }
      }
    }
  }
  EXPECT_GE(holes, 5);  // enough values left to matter
  EXPECT_GT(partings, 0);
}

}  // namespace
