#include "deck/deck.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace {

namespace ti = testing::internal;

// A one-deck shoe from a fixed seed with `count` cards of `code` forced out of it.
Deck seeded(bool valueMode, int code, int count) {
  std::srand(5);
  Deck deck(1, valueMode, CLibraryRandom::shared());
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

// Fewer decks than one are raised to one; in value mode 11 is a second code
// for the ace and no other code names a card.
TEST(Deck, FreshShoeCounts) {
  for (auto [asked, decks] : {std::pair{2, 2}, {0, 1}, {-3, 1}}) {
    const Deck deck(asked, true, CLibraryRandom::shared());
    EXPECT_EQ(std::pair(deck.numDecks(), deck.cardsLeft()), std::pair(decks, 52 * decks));
  }
  const Deck deck(2, true, CLibraryRandom::shared());
  for (auto [code, count] : {std::pair{1, 8}, {9, 8}, {10, 32}, {11, 8}, {12, 0}, {0, 0}})
    EXPECT_EQ(deck.remaining(code), count) << code;
}

// In value mode every ten is gone but the faces are left: a missing or unknown
// code gives -1 and changes nothing. In rank mode every ace is gone: the next
// card is dealt instead, with a notice.
TEST(Deck, ForcingAMissingCard) {
  for (const bool valueMode : {true, false}) {
    const int gone = valueMode ? 10 : 1;
    for (const int code : {gone, 0, -1, 14}) {
      Deck deck = seeded(valueMode, gone, 4), twin = seeded(valueMode, gone, 4);
      ti::CaptureStderr();
      EXPECT_EQ(deck.dealForced(code), valueMode ? -1 : twin.deal()) << code;
      EXPECT_EQ(ti::GetCapturedStderr(),
                valueMode ? "" : "The card to be forced does not exist, another card is dealt\n");
      EXPECT_EQ(drain(deck), drain(twin)) << code;
    }
  }
  Deck deck = seeded(true, 10, 4);
  EXPECT_EQ(deck.dealForced(12), 10);  // a face, dealt as a ten
  EXPECT_EQ(deck.remaining(10), 11);
}

TEST(Deck, EmptyShoeReshuffles) {
  Deck deck(1, true, CLibraryRandom::shared());
  drain(deck);
  EXPECT_EQ(deck.trueCount(), 0.0);
  ti::CaptureStdout();
  deck.deal();
  EXPECT_EQ(std::pair(ti::GetCapturedStdout(), deck.cardsLeft()), std::pair(std::string(), 51));
  drain(deck);
  ti::CaptureStderr();
  EXPECT_EQ(deck.dealForced(11), 1);
  EXPECT_EQ(ti::GetCapturedStderr(), "No more card!!\n");
  EXPECT_EQ(deck.cardsLeft(), 51);
}

// The stream 0xe220a8397b1dcdaf, splitmix64's first output from 0, cancels the
// mixed seed 0, so xoshiro256** starts from splitmix64's first four outputs
// from 0. Expected values from the published reference generators; below(n)
// is the high word of next() * n.
TEST(StreamRandom, FollowsTheReferenceGenerators) {
  StreamRandom random(0, 0xe220a8397b1dcdafULL);
  EXPECT_EQ(random.next(), 0x99ec5f36cb75f2b4ULL);
  EXPECT_EQ(random.next(), 0xbf6e1f784956452aULL);
  for (const int expected : {5, 21, 38, 51, 21, 27, 44, 47})
    EXPECT_EQ(random.below(52), expected);
}

}  // namespace
