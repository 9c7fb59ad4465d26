#include "table/hand.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <tuple>
#include <vector>

namespace {

Hand handOf(const std::vector<int>& cards) {
  Hand hand;
  for (int card : cards)
    hand.addCard(card);
  return hand;
}

std::string printed(const Hand& hand) {
  testing::internal::CaptureStdout();
  hand.print();
  return testing::internal::GetCapturedStdout();
}

std::vector<int> cardsOf(const Hand& hand) {
  return {hand.cards.begin(), hand.cards.end()};
}

TEST(Hand, TotalSoftnessBlackjackAndPrint) {
  // Cards added (11 stores an ace; 0, 12, 13 and negatives change nothing), soft, blackjack, line.
  const std::tuple<std::vector<int>, bool, bool, std::string> cases[] = {
      {{}, false, false, "0 -\n"},
      {{1, 1}, true, false, "12 - A A\n"},
      {{1, 1, 9}, true, false, "21 - A A 9\n"},
      {{1, 5, 5}, true, false, "21 - A 5 5\n"},
      {{1, 6, 5}, false, false, "12 - A 6 5\n"},
      {{1, 10, 10}, false, false, "21 - A 10 10\n"},
      {{10, 11}, true, true, "21 - 10 A\n"},
      {{7, 7, 7}, false, false, "21 - 7 7 7\n"},
      {{10, 6, 9}, false, false, "25 - 10 6 9\n"},
      {{0, 11, 12, 13, -1, 6, 14}, true, false, "17 - A 6\n"}};
  for (const auto& [added, soft, blackjack, line] : cases) {
    const Hand hand = handOf(added);
    bool isSoft = !soft;
    EXPECT_EQ(printed(hand), line);
    EXPECT_EQ(hand.total(isSoft), std::stoi(line)) << line;
    EXPECT_EQ(isSoft, soft) << line;
    EXPECT_EQ(hand.isBlackjack(), blackjack) << line;
  }
}

TEST(Hand, CopiesAreIndependent) {
  Hand original = handOf({1, 6}), copy = original;
  copy.addCard(4);
  original.addCard(9);
  EXPECT_EQ(printed(copy), "21 - A 6 4\n");
  EXPECT_EQ(printed(original), "16 - A 6 9\n");
}

TEST(Hand, LongHandSpillsBeyondTheInlineBuffer) {
  std::vector<int> cards;  // 9 aces and 17 twos: 26 cards, past the 24 held inline
  std::string line = "43 -";
  for (int i = 0; i < 26; ++i) {
    cards.push_back(i % 3 == 0 ? 1 : 2);
    line += i % 3 == 0 ? " A" : " 2";
  }
  const Hand hand = handOf(cards);
  EXPECT_EQ(printed(hand), line + "\n");
  Hand copy = hand;
  copy.addCard(3);
  EXPECT_EQ(cardsOf(hand), cards);
  for (int i = 0; i < 3; ++i)
    copy.cards.eraseFirst();  // the last erase, 25 -> 24, leaves the spill
  cards.push_back(3);
  cards.erase(cards.begin(), cards.begin() + 3);
  EXPECT_EQ(cardsOf(copy), cards);
  EXPECT_EQ(copy.total(), 41);  // 8 aces, 15 twos and a 3
}

// Regression: a moved-from long hand kept its size with no storage behind it.
TEST(Hand, MovedFromLongHandIsEmptyAndUsable) {
  const std::vector<int> cards(30, 2);
  Hand source = handOf(cards);
  const Hand moved = std::move(source);
  EXPECT_EQ(cardsOf(moved), cards);
  EXPECT_TRUE(source.cards.empty());  // NOLINT(bugprone-use-after-move): the state under test
  source.addCard(5);
  EXPECT_EQ(printed(source), "5 - 5\n");
}

}  // namespace
