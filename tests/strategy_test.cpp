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
#include "strategy/chart.h"
#include "strategy/dealer_outcomes.h"
#include "strategy/decision_table.h"
#include "strategy/player_rule.h"
#include "strategy/pricing.h"
#include "strategy/split_value.h"
#include "tests/support.h"

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

// Fresh-shoe figures are the known infinite-deck ones: imagined draws do not
// deplete. Shoes of one value are in the digest below.
TEST(DealerOutcomes, FinalTotals) {
  // The values kept, the dealer's start, soft or not, the mode, then the odds
  // of totals 17..21 and of all busts together.
  const std::tuple<std::vector<int>, int, int, int, std::array<double, 6>> cases[] = {
      {kFresh, 6, 0, 0, {0.1148, 0.1148, 0.1148, 0.1103, 0.1057, 0.4395}},
      {kFresh, 6, 0, 1, {0.1654, 0.1063, 0.1063, 0.1017, 0.0972, 0.4232}},
      {kFresh, 11, 1, 0, {0.0575, 0.1432, 0.1432, 0.1432, 0.3740, 0.1389}},
      // One ace to four tens behind an ace: a ten makes 21; an ace makes soft 12,
      // which a ten turns into hard 12 that reaches 17 only on aces, and soft 17
      // hits to hard 17 or soft 18.
      {{1, 10}, 11, 1, 0, {0.0003072, 0.0000128, 0, 0, 0.8, 0.19968}},
  };
  for (const auto& [keep, start, soft, mode, odds] : cases) {
    const auto p = shoeOf(keep).dealerOutcomes(start, soft, mode).probability;
    EXPECT_EQ(std::accumulate(p.begin(), p.begin() + 17, 0.0), 0.0);
    const double bust = std::accumulate(p.begin() + 22, p.end(), 0.0);
    for (int k = 0; k < 6; ++k)
      EXPECT_NEAR(k < 5 ? p[17 + k] : bust, odds[k], 5e-5) << start << " entry " << k;
  }
  // A dealer start outside the totals has no outcome at all.
  for (const int start : {-1, 32})
    EXPECT_EQ(Deck(2, true, CLibraryRandom::shared()).dealerOutcomes(start, false, 0).probability,
              DealerOutcomes{}.probability);
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
      {"only-fives", shoeOf({5})}};
  for (const auto& [seed, left] : {std::pair{11, 80}, {14, 45}, {16, 20}, {18, 5}, {20, 1}})
    shoes.emplace_back("seed" + std::to_string(seed) + "-left" + std::to_string(left),
                       dealtDown(seed, left));
  const auto bits = [](const auto& field) { return Digest{}.add(field).value; };
  const auto tableBits = [](const DecisionTable& t) {
    Digest digest;
    for (const DecisionRow& row : t.rows)
      digest.add(row.hard).add(row.soft).add(row.splitAdvised).add(row.splitValue);
    return digest.value;
  };
  std::map<std::string, std::string> digests;
  for (const auto& [name, deck] : shoes) {
    for (int up = 2; up <= 11; ++up) {
      for (int mode = 0; mode <= 1; ++mode) {
        const DealerOutcomes d = deck.dealerOutcomes(up, up == 11, mode);
        const DecisionTable full = deck.buildDecisionTable(up, mode);
        std::ostringstream value;  // every probability's bytes in turn, then the steps
        value << std::hex << Digest{}.add(d.probability).add(d.drawSteps).value << ' '
              << tableBits(full);
        const std::string key = name + ' ' + std::to_string(up) + ' ' + std::to_string(mode);
        digests[key] = value.str();
        for (int hardRow = 0; hardRow <= 22; ++hardRow) {
          for (int softRow = 0; softRow <= 22; ++softRow) {
            const DecisionBounds bounds = DecisionBounds::covering(hardRow, softRow);
            ASSERT_TRUE(bounds.lowestHard <= hardRow && bounds.lowestSoft <= softRow);
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
  // An up card of 1 is the ace; one no shoe holds leaves the dealer no outcome.
  const Deck fresh(2, true, CLibraryRandom::shared());
  EXPECT_EQ(tableBits(fresh.buildDecisionTable(1, 0)), tableBits(fresh.buildDecisionTable(11, 0)));
  for (const int up : {0, 12})
    EXPECT_EQ(fresh.buildDecisionTable(up, 0)[19].hard.standValue, 0.0) << up;
  std::string text;
  for (const auto& [key, value] : digests)
    text += key + ' ' + value + '\n';
  const std::string file = std::string(TRUECOUNT_TEST_DATA_DIR) + "/decision_tables.digest";
  if (std::getenv("TRUECOUNT_WRITE_GOLDEN") != nullptr) {
    std::ofstream(file) << text;
    GTEST_SKIP() << "rewrote " << file;
  }
  EXPECT_EQ(text, readFile(file));
}

// The visible rule decides as the live rule does on the shoe its hole card was
// dealt from; the basic strategy, fixed for a full shoe, parts from the live
// rule on a depleted one.
TEST(PlayerRule, OtherStrategiesDecideAsTheLiveRule) {
  const Deck withHole = dealtDown(7, 20);
  const BasicStrategy hitting(kHouseRules);
  // On a depleted shoe the fixed strategy must part from the live rule.
  int holes = 0, partings = 0;
  for (int hole = 1; hole <= 10; ++hole) {
    Deck undealt = withHole;
    if (undealt.dealForced(hole) != hole)
      continue;  // none left to be the hole card
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

// Values worked out by hand on shoes of two values (from two decks). 16 v 10,
// 32 tens and 8 sixes: the dealer ends on 20 (0.8) or busts from 16, so
// standing is -0.6 and hitting busts. 17 v A, dealer standing on soft 17:
// given no blackjack he holds soft 17, a push; a blackjack comes at 0.8.
// 11 v 10, tens and aces: a blackjack at 0.2, else 20. A,A v 10, tens and
// twos (dealer 20 at 0.8, bust 0.1984, 18 at 0.0016): a ten makes a split 21,
// a two a soft 13 at 0.1984 - 0.8016. 8,8 v 10, tens and eights: a split hand
// ends 18 (-0.8) or, where it may not split again, 16 (-1); to three hands,
// every way the first two draws fall gives -1.9248; with no limit 2 + 4q / (1
// - 2q) hands at q = 0.2, all 18s; when only the first hand splits again it
// ends on 18 and 1 + q / (1 - q) new hands draw once (-0.84 each).
TEST(Pricing, ValuesWorkedOutByHand) {
  const double x = NAN;
  using R = GameRules;
  constexpr auto kLate = SurrenderRule::Late;
  constexpr auto kEarly = SurrenderRule::Early;
  constexpr auto kNoHole = HoleCard::None;
  constexpr auto kOneCard = SplitAces::OneCard;
  constexpr auto kResplit = AfterSplit::DoubleAndSplit;
  const R late{.surrender = kLate}, oneCard{.splitAces = kOneCard}, noHole{.holeCard = kNoHole};
  const R s17Late{.dealerHitsSoft17 = false, .surrender = kLate};
  const R s17Early{.dealerHitsSoft17 = false, .surrender = kEarly};
  const R s17LateNoHole{.dealerHitsSoft17 = false, .surrender = kLate, .holeCard = kNoHole};
  const R s17EarlyNoHole{.dealerHitsSoft17 = false, .surrender = kEarly, .holeCard = kNoHole};
  const R evenOneCard{.splitTwentyOnePaysBlackjack = false, .splitAces = kOneCard};
  const R played{.splitPricing = SplitPricing::Played}, resplit{.afterSplit = kResplit};
  const R toTwo{.afterSplit = kResplit, .maxHands = 2},
      toThree{.afterSplit = kResplit, .maxHands = 3};
  // The values kept, the rules, the up card, the hand, the values of stand,
  // hit, double, split and surrender (NaN: not checked), the action taken.
  using Case = std::tuple<std::vector<int>, R, int, std::vector<int>, std::array<double, 5>, int>;
  const Case cases[] = {
      {{10, 6}, late, 10, {10, 6}, {-0.6, -1, -2, x, -0.5}, Surrender},
      {{10, 6}, R{}, 10, {10, 6}, {-0.6, -1, -2, x, x}, Stand},
      {{10, 6}, s17Late, 11, {10, 7}, {0, x, x, x, -0.5}, Stand},
      // Before the peek -0.5 beats -0.8 + 0.2 x 0: 1.5 given no blackjack.
      {{10, 6}, s17Early, 11, {10, 7}, {0, x, x, x, 1.5}, Surrender},
      {{10, 6}, s17EarlyNoHole, 11, {10, 7}, {-0.8, x, x, x, -0.5}, Surrender},
      {{10, 6}, s17LateNoHole, 11, {10, 7}, {-0.8, x, x, x, -0.9}, Stand},
      // 21 wins and 12 loses; with no hole card a blackjack takes both stakes.
      {{10, 1}, R{}, 10, {6, 5}, {x, x, 1.2, x, x}, Double},
      {{10, 1}, noHole, 10, {6, 5}, {x, x, 0.56, x, x}, Double},
      {{10, 2}, oneCard, 10, {1, 1}, {x, x, x, 2.15872, x}, Split},
      {{10, 2}, evenOneCard, 10, {1, 1}, {x, x, x, 1.35872, x}, Split},
      {{10, 8}, toTwo, 10, {8, 8}, {-1, -1, -2, -1.68, x}, Hit},
      {{10, 8}, toThree, 10, {8, 8}, {x, x, x, -1.9248, x}, Hit},
      {{10, 8}, resplit, 10, {8, 8}, {x, x, x, -6.4 / 3, x}, Hit},
      {{10, 8}, played, 10, {8, 8}, {x, x, x, -1.85, x}, Hit},
      // 5,5 v 6, tens and sixes: the dealer busts (0.96) or ends on 18. A split
      // hand of 15 stands (0.92); one of 11 doubles (1.968) where it may, and
      // under truecount's rule only the first may, the new one hitting (0.984).
      {{10, 6}, played, 6, {5, 5}, {x, x, 1.968, 2.0624, x}, Split},
  };
  for (const auto& [keep, rules, up, cards, values, action] : cases) {
    SCOPED_TRACE(testing::Message() << cards[0] << "," << cards[1] << " v " << up);
    const DrawProbabilities p = drawProbabilities(shoeOf(keep));
    const Hand hand = handOf(cards);
    const ActionSet allowed = allowedActions(hand, 1, true, rules);
    const ActionPrices v =
        priceActions(buildDecisionTable(p, up, dealerGameOf(rules)), p, hand, allowed, 1, rules);
    const double actual[] = {v.stand, v.hit, v.doubleDown, v.split, v.surrender};
    for (int k = 0; k < 5; ++k)
      EXPECT_TRUE(std::isnan(values[k]) || std::abs(actual[k] - values[k]) < 1e-12) << k;
    EXPECT_EQ(pricedDecision(p, handOf({up == 11 ? 1 : up}), hand, allowed, 1, rules), action);
  }
  // Split aces that may hit are worth more than those that may not.
  const DrawProbabilities p = drawProbabilities(shoeOf({10, 2}));
  EXPECT_GT(playedSplitValue(buildDecisionTable(p, 10, DealerGame{}), p, 1, {}, 1, played),
            2.15872 + 1e-3);
  // Standing 16 v 10 at exactly -0.5 (tens 3 in 4, sixes 1): surrender loses the tie.
  DrawProbabilities tie{};
  tie[10] = 0.75;
  tie[6] = 0.25;
  EXPECT_EQ(
      pricedDecision(tie, handOf({10}), handOf({10, 6}), ActionSet{Stand, Surrender}, 1, late),
      Stand);
  // Insurance: half a unit paid 2:1 on a ten, here 0.8 x 1 - 0.2 x 0.5.
  EXPECT_DOUBLE_EQ(insuranceValue(drawProbabilities(shoeOf({10, 6}))), 0.7);
}

// Every way a split's second cards can fall, dealt as the table deals them: a
// split deals the hand that splits, then the new hand, and the hands decide
// in turn, the new ones last. Each card is a pair card with chance q.
void deal(double q, int room, std::vector<bool> pair, std::vector<bool> may, Resplits resplits,
          double chance, SplitCounts& out) {
  const auto kind = [&](std::size_t k) {
    return k == 0 || resplits == Resplits::EveryHand ? 0 : 1;
  };
  std::size_t k = 0;
  while (k < pair.size() && !(pair[k] && may[k] && room > 0))
    ++k;
  if (k == pair.size()) {
    for (std::size_t h = 0; h < pair.size(); ++h)
      out.pairs[kind(h)] += pair[h] ? chance : 0.0;
    return;
  }
  for (const bool first : {true, false}) {
    for (const bool added : {true, false}) {
      const double c = (first ? q : 1 - q) * (added ? q : 1 - q);
      std::vector<bool> p = pair, m = may;
      p[k] = first;
      p.push_back(added);
      m[k] = resplits != Resplits::Never;
      m.push_back(resplits == Resplits::EveryHand);
      out.draws[kind(k)] += chance * c;
      out.draws[kind(pair.size())] += chance * c;
      if (c > 0.0)
        deal(q, room - 1, p, m, resplits, chance * c, out);
    }
  }
}

TEST(SplitCounts, MatchTheDealOfEveryCard) {
  for (const Resplits resplits : {Resplits::Never, Resplits::FirstHandOnly, Resplits::EveryHand}) {
    for (const double q : {0.0, 1.0 / 13, 4.0 / 13, 0.5, 0.9, 1.0}) {
      for (const int room : {0, 1, 2, 6}) {
        const SplitCounts model = expectedSplitCounts(q, room, resplits, false);
        SplitCounts walked;  // the first split takes no room
        deal(q, room + 1, {true}, {true}, resplits, 1.0, walked);
        for (int kind = 0; kind < 2; ++kind) {
          SCOPED_TRACE(testing::Message() << static_cast<int>(resplits) << " q " << q << " room "
                                          << room << " kind " << kind);
          EXPECT_NEAR(model.draws[kind], walked.draws[kind], 1e-12 * walked.draws[kind]);
          EXPECT_NEAR(model.pairs[kind], walked.pairs[kind], 1e-12 * (1 + walked.pairs[kind]));
        }
      }
    }
  }
  // With no limit: the closed forms where resplits die out, 2q / (1 - 2q) when
  // every hand may split again and q / (1 - q) when only the first; where they
  // may not die out, the guard's room is filled as a limit.
  for (const double q : {1.0 / 13, 0.2, 4.0 / 13}) {
    EXPECT_NEAR(expectedResplits(q, 254, Resplits::EveryHand, true), 2 * q / (1 - 2 * q), 1e-12);
    EXPECT_NEAR(expectedResplits(q, 254, Resplits::FirstHandOnly, true), q / (1 - q), 1e-12);
  }
  for (const double q : {0.5, 0.9, 1.0})
    EXPECT_EQ(expectedResplits(q, 254, Resplits::EveryHand, true),
              expectedResplits(q, 254, Resplits::EveryHand, false));
}

// Basic strategy decides a two-card hand by its kind, a pair by its own row
// (split or not), and a longer hand by its total: one deck, S17, no surrender.
TEST(BasicStrategy, DecidesByTheKindOfHand) {
  GameRules rules = casinoRules(1, false, SurrenderRule::None);
  rules.splitTwentyOnePaysBlackjack = false;
  const BasicStrategy basic(rules);
  const Deck full(1, true, CLibraryRandom::shared());
  // The hand, the up card, the hands in the round, the action.
  const std::tuple<std::vector<int>, int, int, int> cases[] = {
      {{7, 7}, 10, 1, Stand},  // the pair stands where a hard 14 hits
      {{7, 7}, 10, 4, Stand},  // and so when it may not split
      {{10, 4}, 10, 1, Hit},  {{4, 5, 5}, 10, 1, Hit}, {{8, 8}, 10, 1, Split},
      {{8, 8}, 10, 4, Hit},    // at the hand limit: a hard 16, hit against a ten
      {{6, 2}, 5, 1, Double},  // an 8 doubles against a 5 from one deck
      {{6, 2}, 5, 2, Double},  // and after a split, doubling allowed
      {{3, 3, 2}, 5, 1, Hit},  // but not as three cards
      {{1, 6}, 2, 1, Double},  // A,6 against a 2
      {{1, 2, 4}, 2, 1, Hit},  // soft 17 of three cards
  };
  for (const auto& [cards, up, hands, expected] : cases) {
    Hand hand = handOf(cards);
    hand.fromSplit = hands > 1;
    const DecisionContext context{&full, handOf({up}), hand, &rules, hands, hands == 1};
    EXPECT_EQ(basic(context), expected) << cards[0] << "," << cards[1] << " v " << up;
  }
}

// Splits are priced by truecount's formula exactly when every rule that
// bears on them is truecount's, unless the pricing is named.
TEST(SplitPricing, AutoFollowsTheSplitRules) {
  using R = GameRules;
  const std::pair<GameRules, bool> cases[] = {
      {R{}, false},
      {R{.decks = 6, .dealerHitsSoft17 = false}, false},
      {R{.blackjackPays = BlackjackPays::SixToFive, .surrender = SurrenderRule::Late}, false},
      {R{.insurance = Insurance::Composition}, false},
      {R{.afterSplit = AfterSplit::DoubleAndSplit}, true},
      {R{.splitTwentyOnePaysBlackjack = false}, true},
      {R{.splitAces = SplitAces::OneCard}, true},
      {R{.resplitAces = false}, true},
      {R{.maxHands = 8}, true},
      {R{.doubleOn = DoubleOn::NineToEleven}, true},
      {R{.holeCard = HoleCard::None}, true},
      {R{.splitPricing = SplitPricing::Played}, true},
      {R{.afterSplit = AfterSplit::DoubleAndSplit, .splitPricing = SplitPricing::Truecount}, false},
  };
  for (const auto& [rules, played] : cases)
    EXPECT_EQ(rules.pricesSplitsAsPlayed(), played) << &rules - &cases[0].first;
}

// The charts of the shoe's exact total-dependent strategy against the widely
// published ones (as public figures): six decks, double after split and late
// surrender, cell for cell for both soft-17 rules; one deck without surrender,
// whose published rows differ from the six decks' in eleven rows.
TEST(Chart, MatchesThePublishedChart) {
  // tests/data/published_charts.txt: the six decks' chart, then the one deck's
  // rows that differ from it, each section under a line starting with '#'.
  using Chart = std::map<std::string, std::vector<std::string>>;
  std::vector<Chart> sections;
  std::ifstream file(std::string(TRUECOUNT_TEST_DATA_DIR) + "/published_charts.txt");
  for (std::string line, hand; std::getline(file, line);) {
    if (line.starts_with('#')) {
      sections.emplace_back();
      continue;
    }
    ASSERT_FALSE(sections.empty()) << line;
    std::istringstream cells(line);
    cells >> hand;
    auto& row = sections.back()[hand];
    for (std::string cell; cells >> cell;)
      row.push_back(cell);
  }
  ASSERT_EQ(sections.size(), 2U);
  Chart expected = sections[0];
  for (int total = 5; total <= 20; ++total)
    if (total < 9 || total > 16)
      expected[std::to_string(total)].assign(10, total < 9 ? "H" : "S");
  Chart oneDeck = expected;
  for (auto& [hand, cells] : oneDeck)
    std::replace(cells.begin(), cells.end(), std::string("R"), std::string("H"));
  for (const auto& [hand, cells] : sections[1])
    oneDeck[hand] = cells;
  // The six cells published for a dealer hitting soft 17.
  const std::map<std::string, std::string> hitsSoft17{{"11 A", "D"},   {"15 A", "R"},
                                                      {"17 A", "Rs"},  {"A,7 2", "Ds"},
                                                      {"A,8 6", "Ds"}, {"8,8 A", "Rp"}};
  using Game = std::tuple<int, bool, SurrenderRule, const Chart*>;  // decks, h17, surrender, chart
  for (const auto& [decks, h17, surrender, published] :
       {Game{6, false, SurrenderRule::Late, &expected},
        Game{6, true, SurrenderRule::Late, &expected},
        Game{1, false, SurrenderRule::None, &oneDeck}}) {
    const GameRules rules = casinoRules(decks, h17, surrender);
    const StrategyChart chart = chartOf(BasicStrategy(rules), rules);
    int compared = 0;
    for (const auto* rows : {&chart.hard, &chart.soft, &chart.pairs}) {
      for (const ChartRow& row : *rows) {
        for (std::size_t up = 0; up < row.codes.size(); ++up, ++compared) {
          const std::string cell = row.hand + (up == 9 ? " A" : " " + std::to_string(up + 2));
          const auto change = hitsSoft17.find(cell);
          const bool changed = h17 && change != hitsSoft17.end();
          EXPECT_EQ(letterOf(row.codes[up]), changed ? change->second : published->at(row.hand)[up])
              << decks << (h17 ? " h17 " : " s17 ") << cell;
        }
      }
    }
    EXPECT_EQ(compared, 10 * 34);
  }
}

}  // namespace
