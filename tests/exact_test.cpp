// The exact engine: the dealer's odds against a walk through every ordered
// draw, the round's value against published exact figures, and a split
// against the table's deal walked exactly. What each option of edge does to
// the answer is tested through the program (tests/test_lab_settings.py).
#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <string>

#include "exact/dealer_odds.h"
#include "exact/game_analysis.h"
#include "strategy/player_rule.h"
#include "table/actions.h"
#include "tests/support.h"

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
        for (std::size_t k = 0; k < odds.chance.size(); ++k)
          EXPECT_NEAR(odds.chance[k], walked.chance[k], 1e-14) << up << " " << k;
        const double sum = std::accumulate(odds.chance.begin(), odds.chance.end(), 0.0);
        // What is played on: everything, or all but the peeked blackjacks.
        const int partner = blackjackPartner(up);
        const double blackjack = partner == 0 ? 0.0 : double(rest[partner]) / rest.total();
        EXPECT_NEAR(sum, peeks ? 1.0 - blackjack : 1.0, 1e-14);
      }
    }
  }
}

// The usual shoe game, a split 21 paid as any 21, splits priced as played.
GameRules publishedGame(int decks, bool hitsSoft17, SurrenderRule surrender) {
  GameRules rules = casinoRules(decks, hitsSoft17, surrender);
  rules.splitTwentyOnePaysBlackjack = false;
  rules.splitPricing = SplitPricing::Played;
  return rules;
}

// Published exact returns off the top (rounded to 0.001%): the engine's
// splits are approximate, so within 0.01% of a stake.
TEST(GameValue, AgreesWithPublishedExactReturns) {
  // The game, its play, per cent.
  const std::tuple<GameRules, ExactPlay, double> cases[] = {
      {publishedGame(6, true, SurrenderRule::Late), ExactPlay::TotalDependent, -0.530},
      {publishedGame(1, false, SurrenderRule::None), ExactPlay::Composition, 0.184}};
  for (const auto& [rules, play, percent] : cases) {
    const GameValue game = gameValue(rules, CardCounts::shoe(rules.decks), play);
    EXPECT_NEAR(100.0 * game.round.value, percent, 0.01) << rules.decks;
    // Split rounds count their hands' shares, each taken from its own shoe.
    EXPECT_NEAR(game.round.win + game.round.push + game.round.loss, 1.0, 1e-6);
  }
}

// A split once played as the table deals it, by the shoe's basic strategy,
// every path walked: the first hand's second card, the new hand's, each hand
// played out in turn, then the dealer from what is left. The exact value the
// engine approximates. Two hands at most: neither may split again.
class SplitWalk {
 public:
  SplitWalk(const GameRules& rules, int up)
      : rules_(rules), basic_(rules), graph_(up, rules.dealerHitsSoft17) {
    dealer_.addCard(up);
  }

  double value(int card) {
    CardCounts left = CardCounts::shoe(rules_.decks);
    left.add(dealer_.cards()[0], -1);
    left.add(card, -2);
    const SplitPermissions permissions = splitPermissions(rules_.afterSplit, {true, true});
    std::vector<Hand> pair;  // the hand that splits and the new one, each holding one `card`
    for (const Permissions may : {permissions.first, permissions.added}) {
      Hand& hand = pair.emplace_back();
      hand.addCard(card);
      hand.fromSplit = true;
      hand.canDouble = may.canDouble;
      hand.canSplit = may.canSplit;
    }
    return forEachCard(left, [&](int a, const CardCounts& rest) {
      return forEachCard(rest, [&](int b, const CardCounts& after) {
        std::vector<Hand> dealt = pair;
        dealt[0].addCard(a);
        dealt[1].addCard(b);
        return play(std::move(dealt), 0, after);
      });
    });
  }

 private:
  template <typename Next>
  double forEachCard(const CardCounts& left, Next next) {
    double sum = 0.0;
    for (int v = 1; v <= 10; ++v) {
      if (left[v] > 0) {
        CardCounts rest = left;
        rest.add(v, -1);
        sum += static_cast<double>(left[v]) / left.total() * next(v, rest);
      }
    }
    return sum;
  }

  // Paths that deal the same cards in another order meet again: a state is
  // the shoe left, what a finished first hand settles by and the cards of
  // the hands to play (whose permissions their place fixes).
  std::string stateOf(const std::vector<Hand>& hands, std::size_t k, const CardCounts& left) {
    std::string state = std::to_string(left.key());
    if (k == 1)
      state += " " + std::to_string(hands[0].total()) + "x" + std::to_string(hands[0].stake);
    for (std::size_t i = k; i < hands.size(); ++i) {
      state += "|";
      for (const int card : hands[i].cards())
        state += " " + std::to_string(card);
    }
    return state;
  }

  double play(std::vector<Hand> hands, std::size_t k, const CardCounts& left) {
    if (k == hands.size())
      return settle(hands, left);
    const std::string state = stateOf(hands, k, left);
    if (const auto found = played_.find(state); found != played_.end())
      return found->second;
    const double value = playOn(std::move(hands), k, left);
    played_.emplace(state, value);
    return value;
  }

  double playOn(std::vector<Hand> hands, std::size_t k, const CardCounts& left) {
    const Hand& hand = hands[k];
    const ActionSet allowed = allowedActions(hand, 2, false, rules_);
    const int action = hand.total() > 21 || allowed == ActionSet{Stand}
                           ? Stand
                           : basic_.handAction(hand, dealer_, allowed, 2);
    if (action == Stand)
      return play(std::move(hands), k + 1, left);
    return forEachCard(left, [&](int v, const CardCounts& rest) {
      std::vector<Hand> next = hands;
      next[k].addCard(v);
      if (action == Double) {
        next[k].stake = 2.0;
        return play(std::move(next), k + 1, rest);
      }
      return play(std::move(next), k, rest);
    });
  }

  double settle(const std::vector<Hand>& hands, const CardCounts& left) {
    const auto [at, added] = odds_.try_emplace(left.key());
    if (added)
      at->second = graph_.odds(left, rules_.peeks(), reach_);
    const DealerOdds& odds = at->second;
    double sum = 0.0;
    for (const Hand& hand : hands) {
      const int total = hand.total();
      if (total > 21) {
        sum -= hand.stake;
      } else if (hand.isBlackjack() && rules_.splitTwentyOnePaysBlackjack) {
        sum += 1.5 * hand.stake;
      } else {
        double won = odds.chance[DealerOdds::kBust];
        for (int dealer = 17; dealer <= 21; ++dealer)
          won += (total > dealer ? 1.0 : total < dealer ? -1.0 : 0.0) * odds.chance[dealer - 17];
        sum += won * hand.stake;
      }
    }
    return sum;
  }

  const GameRules& rules_;
  BasicStrategy basic_;
  DealerGraph graph_;
  Hand dealer_;
  std::unordered_map<std::uint64_t, DealerOdds> odds_;
  std::unordered_map<std::string, double> played_;
  std::vector<double> reach_;
};

// The engine values each split hand as if dealt alone from the shoe less both
// pair cards. Split once, that is exact: the cards the other hand draws are
// unseen by this one, as a burned card is. Against the table's own deal
// walked exactly, from one deck.
TEST(SplitValue, SplitOnceIsExact) {
  GameRules rules = publishedGame(1, false, SurrenderRule::None);
  rules.maxHands = 2;
  const TotalDependentTables tables = totalDependentTables(rules, CardCounts::shoe(1));
  for (const auto& [card, up] :
       {std::pair{8, 9}, std::pair{9, 6}, std::pair{7, 7}, std::pair{6, 5}, std::pair{3, 4}}) {
    EXPECT_NEAR(tables.byUpCard[up - 1].split[card - 1][0][1], SplitWalk(rules, up).value(card),
                1e-12)
        << card << "," << card << " v " << up;
  }
}

}  // namespace
