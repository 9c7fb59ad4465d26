#include "strategy/player_rule.h"

#include <gtest/gtest.h>

#include <vector>

#include "deck/deck.h"

namespace {

// Each hand is played from a fresh two-deck shoe without exactly the cards on
// the table: the player's, then the dealer's up and hole card.
TEST(PlayerRule, Decisions) {
  struct Case {
    const char* name;
    std::vector<int> player;
    int up, hole, canDouble, canSplit, expected;
  } const cases[] = {
      {"EightsVs10", {8, 8}, 10, 7, 1, 1, Split},
      {"EightsVs10NoSplit", {8, 8}, 10, 7, 1, 0, Hit},
      {"AcesVs6", {1, 1}, 6, 9, 1, 1, Split},
      {"AcesVs10", {1, 1}, 10, 7, 1, 1, Split},  // read at row 2, not at soft 12
      {"FivesVs6", {5, 5}, 6, 10, 1, 1, Double},
      {"Hard11Vs6", {6, 5}, 6, 10, 1, 1, Double},
      {"Hard11Vs6NoDouble", {6, 5}, 6, 10, 0, 1, Hit},
      {"Soft18Vs6", {1, 7}, 6, 10, 1, 1, Double},
      {"Soft18Vs6NoDouble", {1, 7}, 6, 10, 0, 1, Stand},
      {"TensVs6", {10, 10}, 6, 10, 1, 1, Stand},
      {"NinesVs9", {9, 9}, 9, 7, 1, 1, Split},
      {"NinesVs7", {9, 9}, 7, 10, 1, 1, Stand},
      {"Hard16VsAce", {10, 6}, 11, 9, 1, 1, Hit},
      {"ThreeCard11Vs6", {3, 4, 4}, 6, 10, 1, 1, Hit},
      {"Bust25", {10, 6, 9}, 6, 10, 1, 1, Stand},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Deck deck(2, true);
    Hand dealer, player;
    for (const int card : c.player)
      player.addCard(deck.dealForced(card));
    dealer.addCard(deck.dealForced(c.up));
    dealer.addCard(deck.dealForced(c.hole));
    player.canDouble = c.canDouble;
    player.canSplit = c.canSplit;
    EXPECT_EQ(PlayerRule(DecisionContext{&deck, dealer, player}), c.expected);
  }
}

}  // namespace
