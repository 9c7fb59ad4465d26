#include "table/simulator.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/console_observer.h"

namespace {

// Swaps a stream's buffer for a string buffer while in scope.
struct Capture {
  std::ostream& stream;
  std::ostringstream buffer{};
  std::streambuf* old = stream.rdbuf(buffer.rdbuf());
  ~Capture() { stream.rdbuf(old); }
};

ConsoleObserver g_console;

Simulator makeSim(Simulator::PlayerDecision player, BetRuleFn bet = BetRule,
                  const GameRules& rules = kHouseRules, DealerRuleFn dealer = DealerRule) {
  return Simulator(dealer, std::move(player), bet, rules, CLibraryRandom::shared(), g_console);
}

GameRules withDecks(int decks) {
  GameRules rules;
  rules.decks = decks;
  return rules;
}

// The scripted player answers g_script in order, then stands; it keeps every hand it was shown.
std::vector<int> g_script;
std::vector<Hand> g_seen;
int g_dealerCalls = 0;

const PlayerRuleFn scripted = [](DecisionContext context) {
  g_seen.push_back(context.player);
  return g_seen.size() <= g_script.size() ? g_script[g_seen.size() - 1] : int{Stand};
};
const PlayerRuleFn alwaysSplit = [](DecisionContext) { return int{Split}; };
const DealerRuleFn countedDealer = [](DecisionContext context) {
  ++g_dealerCalls;
  return DealerRule(context);
};
const BetRuleFn twoUnits = [](const Deck*) { return 2.0; };
// Marks on standard output where each round starts.
const BetRuleFn markedBet = [](const Deck*) {
  std::cout << '$';
  return 1.0;
};

std::vector<int> cardsOf(const Hand& hand) {
  return {hand.cards.begin(), hand.cards.end()};
}

// Stacks the cards on top of the shoe and plays the rounds; returns standard output.
std::string play(Simulator& sim, const std::vector<int>& cards, std::vector<int> script = {},
                 int rounds = 1, bool verbose = false) {
  EXPECT_TRUE(sim.deck().stackNext(cards));
  g_script = std::move(script);
  g_seen.clear();
  g_dealerCalls = 0;
  const Capture out{std::cout};
  sim.simulate(rounds, verbose);
  return out.buffer.str();
}

TEST(Simulator, SettlesEveryOutcome) {
  const struct {
    const char* name;
    std::vector<int> cards;  // player, dealer, player, dealer, then draws
    std::vector<int> script;
    double payoff;
    int playerCalls;
    bool canDouble;
  } rows[] = {
      {"both blackjack", {11, 11, 10, 10}, {}, 0.0, 0, true},
      {"dealer blackjack", {10, 11, 9, 10}, {}, -1.0, 0, true},
      {"player blackjack", {11, 10, 10, 9}, {}, 1.5, 1, true},
      {"player bust, dealer bust", {10, 10, 6, 6, 10, 10}, {Hit}, -1.0, 1, true},
      {"dealer bust", {10, 10, 8, 6, 10}, {}, 1.0, 1, true},
      {"higher", {10, 10, 10, 8}, {}, 1.0, 1, true},
      {"lower", {10, 10, 8, 9}, {}, -1.0, 1, true},
      {"push", {10, 10, 8, 8}, {}, 0.0, 1, true},
      {"double win", {6, 10, 5, 8, 10}, {Double}, 2.0, 1, false},
      {"double loss", {2, 10, 3, 8, 2}, {Double}, -2.0, 1, false},
  };
  for (const auto& row : rows) {
    Simulator sim = makeSim(scripted, BetRule, kHouseRules, countedDealer);
    play(sim, row.cards, row.script);
    EXPECT_EQ(sim.payoffAt(0), row.payoff) << row.name;
    EXPECT_EQ(sim.frequencyAt(0), 1.0) << row.name;
    EXPECT_EQ(static_cast<int>(g_seen.size()), row.playerCalls) << row.name;
    EXPECT_EQ(g_dealerCalls, 1) << row.name;  // the dealer's turn is played in every round
    EXPECT_EQ(sim.hands()[0].canDouble, row.canDouble) << row.name;
    // Every stacked card was dealt and no other: one card after a double, the dealer's draws.
    EXPECT_EQ(sim.deck().cardsLeft(), 104 - static_cast<int>(row.cards.size())) << row.name;
  }
}

TEST(Simulator, SplitAppendsHandPlayedAfterTheFirst) {
  struct Permissions {
    bool canDouble, canSplit;
  };
  const struct {
    AfterSplit afterSplit;
    Permissions first, added;
    BetRuleFn bet;
    double stake;
  } rows[] = {
      {AfterSplit::KeepFirst, {true, true}, {false, false}, BetRule, 1.0},
      {AfterSplit::KeepFirst, {true, true}, {false, false}, twoUnits, 2.0},
      {AfterSplit::NoDoubleNoSplit, {false, false}, {false, false}, BetRule, 1.0},
      {AfterSplit::DoubleNoSplit, {true, false}, {true, false}, BetRule, 1.0},
      {AfterSplit::DoubleAndSplit, {true, true}, {true, true}, BetRule, 1.0},
  };
  for (const auto& row : rows) {
    GameRules rules;
    rules.afterSplit = row.afterSplit;
    Simulator sim = makeSim(scripted, row.bet, rules);
    // 8 8 against 10 7: the split deals 3 to the first hand, 10 to the new one; 21 and 18 win.
    play(sim, {8, 10, 8, 7, 3, 10, 10}, {Split, Hit});
    ASSERT_EQ(sim.hands().size(), 2u);
    const Hand& first = sim.hands()[0];
    const Hand& added = sim.hands()[1];
    EXPECT_EQ(cardsOf(first), (std::vector<int>{8, 3, 10}));
    EXPECT_EQ(cardsOf(added), (std::vector<int>{8, 10}));
    EXPECT_EQ(first.canDouble, row.first.canDouble);
    EXPECT_EQ(first.canSplit, row.first.canSplit);
    EXPECT_EQ(added.canDouble, row.added.canDouble);
    EXPECT_EQ(added.canSplit, row.added.canSplit);
    EXPECT_EQ(added.stake, row.stake);
    ASSERT_EQ(g_seen.size(), 4u);
    EXPECT_EQ(cardsOf(g_seen[1]), (std::vector<int>{8, 3}));
    EXPECT_EQ(cardsOf(g_seen[3]), (std::vector<int>{8, 10}));
    EXPECT_EQ(sim.payoffAt(0), 2 * row.stake);  // both hands settled into one booking
  }
}

// A two-card 21 after a split is paid 3:2 at the house rules, 1:1 where the
// rules say so; the dealer's 20 loses to both hands.
TEST(Simulator, SplitTwentyOnePaysAsTheRulesSay) {
  for (const auto& [paysBlackjack, payoff] : {std::pair{true, 3.0}, std::pair{false, 2.0}}) {
    GameRules rules;
    rules.splitTwentyOnePaysBlackjack = paysBlackjack;
    Simulator sim = makeSim(scripted, BetRule, rules);
    play(sim, {1, 10, 1, 10, 10, 10}, {Split});
    EXPECT_EQ(sim.payoffAt(0), payoff) << paysBlackjack;
  }
}

// The dealer's soft 17 is hit at the house rules and stood on where the rules
// say so: the dealer's ace-six either draws the stacked ten or stands.
TEST(Simulator, DealerSoftSeventeenFollowsTheRules) {
  for (const auto& [hitsSoft17, dealerCards] :
       {std::pair{true, std::size_t{3}}, std::pair{false, std::size_t{2}}}) {
    GameRules rules;
    rules.dealerHitsSoft17 = hitsSoft17;
    Simulator sim = makeSim(scripted, BetRule, rules);
    play(sim, {10, 1, 8, 6, 10});
    EXPECT_EQ(sim.dealer().cards.size(), dealerCards) << hitsSoft17;
  }
}

// A one-deck shoe never reshuffled at a round's start runs out in mid-round:
// the table says so and deals on from a fresh shoe.
TEST(Simulator, EmptyShoeInMidRoundIsAnnouncedAndReshuffled) {
  Simulator sim = makeSim(scripted, BetRule, withDecks(1));
  const std::string out = play(sim, {}, {}, 20);
  EXPECT_NE(out.find("No more card, shuffle then deal\n"), std::string::npos) << out;
  double booked = 0.0;
  for (int count = -PayoffTable::kCountIndexOffset; count <= PayoffTable::kCountIndexOffset;
       ++count) {
    booked += sim.frequencyAt(count);
  }
  EXPECT_EQ(booked, 20.0);
}

TEST(Simulator, EndlessSplittingStillEndsTheRound) {
  GameRules rules;
  rules.afterSplit = AfterSplit::DoubleAndSplit;
  Simulator sim = makeSim(alwaysSplit, BetRule, rules);
  const Capture err{std::cerr};
  play(sim, {8, 10, 8, 7});
  EXPECT_EQ(sim.hands().size(), Simulator::kMaxHands);
  EXPECT_EQ(sim.frequencyAt(0), 1.0);
}

TEST(Simulator, TwentySecondDecisionEndsTheHandWithWarning) {
  Simulator sim = makeSim(scripted);
  const Capture err{std::cerr};
  EXPECT_EQ(play(sim, {10, 10, 2, 8}, std::vector<int>(30, DoubleElseHit)),
            "1 / 1 simulated.\n12 - 10 2\n\n");
  EXPECT_EQ(err.buffer.str(), "WARNING: too many cards in a hand ");
  EXPECT_EQ(g_seen.size(), 22u);
  EXPECT_EQ(sim.payoffAt(0), -1.0);  // the round went on and was settled
}

TEST(Simulator, ReshufflesAtRoundStartOnlyOnceSixtyCardsAreGone) {
  for (const auto& [dealtBefore, startLeft] : {std::pair{59, 45}, std::pair{60, 104}}) {
    Simulator sim = makeSim(scripted);
    for (int i = 0; i < dealtBefore; ++i) {
      sim.deck().deal();
    }
    play(sim, {});
    auto used = static_cast<int>(sim.dealer().cards.size() + sim.hands()[0].cards.size());
    EXPECT_EQ(sim.deck().cardsLeft() + used, startLeft) << dealtBefore;
  }
}

TEST(Simulator, ProgressLinesPrecedeTheirRounds) {
  Simulator sim = makeSim(scripted, markedBet);
  EXPECT_EQ(play(sim, {}, {}, 0), "\n");
  EXPECT_EQ(play(sim, {}, {}, 10),
            "1 / 10 simulated.\n$2 / 10 simulated.\n$$$5 / 10 simulated.\n$$$$$"
            "10 / 10 simulated.\n$\n");
}

TEST(Simulator, VerboseTraceShowsDealAndSettlement) {
  Simulator sim = makeSim(scripted);
  std::vector<int> cards(24, 10);  // rounds 1..6: 20 against 20
  cards.insert(cards.end(), {10, 10, 6, 7, 10});
  const std::string out =
      play(sim, cards, {Stand, Stand, Stand, Stand, Stand, Stand, Hit}, 7, true);
  EXPECT_TRUE(out.ends_with(
      "7 / 7 simulated.\n\n***NEW ROUND*** #7\nDealer: 17 - 10 7\nPlayer: 16 - 10 6\n\n"
      "Dealer: 17 - 10 7\nPlayer: 26 - 10 6 10\n\n"))
      << out;
}

// The round is booked at its starting true count truncated toward zero.
TEST(Simulator, BooksAtTruncatedTrueCount) {
  const struct {
    int decks, low, high, eights;
    double trueCount;
    int booked;
  } rows[] = {{3, 25, 26, 1, -0.5, 0},
              {3, 26, 25, 1, 0.5, 0},
              {2, 25, 26, 1, -1.0, -1},
              {2, 31, 17, 0, 12.999999999999998, 12}};
  const int highCodes[] = {1, 9, 10, 12, 13};
  for (const auto& row : rows) {
    Simulator sim = makeSim(scripted, BetRule, withDecks(row.decks));
    for (int i = 0; i < row.low + row.high + row.eights; ++i) {
      sim.deck().dealForced(i < row.low              ? 2 + i % 6
                            : i < row.low + row.high ? highCodes[i % 5]
                                                     : 8);
    }
    ASSERT_EQ(sim.deck().trueCount(), row.trueCount);
    play(sim, {});
    EXPECT_EQ(sim.frequencyAt(row.booked), 1.0) << row.trueCount;
  }
}

}  // namespace
