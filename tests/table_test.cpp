// The table: rounds, hands and the payoff table.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cmath>
#include <numeric>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "driver/console_observer.h"
#include "table/payoff_unit.h"
#include "table/simulator.h"
#include "tests/support.h"

namespace {

namespace ti = testing::internal;

ConsoleObserver g_console;
double g_stake = 1.0;

// A player who answers its script in order, then stands; it records every hand
// it was shown and what it was offered, and takes insurance when told to.
struct ScriptedPlayer final : Player {
  int decide(const DecisionView& view) override {
    seen.push_back(view.hand);
    offered.push_back(view.allowed);
    return seen.size() <= script.size() ? script[seen.size() - 1] : int{Stand};
  }
  bool takesInsurance(const Deck& /*deck*/, const Hand& /*dealer*/, const GameRules& /*rules*/,
                      int /*count*/) override {
    return insures;
  }
  std::vector<int> script;
  bool insures = false;
  std::vector<Hand> seen;
  std::vector<ActionSet> offered;
};
constexpr DealerRuleFn alwaysHit = [](DecisionContext) { return int{Hit}; };
constexpr DealerRuleFn alwaysSplit = [](DecisionContext) { return int{Split}; };

// The scripted player at a table staking g_stake, its shoe topped with `cards`.
struct Table {
  ScriptedPlayer player;
  Simulator sim;
  Table(const std::vector<int>& cards, std::vector<int> script,
        const GameRules& rules = kHouseRules, DealerRuleFn dealer = DealerRule,
        bool insures = false)
      : sim(
            dealer, player, [](const Deck*) { return g_stake; }, rules, CLibraryRandom::shared(),
            g_console) {
    player.script = std::move(script);
    player.insures = insures;
    EXPECT_TRUE(sim.deck().stackNext(cards));
  }
};

// Plays the rounds; returns standard output.
std::string simulate(Simulator& sim, int rounds = 1, bool verbose = false) {
  ti::CaptureStdout();
  sim.simulate(rounds, verbose);
  return ti::GetCapturedStdout();
}

std::vector<int> cardsOf(const Hand& hand) {
  return {hand.cards().begin(), hand.cards().end()};
}

// One round from the stacked cards: its payoff (in payoff units and as
// truecount books it), how often the player was asked, how many cards the
// dealer ended with, whether insurance was taken.
TEST(Simulator, SettlesEveryOutcome) {
  const double kMax = INT_MAX;
  const GameRules s17{.dealerHitsSoft17 = false}, evenSplit21{.splitTwentyOnePaysBlackjack = false};
  const GameRules pays65{.blackjackPays = BlackjackPays::SixToFive};
  const GameRules pays11{.blackjackPays = BlackjackPays::OneToOne};
  const GameRules pays21{.blackjackPays = BlackjackPays::TwoToOne};
  const GameRules late{.surrender = SurrenderRule::Late}, early{.surrender = SurrenderRule::Early};
  const GameRules lateNoHole{.surrender = SurrenderRule::Late, .holeCard = HoleCard::None};
  const GameRules earlyNoHole{.surrender = SurrenderRule::Early, .holeCard = HoleCard::None};
  const GameRules insure{.insurance = Insurance::Composition}, noHole{.holeCard = HoleCard::None};
  const GameRules insureNoHole{.holeCard = HoleCard::None, .insurance = Insurance::Composition};
  const struct {
    const char* name;
    std::vector<int> cards, script;  // cards: player, dealer, player, hole card, then draws
    double payoff;
    int asked;
    std::size_t dealerCards = 2;
    double stake = 1.0;
    GameRules rules = kHouseRules;
    DealerRuleFn dealer = DealerRule;
    bool insures = false;
  } rows[] = {
      {"both blackjack", {11, 11, 10, 10}, {}, 0.0, 0},  // 11 stacks an ace too
      {"dealer blackjack", {10, 1, 9, 10}, {}, -1.0, 0},
      {"player blackjack", {1, 10, 10, 9}, {}, 1.5, 1},
      {"player bust first", {10, 10, 6, 6, 10, 10}, {Hit}, -1.0, 1, 3},
      {"dealer bust", {10, 10, 8, 6, 10}, {}, 1.0, 1, 3},
      {"higher", {10, 10, 10, 8}, {}, 1.0, 1},
      {"lower", {10, 10, 8, 9}, {}, -1.0, 1},
      {"push", {10, 10, 8, 8}, {}, 0.0, 1},
      {"double win", {6, 10, 5, 8, 10}, {Double}, 2.0, 1},
      {"double loss", {2, 10, 3, 8, 2}, {Double}, -2.0, 1},
      // Stakes count in whole units toward zero; NaN and the huge are clamped.
      {"blackjack, part units", {1, 10, 10, 9}, {}, 3.0, 1, 2, 2.7},
      {"NaN stake", {10, 10, 10, 8}, {}, 0.0, 1, 2, NAN},
      {"huge stake", {10, 10, 10, 8}, {}, kMax, 1, 2, 1e300},
      {"huge negative stake", {10, 10, 10, 8}, {}, -kMax, 1, 2, -1e300},
      {"huge blackjack", {1, 10, 10, 9}, {}, 1.5 * kMax, 1, 2, 1e300},
      // Ace-six draws a 2 to soft 19 at the house rules, stands on soft 17 where told.
      {"dealer hits soft 17", {10, 1, 8, 6, 2}, {}, -1.0, 1, 3},
      {"dealer stands on soft 17", {10, 1, 8, 6}, {}, 1.0, 1, 2, 1.0, s17},
      // Two aces split, a ten on each, against 20: two 21s, at 3:2 or even money;
      // a blackjack dealt as such pays 3:2 either way.
      {"split 21s", {1, 10, 1, 10, 10, 10}, {Split}, 3.0, 3},
      {"even-money split 21s", {1, 10, 1, 10, 10, 10}, {Split}, 2.0, 3, 2, 1.0, evenSplit21},
      {"blackjack, even-money split 21s", {1, 10, 10, 9}, {}, 1.5, 1, 2, 1.0, evenSplit21},
      // A dealer rule that always hits stops at a bust; one that stalls stands.
      {"dealer hits past 21", {10, 10, 9, 6, 5, 10}, {}, 1.0, 1, 4, 1.0, kHouseRules, alwaysHit},
      {"dealer stalls", {10, 10, 9, 2}, {}, 1.0, 1, 2, 1.0, kHouseRules, alwaysSplit},
      // A blackjack's payout; split 21s keep 3:2.
      {"6:5 blackjack", {1, 10, 10, 9}, {}, 1.2, 1, 2, 1.0, pays65},
      {"1:1 blackjack", {1, 10, 10, 9}, {}, 1.0, 1, 2, 1.0, pays11},
      {"2:1 blackjack", {1, 10, 10, 9}, {}, 2.0, 1, 2, 1.0, pays21},
      {"6:5, split 21s", {1, 10, 1, 10, 10, 10}, {Split}, 3.0, 3, 2, 1.0, pays65},
      // Surrender: half the stake at the original hand's first decision only,
      // early before the peek, late after it. Refused answers are asked again.
      {"late surrender", {10, 10, 6, 7}, {Surrender}, -0.5, 1, 2, 1.0, late},
      {"no surrender offered", {10, 10, 6, 7}, {Surrender}, -1.0, 2},
      {"no surrender after a refusal", {10, 10, 6, 7}, {Split, Surrender}, -1.0, 3, 2, 1.0, late},
      {"late surrender after the peek", {10, 1, 6, 10}, {Surrender}, -1.0, 0, 2, 1.0, late},
      {"early surrender before the peek", {10, 1, 6, 10}, {Surrender}, -0.5, 1, 2, 1.0, early},
      {"early surrender, no blackjack", {10, 10, 6, 7}, {Surrender}, -0.5, 1, 2, 1.0, early},
      // Taken before the peek: the hit it chose is never dealt.
      {"early decision, dealer blackjack", {5, 1, 6, 10}, {Hit}, -1.0, 1, 2, 1.0, early},
      // No hole card: the dealer's second card comes after the player's turn,
      // and a blackjack takes every stake but a blackjack's.
      {"no hole card, blackjack", {10, 10, 9, 1}, {}, -1.0, 1, 2, 1.0, noHole},
      {"no hole, split, doubled", {8, 10, 8, 3, 9, 10, 1}, {Split, Double}, -3.0, 3, 2, 1, noHole},
      {"no hole card, blackjacks push", {1, 10, 10, 1}, {}, 0.0, 1, 2, 1.0, noHole},
      {"no hole card, dealer draws", {10, 6, 8, 1, 10}, {}, 1.0, 1, 3, 1.0, noHole},
      {"no hole card, late surrender", {10, 10, 6, 1}, {Surrender}, -1.0, 1, 2, 1.0, lateNoHole},
      {"no hole card, early surrender", {10, 10, 6, 1}, {Surrender}, -0.5, 1, 2, 1.0, earlyNoHole},
      // Insurance: half the stake, paid 2:1 on a blackjack, offered on an ace only.
      {"insured blackjack", {10, 1, 9, 10}, {}, 0.0, 0, 2, 2.0, insure, DealerRule, true},
      {"insurance lost", {10, 1, 9, 8}, {}, -0.5, 1, 2, 1.0, insure, DealerRule, true},
      {"insurance never", {10, 1, 9, 10}, {}, -1.0, 0, 2, 1.0, kHouseRules, DealerRule, true},
      {"no insurance on a ten", {10, 10, 9, 1}, {}, -1.0, 0, 2, 1.0, insure, DealerRule, true},
      {"insured, no hole card", {10, 1, 9, 10}, {}, 0.0, 1, 2, 1.0, insureNoHole, DealerRule, true},
  };
  for (const auto& row : rows) {
    g_stake = row.stake;
    Table table(row.cards, row.script, row.rules, row.dealer, row.insures);
    const Simulator& sim = table.sim;
    const RoundResult result = table.sim.playRound(1, false);
    const bool offered = row.rules.insurance != Insurance::Never && row.cards[1] == 1;
    // The last: every stacked card was dealt and no other.
    EXPECT_EQ(std::tuple(result.payoff, result.payoffUnits, result.count, result.decisions,
                         table.player.seen.size(), sim.dealer().cards().size(), sim.insured(),
                         sim.deck().cardsLeft()),
              std::tuple(row.payoff, std::llround(row.payoff * kPayoffUnitsPerStake), 0, row.asked,
                         static_cast<std::size_t>(row.asked), row.dealerCards,
                         offered && row.insures, 104 - static_cast<int>(row.cards.size())))
        << row.name;
  }
  g_stake = 1.0;
}

// 8 8 against 10 7, split as the rule asks: the first hand keeps an 8 and takes
// a 3, then a 10; the new hand takes the other 8, the stake and a 10. 21 and 18 win.
TEST(Simulator, SplitAppendsHandPlayedAfterTheFirst) {
  using P = std::array<bool, 4>;  // may double, may split: the first hand, then the new one
  // The rule, the permissions, the stake.
  const std::tuple<AfterSplit, P, double> rows[] = {
      {AfterSplit::KeepFirst, {true, true, false, false}, 1.0},
      {AfterSplit::KeepFirst, {true, true, false, false}, 2.0},
      {AfterSplit::NoDoubleNoSplit, {false, false, false, false}, 1.0},
      {AfterSplit::DoubleNoSplit, {true, false, true, false}, 1.0},
      {AfterSplit::DoubleAndSplit, {true, true, true, true}, 1.0},
      {AfterSplit::SplitNoDouble, {false, true, false, true}, 1.0},
  };
  for (const auto& [afterSplit, permissions, stake] : rows) {
    g_stake = stake;
    Table table({8, 10, 8, 7, 3, 10, 10}, {Split, Hit}, GameRules{.afterSplit = afterSplit});
    Simulator& sim = table.sim;
    const std::vector<Hand>& seen = table.player.seen;
    simulate(sim);
    ASSERT_EQ(sim.hands().size(), 2u);
    ASSERT_EQ(seen.size(), 4u);
    const Hand& first = sim.hands()[0];
    const Hand& added = sim.hands()[1];
    // The hands played, those the player was shown second and last, the permissions.
    EXPECT_EQ((std::vector{cardsOf(first), cardsOf(added), cardsOf(seen[1]), cardsOf(seen[3])}),
              (std::vector<std::vector<int>>{{8, 3, 10}, {8, 10}, {8, 3}, {8, 10}}));
    EXPECT_EQ((P{first.canDouble, first.canSplit, added.canDouble, added.canSplit}), permissions);
    // Both hands are settled into one booking.
    EXPECT_EQ(std::pair(added.stake, sim.payoffAt(0)), std::pair(stake, 2 * stake));
  }
  g_stake = 1.0;
}

// Three seats, the player at the second: the first cards go round the seats,
// then the up card, then the second cards and the hole card. The first seat
// plays (10 2, hits a 5) before the player (9 2, hits a 9), the third (8 8,
// splits to 8 3 and 8 4) after; only the player's 20 against 17 is settled.
// The player's Hi-Lo counter sees every card: +3.
TEST(Simulator, OtherSeatsAreDealtAndPlayInSeatOrder) {
  Table table({10, 9, 8, 7, 2, 2, 8, 10, 5, 9, 3, 4}, {Hit});
  ScriptedPlayer others;
  others.script = {Hit, Stand, Split};
  CardCounter counter(*countNamed("hilo"), 1, {});
  table.sim.showCardsTo(counter);
  table.sim.seatOthers(others, 3, 2);
  const RoundResult result = table.sim.playRound(1, false);
  EXPECT_EQ(counter.runningHalves(), 6);
  std::vector<std::vector<int>> hands;  // the others', then the player's and the dealer's
  for (const Hand& hand : others.seen)
    hands.push_back(cardsOf(hand));
  hands.insert(hands.end(), {cardsOf(table.player.seen[0]), cardsOf(table.sim.hands()[0]),
                             cardsOf(table.sim.dealer())});
  EXPECT_EQ(hands, (std::vector<std::vector<int>>{
                       {10, 2}, {10, 2, 5}, {8, 8}, {8, 3}, {8, 4}, {9, 2}, {9, 2, 9}, {7, 10}}));
  EXPECT_EQ(result.payoffUnits, kPayoffUnitsPerStake);
}

// Two hands for the player at seats 1 and 2, another player at seat 3: the
// cards go round the three seats; the first hand stands on 19, the second
// hits 16 to 21, the other player stands on 17, and both hands beat the
// dealer's 17. Against a dealer blackjack each insured hand gets its own
// insurance back: the round breaks even.
TEST(Simulator, SpotsTakeSeatsOfTheirOwnAndSettleApart) {
  const SpotRule two{{{-60, 2}}};
  for (const bool blackjack : {false, true}) {
    Table table({10, 10, 9, blackjack ? 1 : 7, 9, 6, 8, 10, 5}, {Stand, Hit},
                GameRules{.insurance = Insurance::Composition}, DealerRule, true);
    ScriptedPlayer others;
    table.sim.seatOthers(others, 2, 1);
    table.sim.spreadBy(two);
    const RoundResult result = table.sim.playRound(1, false);
    constexpr std::int64_t kUnit = kPayoffUnitsPerStake;
    EXPECT_EQ(result.hands, 2);
    EXPECT_EQ(result.payoffUnits, blackjack ? 0 : 2 * kUnit);
    EXPECT_EQ(result.handSquares, blackjack ? 0 : 2 * kUnit * kUnit);
    EXPECT_EQ(cardsOf(table.sim.spotHands(1)[0]),
              (blackjack ? std::vector<int>{10, 6} : std::vector<int>{10, 6, 5}));
    std::vector<std::vector<int>> othersSeen;
    for (const Hand& hand : others.seen)
      othersSeen.push_back(cardsOf(hand));
    EXPECT_EQ(othersSeen, (blackjack ? std::vector<std::vector<int>>{}
                                     : std::vector<std::vector<int>>{{9, 8}}));
  }
}

// What each rule lets a hand do, from stacked rounds: the actions offered at
// each decision, the first hand's cards and the hands at the end. An answer
// outside the offer is not played, and the player is asked again.
TEST(Simulator, OffersWhatTheRulesAllow) {
  const ActionSet sh{Stand, Hit}, shd{Stand, Hit, Double}, shdp = shd.with(Split);
  const ActionSet shdr = shd.with(Surrender), sp{Stand, Split};
  const GameRules d9{.doubleOn = DoubleOn::NineToEleven}, d10{.doubleOn = DoubleOn::TenToEleven};
  const GameRules das{.afterSplit = AfterSplit::DoubleNoSplit};
  const GameRules das10{.afterSplit = AfterSplit::DoubleNoSplit, .doubleOn = DoubleOn::TenToEleven};
  const GameRules late{.surrender = SurrenderRule::Late}, noRsa{.resplitAces = false};
  const GameRules one{.splitAces = SplitAces::OneCard};
  const GameRules oneNoRsa{.splitAces = SplitAces::OneCard, .resplitAces = false};
  const GameRules three{.afterSplit = AfterSplit::DoubleAndSplit, .maxHands = 3};
  // The rules, the cards (player, dealer, player, dealer, then draws), the
  // script, the actions offered at each decision, the first hand's cards and
  // the hands at the end.
  using Row = std::tuple<const char*, GameRules, std::vector<int>, std::vector<int>,
                         std::vector<ActionSet>, std::vector<int>, std::size_t>;
  const Row rows[] = {
      {"9-11, hard 9", d9, {5, 10, 4, 7, 10}, {Double}, {shd}, {5, 4, 10}, 1},
      {"9-11, hard 8", d9, {5, 10, 3, 7}, {Double}, {sh, sh}, {5, 3}, 1},
      {"9-11, soft 18", d9, {1, 10, 7, 7}, {Double}, {sh, sh}, {1, 7}, 1},
      {"10-11, hard 9", d10, {5, 10, 4, 7}, {Double}, {sh, sh}, {5, 4}, 1},
      {"10-11 after a split", das10, {5, 10, 5, 7, 6, 4}, {Split}, {shdp, shd, sh}, {5, 6}, 2},
      {"a split needs a pair", kHouseRules, {10, 10, 9, 7}, {Split}, {shd, shd}, {10, 9}, 1},
      {"surrender first", late, {10, 10, 2, 7, 3}, {Hit}, {shdr, sh}, {10, 2, 3}, 1},
      {"no surrender after a split",
       late,
       {8, 10, 8, 7, 3, 9},
       {Split, Surrender},
       {shdp.with(Surrender), shd, shd, sh},
       {8, 3},
       2},
      {"one-card aces", one, {1, 10, 1, 7, 5, 9}, {Split}, {shdp}, {1, 5}, 2},
      {"one-card aces resplit",
       one,
       {1, 10, 1, 7, 1, 9, 5, 6},
       {Split, Hit, Split},
       {shdp, sp, sp},
       {1, 5},
       3},
      {"one-card aces kept", oneNoRsa, {1, 10, 1, 7, 1, 9}, {Split}, {shdp}, {1, 1}, 2},
      {"split aces hit", das, {1, 10, 1, 7, 5, 9}, {Split}, {shdp, shd, shd}, {1, 5}, 2},
      {"split aces kept", noRsa, {1, 10, 1, 7, 1, 9}, {Split}, {shdp, shd, sh}, {1, 1}, 2},
      {"three hands at most",
       three,
       {8, 10, 8, 7, 8, 8, 2, 3},
       {Split, Split, Stand, Split},
       {shdp, shdp, shd, shd, shd, shd},
       {8, 2},
       3},
  };
  for (const auto& [name, rules, cards, script, offered, firstHand, hands] : rows) {
    Table table(cards, script, rules);
    const Simulator& sim = table.sim;
    const RoundResult result = table.sim.playRound(1, false);
    EXPECT_EQ(std::tuple(table.player.offered, result.decisions, cardsOf(sim.hands()[0]),
                         sim.hands().size()),
              std::tuple(offered, static_cast<int>(offered.size()), firstHand, hands))
        << name;
  }
  // Without a limit of its own the table allows 256 hands.
  EXPECT_TRUE(allowedActions(handOf({8, 8}), 255, false, kHouseRules).contains(Split));
  EXPECT_FALSE(allowedActions(handOf({8, 8}), 256, false, kHouseRules).contains(Split));
}

// A player rule that splits without end splits pairs up to the hand limit;
// every split after that, like any advice the table does not take, is
// refused, and each hand ends with a warning on its 22nd decision. Either way
// the round ends and is booked.
TEST(Simulator, EndlessPlayerRulesStillEndTheRound) {
  const GameRules splitAgain{.afterSplit = AfterSplit::DoubleAndSplit, .maxHands = 4};
  Simulator splitter(DealerRule, alwaysSplit, BetRule, splitAgain, CLibraryRandom::shared(),
                     g_console);
  ASSERT_TRUE(splitter.deck().stackNext(std::vector<int>{8, 10, 8, 7, 8, 8, 8, 8}));
  ti::CaptureStderr();
  simulate(splitter);
  const std::string warning = "WARNING: too many cards in a hand ";
  EXPECT_EQ(ti::GetCapturedStderr(), warning + warning + warning + warning);
  EXPECT_EQ(std::pair(splitter.hands().size(), splitter.frequencyAt(0)),
            std::pair(std::size_t{4}, 1.0));
  Table stalled({10, 10, 2, 8}, std::vector<int>(30, DoubleElseStand));
  ti::CaptureStderr();
  EXPECT_EQ(simulate(stalled.sim), "1 / 1 simulated.\n12 - 10 2\n\n");
  EXPECT_EQ(ti::GetCapturedStderr(), warning);
  EXPECT_EQ(std::pair(stalled.player.seen.size(), stalled.sim.payoffAt(0)),
            std::pair(std::size_t{22}, -1.0));
}

// Insurance by composition is taken only when the unseen cards (the undealt
// ones, and the hole card where the dealer holds one) hold tens more than one
// in three. One deck holds 16 tens; `gone` other cards are dealt first, the
// hole card among them unless it is a ten.
TEST(Insurance, TakenWhenTensAreMoreThanAThird) {
  const GameRules composition{.insurance = Insurance::Composition};
  // The rules, the cards gone, the dealer's cards, whether insurance is taken.
  const std::tuple<GameRules, int, std::vector<int>, bool> rows[] = {
      {composition, 4, {1}, false},      // 16 tens of 48
      {composition, 5, {1}, true},       // 16 of 47
      {kHouseRules, 30, {1}, false},     // never, however rich
      {composition, 4, {1, 10}, false},  // 15 undealt and the hole's of 48
      {composition, 5, {1, 10}, true},   // 16 of 47
      {composition, 6, {1, 2}, true},    // 16 of 47
  };
  for (const auto& [rules, gone, dealer, taken] : rows) {
    Deck shoe(1, true, CLibraryRandom::shared());
    for (int k = 0; k < gone; ++k)
      shoe.dealForced(2 + k % 8);
    if (dealer.size() > 1 && dealer[1] == 10)
      shoe.dealForced(10);
    EXPECT_EQ(insuranceByPolicy(shoe, handOf(dealer), rules, 0), taken) << gone;
  }
}

// A one-deck shoe never reshuffled at a round's start runs out in mid-round:
// the table says so and deals on from a fresh shoe.
TEST(Simulator, EmptyShoeInMidRoundIsAnnouncedAndReshuffled) {
  Table table({}, {}, GameRules{.decks = 1});
  const std::string out = simulate(table.sim, 20);
  EXPECT_NE(out.find("No more card, shuffle then deal\n"), std::string::npos) << out;
  const auto& booked = table.sim.payoffTable().frequency;
  EXPECT_EQ(std::accumulate(booked.begin(), booked.end(), 0), 20);
}

// A traced round shows the deal and the end, after its progress line.
TEST(Simulator, Trace) {
  Table traced({10, 10, 10, 10, 10, 10, 6, 7, 10}, {Stand, Hit});
  EXPECT_EQ(simulate(traced.sim, 2, true),
            "1 / 2 simulated.\n\n***NEW ROUND*** #1\nDealer: 20 - 10 10\nPlayer: 20 - 10 10\n\n"
            "Dealer: 20 - 10 10\nPlayer: 20 - 10 10\n2 / 2 simulated.\n\n***NEW ROUND*** #2\n"
            "Dealer: 17 - 10 7\nPlayer: 16 - 10 6\n\nDealer: 17 - 10 7\nPlayer: 26 - 10 6 10\n\n");
}

// Erasing the first card keeps the others in order, and their total, at any
// length: short hands live inline, long ones spill past 24 cards and come
// back. A cleared hand takes new cards; codes but 1..11 add none, 11 adds an
// ace.
TEST(Hand, CardsStayInOrderAtAnyLength) {
  for (const int length : {1, 3, 24, 26}) {
    std::vector<int> cards;
    for (int i = 0; i < length; ++i)
      cards.push_back(i % 3 == 0 ? 1 : 2 + i % 9);
    Hand hand = handOf(cards);
    const Hand original = hand;
    for (int erased = 1; erased <= 3 && erased <= length; ++erased) {
      hand.removeFirstCard();
      EXPECT_EQ(cardsOf(hand), std::vector<int>(cards.begin() + erased, cards.end())) << length;
      EXPECT_EQ(hand.total(), handOf({cards.begin() + erased, cards.end()}).total()) << length;
    }
    EXPECT_EQ(cardsOf(original), cards);
    hand.reset();
    for (const int card : {0, 11, 12, 13, -1, 6, 14})
      hand.addCard(card);
    ti::CaptureStdout();
    hand.print();
    EXPECT_EQ(ti::GetCapturedStdout(), "17 - A 6\n");
  }
}

// Moving a hand copies it: a moved-from hand, long ones too, keeps its cards
// and the total kept beside them.
TEST(Hand, MovedFromHandKeepsItsCardsAndTotal) {
  const std::vector<int> cards(30, 2);
  Hand source = handOf(cards), assigned;
  Hand moved = std::move(source);
  assigned = std::move(moved);
  EXPECT_EQ(cardsOf(assigned), cards);
  for (Hand* hand : {&source, &moved}) {
    EXPECT_EQ(cardsOf(*hand), cards);  // NOLINT(bugprone-use-after-move): the state under test
    hand->addCard(5);
    EXPECT_EQ(hand->total(), 65);
  }
}

// A count without a slot is not booked anywhere and reads as an empty slot;
// the end slots, -60 and 60, are printed by program_test.cpp's report.
TEST(PayoffTable, CountsWithoutASlotAreNotBooked) {
  for (const int count : {61, -61, INT_MIN, INT_MAX}) {
    PayoffTable table;
    table.record(count, 5.0);
    EXPECT_EQ(table.payoffSum, PayoffTable{}.payoffSum) << count;
    EXPECT_EQ(table.frequency, PayoffTable{}.frequency) << count;
    EXPECT_EQ(table.payoffAt(count) + table.frequencyAt(count), 0.0) << count;
  }
}

}  // namespace
