#include "deck/deck.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

namespace ti = testing::internal;

// A shoe from a fixed seed with `count` cards of `code` forced out of it.
Deck seeded(unsigned seed, int decks, bool valueMode, int code = 1, int count = 0) {
  std::srand(seed);
  Deck deck(decks, valueMode);
  for (int i = 0; i < count; ++i)
    EXPECT_EQ(deck.dealForced(code), code);
  return deck;
}

std::vector<int> drain(Deck& deck) {
  std::vector<int> cards;
  while (deck.cardsLeft() > 0)
    cards.push_back(deck.deal());
  return cards;
}

TEST(Deck, FreshShoeCountsAndForcedDeals) {
  for (auto [asked, decks] : {std::pair{2, 2}, {0, 1}, {-3, 1}}) {  // fewer than 1 is raised to 1
    const Deck deck(asked, true);
    EXPECT_EQ(deck.numDecks(), decks);
    EXPECT_EQ(deck.cardsLeft(), 52 * decks);
    EXPECT_EQ(deck.trueCount(), 0.0);
  }
  Deck deck(2, true);
  for (auto [code, count] : {std::pair{1, 8}, {5, 8}, {9, 8}, {10, 32}, {11, 8}, {12, 0}, {0, 0}})
    EXPECT_EQ(deck.remaining(code), count) << code;
  for (auto [code, dealt] : {std::pair{10, 10}, {11, 1}, {2, 2}, {3, 3}})
    EXPECT_EQ(deck.dealForced(code), dealt) << code;
  EXPECT_EQ(deck.cardsLeft(), 100);
  EXPECT_EQ(deck.remaining(10), 31);
  EXPECT_EQ(deck.remaining(1), 7);
  EXPECT_EQ(deck.trueCount(), 0.0);
}

TEST(Deck, ValueModeUnmatchedCodeReturnsMinusOneAndChangesNothing) {
  for (int code : {10, 0, -1, 14}) {  // every ten is gone, the faces are left
    Deck deck = seeded(5, 1, true, 10, 4), twin = seeded(5, 1, true, 10, 4);
    ti::CaptureStderr();
    EXPECT_EQ(deck.dealForced(code), -1) << code;
    EXPECT_EQ(ti::GetCapturedStderr(), "");
    EXPECT_EQ(deck.remaining(10), 12);
    EXPECT_EQ(drain(deck), drain(twin)) << code;
  }
  Deck deck = seeded(5, 1, true, 10, 4);
  EXPECT_EQ(deck.dealForced(12), 10);
  EXPECT_EQ(deck.remaining(10), 11);
}

TEST(Deck, RankModeAbsentCardIsReplacedByTheBackCard) {
  for (int code : {1, 0, -1, 14}) {  // every ace is gone
    Deck deck = seeded(9, 1, false, 1, 4), twin = seeded(9, 1, false, 1, 4);
    EXPECT_EQ(deck.remaining(code), 0) << code;
    ti::CaptureStderr();
    EXPECT_EQ(deck.dealForced(code), twin.deal()) << code;
    EXPECT_EQ(ti::GetCapturedStderr(),
              "The card to be forced does not exist, another card is dealt\n");
    EXPECT_EQ(deck.cardsLeft(), 47);
  }
}

TEST(Deck, EmptyShoeReshuffles) {
  Deck deck(1, true);
  drain(deck);
  EXPECT_EQ(deck.trueCount(), 0.0);
  ti::CaptureStdout();
  deck.deal();
  EXPECT_EQ(ti::GetCapturedStdout(), "");
  EXPECT_EQ(deck.cardsLeft(), 51);
  drain(deck);
  ti::CaptureStderr();
  EXPECT_EQ(deck.dealForced(11), 1);
  EXPECT_EQ(ti::GetCapturedStderr(), "No more card!!\n");
  EXPECT_EQ(deck.cardsLeft(), 51);
}

TEST(Deck, FullShoeDealsEachRankFourTimesPerDeck) {
  for (bool valueMode : {false, true}) {
    Deck deck(2, valueMode);
    std::array<int, 14> seen{};
    for (int card : drain(deck))
      ++seen.at(card);
    for (int rank = 1; rank <= 13; ++rank)
      EXPECT_EQ(seen[rank], !valueMode || rank < 10 ? 8 : (rank == 10 ? 32 : 0)) << rank;
  }
}

TEST(Deck, ShuffleIsTheSpecifiedInPlaceSwap) {
  for (unsigned seed : {1u, 42u, 2024u}) {
    std::srand(seed);
    std::vector<int> order;  // rank indexes from the front: aces first, then one draw per k
    for (int index = 0; index < 13; ++index)
      order.insert(order.end(), 4, index);
    for (int k = 1; k < 52; ++k)
      std::swap(order[k], order[std::rand() % (k + 1)]);
    Deck deck = seeded(seed, 1, false);
    for (auto it = order.rbegin(); it != order.rend(); ++it)
      ASSERT_EQ(deck.deal(), *it + 1);
  }
}

TEST(Deck, TrueCountKeepsTheDoubleRounding) {
  Deck deck(2, false);  // out go 13 high, 27 low and 8 eights: 56 left, high - low = 35 - 21
  for (auto [rank, n] : {std::pair{8, 8}, {2, 8}, {3, 8}, {4, 8}, {5, 3}, {1, 8}, {9, 5}}) {
    for (int i = 0; i < n; ++i)
      ASSERT_EQ(deck.dealForced(rank), rank);
  }
  EXPECT_EQ(deck.cardsLeft(), 56);
  EXPECT_EQ(deck.trueCount(), 12.999999999999998);
}

TEST(Deck, StackNextPutsTheGivenCardsOnTop) {
  Deck deck = seeded(3, 1, true, 7, 4), twin = seeded(3, 1, true, 7, 4);
  const int missing[] = {5, 7}, present[] = {11, 10, 5, 5};
  EXPECT_FALSE(deck.stackNext(missing));
  EXPECT_EQ(drain(deck), drain(twin));
  deck.shuffle();
  ASSERT_TRUE(deck.stackNext(present));
  EXPECT_EQ(deck.cardsLeft(), 52);
  EXPECT_EQ(deck.remaining(5), 4);
  for (int card : {1, 10, 5, 5})
    EXPECT_EQ(deck.deal(), card);
}

}  // namespace
