// The exact engine: the dealer's odds against a walk through every ordered
// draw, the round's value against published exact figures and against an
// identity that holds whatever the strategy, and the effect of removed cards.
#include <gtest/gtest.h>

#include <functional>

#include "exact/dealer_odds.h"
#include "exact/game_analysis.h"

namespace {

// The dealer's odds by walking every ordered draw from `shoe`, each card
// removed as it is drawn: an independent count of what the graph sums.
DealerOdds walkedOdds(const CardCounts& shoe, int up, bool hitsSoft17, bool peeks) {
  DealerOdds odds;
  const std::function<void(CardCounts, CardCounts, double)> walk =
      [&](CardCounts hand, CardCounts left, double chance) {
        const int total = hand.bestTotal();
        if (hand.total() == 2 && total == 21) {
          odds.chance[DealerOdds::kBlackjack] += peeks ? 0.0 : chance;
        } else if (total > 21) {
          odds.chance[DealerOdds::kBust] += chance;
        } else if (total > 17 || (total == 17 && !(hand.isSoft() && hitsSoft17))) {
          odds.chance[total - 17] += chance;
        } else {
          for (int v = 1; v <= 10; ++v) {
            if (left[v] > 0) {
              CardCounts rest = left;
              rest.add(v, -1);
              walk(hand.plus(v), rest, chance * left[v] / left.total());
            }
          }
        }
      };
  CardCounts hand;
  hand.add(up);
  walk(hand, shoe, 1.0);
  return odds;
}

TEST(DealerOdds, AgreeWithEveryOrderedDraw) {
  // One deck less a few cards, so that depletion matters everywhere.
  CardCounts shoe = CardCounts::shoe(1);
  shoe.add(10, -5);
  shoe.add(5, -2);
  shoe.add(1, -1);
  std::vector<double> reach;
  for (int up = 1; up <= 10; ++up) {
    CardCounts rest = shoe;
    rest.add(up, -1);
    for (const bool hitsSoft17 : {false, true}) {
      const DealerGraph graph(up, hitsSoft17);
      for (const bool peeks : {false, true}) {
        const DealerOdds odds = graph.odds(rest, peeks, reach);
        const DealerOdds walked = walkedOdds(rest, up, hitsSoft17, peeks);
        double sum = 0.0;
        for (std::size_t k = 0; k < odds.chance.size(); ++k) {
          EXPECT_NEAR(odds.chance[k], walked.chance[k], 1e-14) << up << " " << k;
          sum += odds.chance[k];
        }
        // What is played on: everything, or all but the peeked blackjacks.
        const int partner = blackjackPartner(up);
        const double blackjack = partner == 0 ? 0.0 : double(rest[partner]) / rest.total();
        EXPECT_NEAR(sum, peeks ? 1.0 - blackjack : 1.0, 1e-14);
      }
    }
  }
}

// Six decks, double after split, resplit to four hands, one card to split
// aces, no resplit of aces, a split 21 paid as any 21, the dealer peeks.
GameRules publishedGame(int decks, bool hitsSoft17, SurrenderRule surrender) {
  return {.decks = decks,
          .dealerHitsSoft17 = hitsSoft17,
          .afterSplit = AfterSplit::DoubleAndSplit,
          .splitTwentyOnePaysBlackjack = false,
          .surrender = surrender,
          .splitAces = SplitAces::OneCard,
          .resplitAces = false,
          .maxHands = 4,
          .splitPricing = SplitPricing::Played};
}

// Published exact returns off the top (rounded to 0.001%): the engine's
// splits are approximate, so within 0.01% of a stake.
TEST(GameValue, AgreesWithPublishedExactReturns) {
  struct Case {
    GameRules rules;
    ExactPlay play;
    double percent;
  };
  const Case cases[] = {
      {publishedGame(6, true, SurrenderRule::Late), ExactPlay::TotalDependent, -0.530},
      {publishedGame(1, false, SurrenderRule::None), ExactPlay::Composition, 0.184},
  };
  for (const Case& c : cases) {
    const GameValue game = gameValue(c.rules, CardCounts::shoe(c.rules.decks), c.play);
    EXPECT_NEAR(100.0 * game.round.value, c.percent, 0.01) << c.rules.decks;
    // Split rounds count their hands' shares, each taken from its own shoe.
    EXPECT_NEAR(game.round.win + game.round.push + game.round.loss, 1.0, 1e-6);
  }
}

// A blackjack's payout changes no decision, so 3:2 and 6:5 differ by 0.3
// times the chance of a natural the dealer does not match: 1.3947% for one
// deck and 1.3597% for six, as published.
TEST(GameValue, SixToFiveCostsThePaidNaturals) {
  for (const auto& [decks, published] : {std::pair{1, 1.3947}, std::pair{6, 1.3597}}) {
    GameRules rules = publishedGame(decks, false, SurrenderRule::None);
    const CardCounts shoe = CardCounts::shoe(decks);
    const double threeToTwo = gameValue(rules, shoe, ExactPlay::TotalDependent).round.value;
    rules.blackjackPays = BlackjackPays::SixToFive;
    const double sixToFive = gameValue(rules, shoe, ExactPlay::TotalDependent).round.value;
    const double n = shoe.total();
    const double aces = shoe[1];
    const double tens = shoe[10];
    const double natural = 2.0 * aces / n * tens / (n - 1);
    const double dealerToo = 2.0 * (aces - 1) / (n - 2) * (tens - 1) / (n - 3);
    EXPECT_NEAR(threeToTwo - sixToFive, 0.3 * natural * (1.0 - dealerToo), 1e-12);
    EXPECT_NEAR(100.0 * (threeToTwo - sixToFive), published, 1e-4);
  }
}

// Removing fives helps the player most, tens and aces hurt him most; the
// composition-dependent player is never worse than basic strategy.
TEST(GameValue, RemovedCardsMoveTheReturnAsCountersKnow) {
  const GameRules rules = publishedGame(1, false, SurrenderRule::None);
  const CardCounts full = CardCounts::shoe(1);
  const double base = gameValue(rules, full, ExactPlay::TotalDependent).round.value;
  const auto without = [&](int value) {
    CardCounts shoe = full;
    shoe.add(value, -1);
    return gameValue(rules, shoe, ExactPlay::TotalDependent).round.value - base;
  };
  const double five = without(5);
  for (const int value : {2, 3, 4, 6, 7}) {
    EXPECT_GT(without(value), 0.0) << value;
    EXPECT_GT(five, without(value)) << value;
  }
  EXPECT_LT(without(10), 0.0);
  EXPECT_LT(without(1), 0.0);
  EXPECT_GE(gameValue(rules, full, ExactPlay::Composition).round.value, base);
}

}  // namespace
