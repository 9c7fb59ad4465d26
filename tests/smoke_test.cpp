#include <gtest/gtest.h>

#include "deck/deck.h"

TEST(Smoke, FreshDeck) {
  EXPECT_EQ(Deck(2, true).cardsLeft(), 104);
}
