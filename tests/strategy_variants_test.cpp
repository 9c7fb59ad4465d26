#include <gtest/gtest.h>

#include <vector>

#include "deck/deck.h"
#include "strategy/player_rule.h"

namespace {

// Every two-card hand the player can hold, against every up card with a
// hole card that gives the dealer no blackjack.
struct Situation {
  Hand player, dealer;
};

std::vector<Situation> everyOpening() {
  std::vector<Situation> all;
  for (int up = 1; up <= 10; ++up) {
    const int hole = up == 1 || up == 10 ? 5 : 10;
    for (int first = 1; first <= 10; ++first) {
      for (int second = first; second <= 10; ++second) {
        Situation s;
        s.player.addCard(first);
        s.player.addCard(second);
        s.dealer.addCard(up);
        s.dealer.addCard(hole);
        all.push_back(s);
      }
    }
  }
  return all;
}

// Decision for decision over every opening: how many differ.
template <typename Rule, typename OtherRule>
int differences(const Deck& deck, const Deck& otherDeck, const GameRules& rules, Rule rule,
                OtherRule other) {
  int differing = 0;
  for (const Situation& s : everyOpening()) {
    const int a = rule(DecisionContext{&deck, s.dealer, s.player, &rules});
    const int b = other(DecisionContext{&otherDeck, s.dealer, s.player, &rules});
    differing += a != b ? 1 : 0;
  }
  return differing;
}

// A two-deck shoe without 3 of its 8 aces and 6 of its 8 tens (the ten-rank
// cards proper, leaving two for the hole): poor in the player's best cards,
// far from a full shoe.
Deck depleted() {
  Deck deck(2, true);
  for (const int card : {1, 1, 1, 10, 10, 10, 10, 10, 10}) {
    EXPECT_EQ(deck.dealForced(card), card == 1 ? 1 : 10);
  }
  return deck;
}

TEST(StrategyVariants, BasicIsTheCompositionRuleOfAFullShoe) {
  for (const bool hitsSoft17 : {true, false}) {
    GameRules rules;
    rules.dealerHitsSoft17 = hitsSoft17;
    const BasicStrategy basic(rules);
    const Deck full(rules.decks, true);
    EXPECT_EQ(differences(full, full, rules, PlayerRule, basic), 0) << hitsSoft17;
    const Deck shoe = depleted();
    EXPECT_GT(differences(shoe, shoe, rules, PlayerRule, basic), 0) << hitsSoft17;
  }
}

// The visible rule reads the shoe as if the hole card were still in it.
TEST(StrategyVariants, VisibleRuleCountsTheHoleCardAsUndealt) {
  const GameRules rules;
  for (const int hole : {5, 10}) {
    Deck withHoleDealt = depleted();
    const Deck withHoleUndealt = depleted();
    withHoleDealt.dealForced(hole);
    int compared = 0;
    for (Situation s : everyOpening()) {
      if (s.dealer.cards[1] != hole) {
        continue;
      }
      ++compared;
      EXPECT_EQ(VisiblePlayerRule(DecisionContext{&withHoleDealt, s.dealer, s.player, &rules}),
                PlayerRule(DecisionContext{&withHoleUndealt, s.dealer, s.player, &rules}));
    }
    EXPECT_GT(compared, 0);
    EXPECT_GT(differences(withHoleDealt, withHoleDealt, rules, VisiblePlayerRule, PlayerRule), 0);
  }
}

}  // namespace
