#pragma once

#include <array>
#include <vector>

#include "exact/card_counts.h"

// The chances of the dealer's final hands, jointly with the event the player
// plays in: 17 to 21, bust, and a blackjack. Where the dealer peeks, the
// player plays only when he has none, so the blackjack entry stays zero and
// the entries sum to the chance of no blackjack; where he does not, they sum
// to one.
struct DealerOdds {
  static constexpr int kBust = 5;
  static constexpr int kBlackjack = 6;
  std::array<double, 7> chance{};  // [total - 17] for 17..21, then bust, blackjack
};

// Every way the dealer's hand can grow from one up card, as a graph of the
// sets of cards he has drawn (the order of draws does not change a path's
// chance, so a set is a complete state), listed so that each state comes
// before the states it leads to. Built once per up card and soft-17 rule.
class DealerGraph {
 public:
  DealerGraph(int upCard, bool hitsSoft17);

  // The dealer's odds when he draws from `shoe` (the up card already out of
  // it); `peeks` drops his blackjacks instead of counting them. Paths that
  // would need more cards than the shoe holds are dropped. `reach` is the
  // caller's working space, so that a call allocates nothing once it is grown.
  DealerOdds odds(const CardCounts& shoe, bool peeks, std::vector<double>& reach) const;

  int upCard() const { return upCard_; }

 private:
  // Where a draw leads: another state (>= 0) or a final hand (-1 - outcome).
  struct State {
    std::array<int, CardCounts::kValues + 1> next{};
    CardCounts drawn;
  };

  int upCard_;
  std::vector<State> states_;  // states_[0]: the up card alone
};
