// The counter's game: count systems, true counts, the table's card watching,
// index plays and their file format, insurance at a count, wonging, and the
// index-generation tallies.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "count/card_counter.h"
#include "count/wonging.h"
#include "strategy/counting_player.h"
#include "strategy/deviation_pricer.h"
#include "strategy/deviation_tally.h"
#include "strategy/index_plays.h"
#include "strategy/player_rule.h"
#include "study/games.h"
#include "table/simulator.h"
#include "tests/support.h"

namespace {

// The tag tables as published (docs/counting.md "Counts"), A 2 3 4 5 6 7 8 9 10.
TEST(CountSystem, NamedCountsCarryThePublishedTags) {
  // Name, tags, balanced.
  const std::tuple<const char*, const char*, bool> rows[] = {
      {"hilo", "A:-1,2:1,3:1,4:1,5:1,6:1,7:0,8:0,9:0,10:-1", true},
      {"ko", "A:-1,2:1,3:1,4:1,5:1,6:1,7:1,8:0,9:0,10:-1", false},
      {"hiopt1", "A:0,2:0,3:1,4:1,5:1,6:1,7:0,8:0,9:0,10:-1", true},
      {"hiopt2", "A:0,2:1,3:1,4:2,5:2,6:1,7:1,8:0,9:0,10:-2", true},
      {"omega2", "A:0,2:1,3:1,4:2,5:2,6:2,7:1,8:0,9:-1,10:-2", true},
      {"zen", "A:-1,2:1,3:1,4:2,5:2,6:2,7:1,8:0,9:0,10:-2", true},
      {"halves", "A:-1,2:0.5,3:1,4:1,5:1.5,6:1,7:0.5,8:0,9:-0.5,10:-1", true},
  };
  ASSERT_EQ(countNames().size(), std::size(rows));
  for (const auto& [name, tags, balanced] : rows) {
    SCOPED_TRACE(name);
    const auto named = countNamed(name);
    ASSERT_TRUE(named);
    EXPECT_EQ(*named, std::get<CountSystem>(parseCountTags(tags)));
    EXPECT_EQ(named->balanced(), balanced);
    EXPECT_EQ(nameOfCount(*named), name);
    EXPECT_EQ(std::get<CountSystem>(parseCountTags(named->tagsText())), *named);
  }
}

TEST(CountSystem, TagsAreRefusedWithTheReason) {
  const std::pair<const char*, const char*> rows[] = {
      {"A:-1,2:1,3:1,4:1,5:1,6:1,7:0,8:0,9:0", "10 has none"},
      {"A:-1,2:1,3:1,4:1,5:1,6:1,7:0,8:0,9:0,10:-1,2:1", "tagged twice"},
      {"A:-1,2:0.25,3:1,4:1,5:1,6:1,7:0,8:0,9:0,10:-1", "whole or half point"},
      {"A:-1,2:11,3:1,4:1,5:1,6:1,7:0,8:0,9:0,10:-1", "whole or half point"},
      {"K:-1,2:1,3:1,4:1,5:1,6:1,7:0,8:0,9:0,10:-1", "A or 2 to 10"},
      {"A-1,2:1,3:1,4:1,5:1,6:1,7:0,8:0,9:0,10:-1", "CARD:TAG"},
  };
  for (const auto& [tags, reason] : rows)
    EXPECT_TRUE(says(parseCountTags(tags), reason)) << tags;
  // An unbalanced custom count starts below zero as KO does: 2 points a deck.
  const auto custom = parseCountTags("A:-0.5,2:1,3:1,4:1,5:1,6:1,7:0,8:0,9:0,10:-1");
  EXPECT_EQ(std::get<CountSystem>(custom).initialHalves(6), -2 * 2 * 5);
}

// Each case worked out by hand: running count / decks left.
TEST(TrueCount, ConvertsByEstimateAndRounding) {
  using R = TrueCountRounding;
  using E = DeckEstimate;
  // Half points, cards left, the estimate, then the count truncated, floored and rounded.
  const std::tuple<int, int, E, std::array<int, 3>> rows[] = {
      {10, 130, E::Exact, {2, 2, 2}},      // 5 / 2.5
      {10, 130, E::Half, {2, 2, 2}},       // 2.5 decks read as 2.5
      {10, 130, E::Whole, {1, 1, 2}},      // 2.5 decks read as 3: 5 / 3
      {-10, 130, E::Whole, {-1, -2, -2}},  // -5 / 3
      {7, 52, E::Exact, {3, 3, 4}},        // 3.5
      {-7, 52, E::Exact, {-3, -4, -4}},    // -3.5: halves go away from zero
      {4, 10, E::Exact, {10, 10, 10}},     // 2 / (10 / 52) = 10.4
      {4, 10, E::Half, {4, 4, 4}},         // at least half a deck: 2 / 0.5
      {4, 10, E::Whole, {2, 2, 2}},        // at least a deck
      {4, 39, E::Half, {2, 2, 2}},         // 0.75 decks, between halves: read as 1
      {4, 39, E::Exact, {2, 2, 3}},        // 2 / 0.75 = 2.67
      {4, 0, E::Exact, {60, 60, 60}},      // an empty shoe counts as one card: 104
      {200, 52, E::Exact, {60, 60, 60}},   // 100 lands in the end slot
      {-200, 26, E::Half, {-60, -60, -60}},
  };
  for (const auto& [halves, cards, estimate, expected] : rows) {
    const R roundings[] = {R::Truncate, R::Floor, R::Round};
    for (std::size_t k = 0; k < 3; ++k)
      EXPECT_EQ(trueCountOf(halves, cards, {roundings[k], estimate}), expected[k])
          << halves << "/" << cards << " rounding " << k;
  }
  EXPECT_EQ((std::array{wholeRunningCount(-3, R::Truncate), wholeRunningCount(-3, R::Floor),
                        wholeRunningCount(-150, R::Round)}),
            (std::array{-1, -2, -60}));
}

// Records the running count at every decision and stands.
struct CountReader final : Player {
  explicit CountReader(const CardCounter& counter) : counter(counter) {}
  int decide(const DecisionView& /*view*/) override {
    seen.push_back(counter.runningHalves());
    return Stand;
  }
  const CardCounter& counter;
  std::vector<int> seen;
};

// The table shows the counter each card as it turns face up: the hole card
// only at the dealer's turn, a card drawn under no hole card when dealt.
TEST(CardCounter, SeesEachCardWhenItTurnsFaceUp) {
  const GameRules noHole{.holeCard = HoleCard::None};
  // The rules, the cards (player, up, player, hole card or the dealer's next,
  // draws), Hi-Lo half points when the player is asked and after the round,
  // and the true count then: the points over the decks left, truncated.
  const std::tuple<const char*, GameRules, std::vector<int>, int, int, int> rows[] = {
      // 2, 5 and 3 seen (+3); the hole 10 (-1) only at the dealer's turn; his 8 busts 15.
      {"peek", kHouseRules, {2, 5, 3, 10, 8}, 6, 4, 1},
      {"no hole card", noHole, {2, 5, 3, 10, 8}, 6, 4, 1},
      {"tens", kHouseRules, {10, 10, 10, 9}, -6, -6, -1},
  };
  for (const auto& [name, rules, cards, atDecision, afterRound, booked] : rows) {
    SCOPED_TRACE(name);
    CardCounter counter(*countNamed("hilo"), rules.decks, {});
    CountReader player(counter);
    StreamRandom random(1, 0);
    Simulator table(DealerRule, player, BetRule, rules, random);
    table.showCardsTo(counter);
    ASSERT_TRUE(table.deck().stackNext(cards));
    const int bookedAt = table.playRound(1, false).count;
    ASSERT_EQ(table.deck().cardsLeft(), 104 - static_cast<int>(cards.size()));
    EXPECT_EQ(
        std::tuple(bookedAt, player.seen, counter.runningHalves(), counter.count(table.deck())),
        std::tuple(0, std::vector<int>{atDecision}, afterRound, booked));
    // The reshuffle at the reshuffle point starts the count again.
    while (table.deck().cardsLeft() > 104 - rules.reshuffleAfter)
      table.deck().deal();
    table.newRound();
    EXPECT_EQ(counter.runningHalves(), 0);
  }
}

// Each play of the Illustrious 18 exactly at its index and one count short of
// it; a deviation the hand may not take leaves the decision to basic strategy.
TEST(CountingPlayer, PlaysAnIndexFromItsCountAndNotOneShort) {
  const GameRules rules{
      .decks = 6, .dealerHitsSoft17 = false, .afterSplit = AfterSplit::DoubleNoSplit};
  const IndexPlays i18 = *indexSetNamed("i18");
  // The hand, the up card, the true count, the play.
  const std::tuple<std::vector<int>, int, int, int> rows[] = {
      {{10, 6}, 10, 0, Stand}, {{10, 6}, 10, -1, Hit},  {{9, 6}, 10, 4, Stand},
      {{9, 6}, 10, 3, Hit},    {{10, 10}, 5, 5, Split}, {{10, 10}, 5, 4, Stand},
      {{10, 10}, 6, 4, Split}, {{10, 10}, 6, 3, Stand}, {{6, 4}, 10, 4, Double},
      {{6, 4}, 10, 3, Hit},    {{4, 3, 3}, 10, 9, Hit}, {{10, 2}, 2, 3, Stand},
      {{10, 2}, 2, 2, Hit},    {{10, 3}, 2, -2, Hit},   {{10, 3}, 2, -1, Stand},
      {{10, 2}, 4, -1, Hit},   {{10, 2}, 4, 0, Stand},  {{7, 2}, 2, 1, Double},
      {{7, 2}, 2, 0, Hit},     {{8, 3}, 1, 1, Double},  {{8, 3}, 1, 0, Hit},
      {{10, 6}, 9, 5, Stand},  {{10, 6}, 9, 4, Hit},    {{7, 3}, 1, 4, Double},
      {{7, 3}, 1, 3, Hit},     {{5, 4}, 7, 3, Double},  {{5, 4}, 7, 2, Hit},
  };
  for (const auto& [cards, up, count, expected] : rows) {
    // A fresh six-deck shoe, the counter shown 6 x count low cards (or tens).
    StreamRandom random(1, 0);
    const Deck deck(6, true, random);
    CardCounter counter(*countNamed("hilo"), 6, {});
    for (int i = 0; i < std::abs(6 * count); ++i)
      counter.see(count > 0 ? 2 : 10);
    CountingPlayer player(rules, i18, counter);
    const Hand hand = handOf(cards);
    const bool first = cards.size() == 2;
    const DecisionView view{
        deck, handOf({up, 7}), hand, rules, 1, first, allowedActions(hand, 1, first, rules)};
    EXPECT_EQ(player.decide(view), expected) << hand.total() << " v " << up << " at " << count;
  }
}

// Insurance at a count, taken by the table's count whatever the strategy:
// from an index set's insurance row (i18: +3) or --insurance count:T. The
// counter is shown k low cards before the deal; then 10, A up, 10 (and a hole
// 8): Hi-Lo 2k - 6 half points over 308 cards, 2.87 at k = 20 and 3.04 at 21.
TEST(Insurance, TakenFromItsCountAndNotOneShort) {
  const GameRules sixDecks{.decks = 6, .reshuffleAfter = 234};
  const GameRules fromIndex = rulesWithIndexInsurance(sixDecks, *indexSetNamed("i18"));
  ASSERT_EQ(std::pair(fromIndex.insurance, fromIndex.insuranceCount),
            std::pair(Insurance::Count, 3));
  const GameRules atTwo{
      .decks = 6, .reshuffleAfter = 234, .insurance = Insurance::Count, .insuranceCount = 2};
  // The rules, whether a CountingPlayer plays (or else the composition rule
  // function), the low cards shown before the deal, whether insured.
  const std::tuple<const char*, GameRules, bool, int, bool> rows[] = {
      {"i18 at +3", fromIndex, true, 21, true},
      {"i18 at +2", fromIndex, true, 20, false},
      {"count:2 at +2, composition rule", atTwo, false, 20, true},
      {"count:2 at +1, composition rule", atTwo, false, 11, false},
      {"never", sixDecks, true, 40, false},
  };
  for (const auto& [name, rules, counting, lowCards, insured] : rows) {
    SCOPED_TRACE(name);
    CardCounter counter(*countNamed("hilo"), 6, {});
    CountingPlayer player(rules, *indexSetNamed("i18"), counter);
    StreamRandom random(1, 0);
    Simulator table = counting ? Simulator(DealerRule, player, BetRule, rules, random)
                               : Simulator(DealerRule, PlayerRule, BetRule, rules, random);
    table.showCardsTo(counter);
    for (int i = 0; i < lowCards; ++i)
      counter.see(2);
    ASSERT_TRUE(table.deck().stackNext(std::vector<int>{10, 1, 10, 8}));
    const RoundResult result = table.playRound(1, false);
    EXPECT_EQ(table.insured(), insured);
    // 20 beats soft 19; the bet costs half a stake.
    EXPECT_TRUE(!counting || result.payoffUnits == (insured ? 5 : 10));
  }
  // Rules with insurance of their own keep it.
  const GameRules composition{.insurance = Insurance::Composition};
  EXPECT_EQ(rulesWithIndexInsurance(composition, *indexSetNamed("i18")).insurance,
            Insurance::Composition);
}

// Each built-in set reads back from its text, and every row of it deviates
// from basic strategy in the game the sets are published for: a row that asks
// what basic strategy already does never changes a decision.
TEST(IndexPlays, BuiltInSetsReadBackAndEachRowChangesABasicDecision) {
  const GameRules& rules = gameNamed("6d-s17-ls")->rules;
  const BasicStrategy basic(rules);
  for (const auto name : indexSetNames()) {
    const IndexPlays set = *indexSetNamed(name);
    EXPECT_EQ(std::get<IndexPlays>(parseIndexPlays(set.text())), set) << name;
    for (const IndexPlay& play : set.plays) {
      if (play.hand == IndexHand::Insurance) {
        EXPECT_EQ(rules.insurance, Insurance::Never);  // basic strategy never insures
        continue;
      }
      const int basicAction =
          play.hand == IndexHand::Pair
              ? basic.pairAction(play.upCard, play.value, 1, true,
                                 {Hit, Stand, Double, Split, Surrender})
              : basic.totalAction(play.upCard, play.value, play.hand == IndexHand::Soft, true,
                                  {Hit, Stand, Double, Surrender});
      EXPECT_NE(basicAction, play.action)
          << name << ": " << handText(play.hand, play.value) << " v " << play.upCard;
    }
  }
  // The union, either way round, leaves 15 v 10 to the Fab 4.
  const IndexPlays both = *indexSetNamed("fab4,i18"), fab4 = *indexSetNamed("fab4");
  EXPECT_EQ((std::array{indexSetNamed("i18")->plays.size(), fab4.plays.size(), both.plays.size()}),
            (std::array<std::size_t, 3>{18, 4, 21}));
  for (const IndexPlay& play : fab4.plays)
    EXPECT_NE(std::ranges::find(both.plays, play), both.plays.end())
        << handText(play.hand, play.value);
  EXPECT_EQ(indexSetName(both), "i18,fab4");
  EXPECT_EQ(indexSetNamed("i18,fab4"), both);
  for (const char* refused : {"i17", "i18,", ",fab4", "i18,i18", "i18 ,fab4", ""})
    EXPECT_FALSE(indexSetNamed(refused)) << refused;
}

// The generated files' columns, decimal indexes and quoted hands.
TEST(IndexPlays, ReadsGeneratedFilesAndDecimalIndexes) {
  const auto parsed = parseIndexPlays(
      "hand,up_card,basic,deviation,index,ci95_low,ci95_high,decisions,direction\r\n"
      "\r\n"
      "16,10,hit,stand,0.4,0.1,0.7,1200,>=\r\n"
      "\"A,7\",2,stand,double,-0.5,,,900,>=\r\n"
      "\"8,8\",10,split,surrender,-1.5,-2,-1,55,<=\r\n"
      "12,4,stand,hit,-1.0,,,10,<=\r\n");
  EXPECT_EQ(std::get<IndexPlays>(parsed).plays,
            (std::vector<IndexPlay>{{IndexHand::Hard, 16, 10, Stand, 1, true},
                                    {IndexHand::Soft, 18, 2, Double, 0, true},
                                    {IndexHand::Pair, 8, 10, Surrender, -2, false},
                                    {IndexHand::Hard, 12, 4, Hit, -1, false}}));
}

TEST(IndexPlays, RefusesMalformedFilesNamingLineAndColumn) {
  const std::string header = "hand,up_card,action,index,direction\n";
  // The file, the line and column refused, and the reason.
  const std::tuple<std::string, int, int, const char*> rows[] = {
      {"", 1, 1, "no header"},
      {"hand,up_card,action,index\n", 1, 1, "no column direction"},
      {"hand,up_card,action,deviation,index,direction\n", 1, 21, "twice"},
      {header + "16,10,stand,0\n", 2, 1, "4 fields"},
      {header + "A,7,2,double,1,>=\n", 2, 1, "in quotes"},
      {header + "22,10,stand,0,>=\n", 2, 1, "hard total 4 to 21"},
      {header + "\"A,11\",10,stand,0,>=\n", 2, 1, "soft total A,2 to A,10"},
      {header + "16,1,stand,0,>=\n", 2, 4, "2 to 10 or A"},
      {header + "16,10,split,0,>=\n", 2, 7, "only a pair"},
      {header + "16,10,stay,0,>=\n", 2, 7, "stand, hit"},
      {header + "16,10,stand,61,>=\n", 2, 13, "-60 to 60"},
      {header + "16,10,stand,0,>\n", 2, 15, ">= or <="},
      {header + "insurance,10,insure,3,>=\n", 2, 11, "ace only"},
      {header + "insurance,A,stand,3,>=\n", 2, 13, "insure"},
      {header + "insurance,A,insure,3,<=\n", 2, 22, "and above"},
      {header + "16,10,stand,0,>=\n\n16,10,stand,1,>=\n", 4, 1, "twice"},
      {header + "\"16,10,stand,0,>=\n", 2, 1, "not closed"},
      {header + "\"16\"x,10,stand,0,>=\n", 2, 5, "end at a comma"},
  };
  for (const auto& [csv, line, column, reason] : rows) {
    const auto parsed = parseIndexPlays(csv);
    ASSERT_TRUE(std::holds_alternative<IndexFileError>(parsed)) << csv;
    const IndexFileError& error = std::get<IndexFileError>(parsed);
    EXPECT_EQ(std::pair(error.line, error.column), std::pair(line, column)) << csv;
    EXPECT_TRUE(says(error.message, reason));
  }
}

// Which rounds the player sits in for, given each round's count and whether
// it starts a fresh shoe.
TEST(Wonging, PlaysFromTheInCountAndLeavesBelowTheOutCount) {
  const bool o = true, x = false;  // o: a fresh shoe, or the round played
  // Each round: its count, whether it starts a fresh shoe, whether it is played.
  const std::tuple<const char*, WongLimits, std::vector<std::tuple<int, bool, bool>>> rows[] = {
      {"no limits", {}, {{0, o, o}, {-5, x, o}}},
      {"in alone", {2, {}}, {{0, o, x}, {2, x, o}, {-3, x, o}, {1, o, x}}},
      {"out alone", {{}, -1}, {{0, o, o}, {-1, x, o}, {-2, x, x}, {3, x, x}, {-4, o, x}}},
      {"both", {2, 0}, {{2, o, o}, {1, x, o}, {-1, x, x}, {1, x, x}, {2, x, o}}},
  };
  for (const auto& [name, limits, rounds] : rows) {
    Wonging wonging(limits);
    for (const auto& [count, freshShoe, plays] : rounds)
      EXPECT_EQ(wonging.plays(count, freshShoe), plays) << name << " at " << count;
  }
}

// A mean difference that is a line crossing zero at a known count, with a
// constant se: the crossing and where mean +- 1.96 se cross, either way.
TEST(GeneratedIndices, FindTheCrossingAndItsInterval) {
  const double z = 1.959963984540054;
  std::vector<DifferencePoint> rising, falling, everywhere;  // better everywhere: no index
  for (int count = -3; count <= 8; ++count) {
    rising.push_back({count, 0.1 * (count - 2.5), 0.05});
    falling.push_back({count, -0.1 * (count + 1.5), 0.05});
    everywhere.push_back({count, 1.0, 0.05});
  }
  // A crossing between the two lowest counts, and the two highest, is found.
  const std::vector<DifferencePoint> edge{{0, -0.1, 0.0}, {1, 0.3, 0.0}, {2, 0.5, 0.0}};
  const std::vector<DifferencePoint> top{{0, 0.5, 0.0}, {1, 0.3, 0.0}, {2, -0.1, 0.0}};
  // The points, at or above or else at or below, and the index (none: no index).
  const std::tuple<const std::vector<DifferencePoint>*, bool, std::optional<double>> rows[] = {
      {&rising, true, 2.5},    {&rising, false, {}}, {&falling, false, -1.5}, {&falling, true, {}},
      {&everywhere, true, {}}, {&edge, true, 0.25},  {&top, false, 1.75},
  };
  for (const auto& [points, above, index] : rows) {
    const auto found = above ? crossingAbove(*points) : crossingBelow(*points);
    ASSERT_EQ(found.has_value(), index.has_value()) << above << " " << index.value_or(0);
    if (!found)
      continue;
    EXPECT_EQ(found->atOrAbove, above);
    EXPECT_NEAR(found->index, *index, 1e-12);
    if ((*points)[0].se > 0) {
      EXPECT_NEAR(*found->low, *index - 0.5 * z, 1e-12);
      EXPECT_NEAR(*found->high, *index + 0.5 * z, 1e-12);
    }
  }
}

// Decisions tallied over blocks, merged in two halves, give the line's
// crossing back; counts with too few decisions are left out, and so is a soft
// 12 that may not split, which has no notation.
TEST(GeneratedIndices, TalliesMergeAndCross) {
  const DeviationKey key{IndexHand::Hard, 16, 10, Hit, Stand},
      soft12{IndexHand::Soft, 12, 5, Hit, Double};
  // The next hand against the lowest up card: a kind of its own.
  const DeviationKey neighbour{IndexHand::Hard, 17, 2, Hit, Stand};
  DeviationTally first, second;
  for (int block = 0; block < 20; ++block) {
    DeviationTally& tally = block % 2 == 0 ? first : second;
    for (int count = -4; count <= 6; ++count) {
      for (int i = 0; i < 20; ++i) {
        // The mean is 0.02 (count - 1.25); the spread around it cancels in each block.
        tally.record(key, count, 0.02 * (count - 1.25) + (i % 2 == 0 ? 0.1 : -0.1));
        tally.record(soft12, count, 0.02 * count);
      }
    }
    tally.record(key, -60, 5.0);  // one decision at the end slot: too few to count
    tally.record(neighbour, 0, 0.0);
    tally.endBlock();
  }
  DeviationTally merged = first;
  merged += second;
  const auto series = merged.series();
  ASSERT_EQ(series.size(), 3U);
  EXPECT_EQ(std::tuple(merged.blocks(), series[1]->key, series[1]->counts[countSlot(0)].rounds),
            std::tuple(20U, neighbour, 20));
  const auto indices = generatedIndices(merged);
  ASSERT_EQ(indices.size(), 1U);
  EXPECT_EQ(std::tuple(indices[0].key, indices[0].atOrAbove, indices[0].decisions),
            std::tuple(key, true, 20 * (11 * 20 + 1)));
  EXPECT_NEAR(indices[0].index, 1.25, 1e-9);
}

// One round from one deck topped with `cards`, dealt to a Hi-Lo counter's
// pricer: the deviations it priced.
DeviationTally pricedRound(const std::vector<int>& cards, DeviationPricing pricing) {
  const GameRules rules{.decks = 1, .reshuffleAfter = 30};
  CardCounter counter(*countNamed("hilo"), 1, {});
  DeviationTally tally;
  DeviationPricer pricer(rules, counter, tally, pricing);
  StreamRandom random(1, 0);
  Simulator table(DealerRule, pricer, BetRule, rules, random);
  table.showCardsTo(counter);
  EXPECT_TRUE(table.deck().stackNext(cards));
  table.playRound(1, false);
  tally.endBlock();
  return tally;
}

// Insurance priced from the cards the player cannot see: the player's two
// tens and the up ace shown, the hole card (a ten) unseen, so 14 tens among
// 49 cards: 1.5 x 14 / 49 - 0.5. Shown: 10, A, 10: Hi-Lo -3 with 48 cards in
// the shoe, -3.25 truncated. Exact pricing removes every card as it is dealt:
// from one deck it prices 16 against a ten otherwise than the unseen cards'
// proportions, though within a few hundredths of a stake.
TEST(DeviationPricer, PricesFromTheUnseenCardsOrExactlyWhenAsked) {
  const DeviationTally insurance = pricedRound({10, 1, 10, 10}, DeviationPricing::Proportions);
  const auto priced = insurance.series();
  ASSERT_EQ(priced.size(), 1U);
  const SeriesTally& atMinusThree = priced[0]->counts[countSlot(-3)];
  EXPECT_EQ(std::tuple(priced[0]->key.hand, atMinusThree.rounds, atMinusThree.sum),
            std::tuple(IndexHand::Insurance, 1,
                       std::llround((1.5 * 14 / 49 - 0.5) * DeviationTally::kUnitsPerStake)));
  const auto standLessHit = [](DeviationPricing pricing) {
    const DeviationTally tally = pricedRound({10, 10, 6, 7}, pricing);
    for (const DeviationTally::Series* series : tally.series())
      if (series->key.value == 16 && series->key.alternative == Stand)
        for (const SeriesTally& at : series->counts)
          if (at.rounds == 1)
            return static_cast<double>(at.sum) / DeviationTally::kUnitsPerStake;
    ADD_FAILURE() << "no 16 against a ten priced";
    return 0.0;
  };
  const double proportions = standLessHit(DeviationPricing::Proportions);
  const double exact = standLessHit(DeviationPricing::Exact);
  EXPECT_NE(exact, proportions);
  EXPECT_NEAR(exact, proportions, 0.05);
}

}  // namespace
