#include "exact/dealer_odds.h"

#include <map>

namespace {

// Where the dealer's hand of `cards` (the up card among them) ends, as a
// final-hand index, or -1 while he draws.
int finalHand(const CardCounts& cards, bool hitsSoft17) {
  const int total = cards.bestTotal();
  if (total > 21) {
    return DealerOdds::kBust;
  }
  if (cards.total() == 2 && total == 21) {
    return DealerOdds::kBlackjack;
  }
  const bool draws = total < 17 || (total == 17 && cards.isSoft() && hitsSoft17);
  return draws ? -1 : total - 17;
}

}  // namespace

DealerGraph::DealerGraph(int upCard, bool hitsSoft17) : upCard_(upCard) {
  // States by number of cards drawn, so that every draw leads further down.
  std::vector<std::map<std::uint64_t, CardCounts>> byDraws{{{0, CardCounts{}}}};
  while (!byDraws.back().empty()) {
    std::map<std::uint64_t, CardCounts> next;
    for (const auto& [key, drawn] : byDraws.back()) {
      for (int v = 1; v <= CardCounts::kValues; ++v) {
        CardCounts hand = drawn.plus(v);
        hand.add(upCard);
        if (finalHand(hand, hitsSoft17) < 0) {
          next.emplace(drawn.plus(v).key(), drawn.plus(v));
        }
      }
    }
    byDraws.push_back(std::move(next));
  }
  std::map<std::uint64_t, int> index;
  for (const auto& level : byDraws) {
    for (const auto& [key, drawn] : level) {
      index.emplace(key, static_cast<int>(states_.size()));
      states_.push_back({{}, drawn});
    }
  }
  for (State& state : states_) {
    for (int v = 1; v <= CardCounts::kValues; ++v) {
      CardCounts hand = state.drawn.plus(v);
      hand.add(upCard);
      const int end = finalHand(hand, hitsSoft17);
      state.next[v] = end >= 0 ? -1 - end : index.at(state.drawn.plus(v).key());
    }
  }
}

DealerOdds DealerGraph::odds(const CardCounts& shoe, bool peeks, std::vector<double>& reach) const {
  // The chance of reaching each state, carried forward state by state.
  reach.assign(states_.size(), 0.0);
  reach[0] = 1.0;
  DealerOdds odds;
  for (std::size_t s = 0; s < states_.size(); ++s) {
    const double here = reach[s];
    const State& state = states_[s];
    const int left = shoe.total() - state.drawn.total();
    if (here == 0.0 || left <= 0) {
      continue;
    }
    const double perCard = here / left;
    for (int v = 1; v <= CardCounts::kValues; ++v) {
      const int cards = shoe[v] - state.drawn[v];
      if (cards <= 0) {
        continue;
      }
      const double chance = perCard * cards;
      const int next = state.next[v];
      if (next >= 0) {
        reach[next] += chance;
      } else {
        odds.chance[-1 - next] += chance;
      }
    }
  }
  if (peeks) {
    odds.chance[DealerOdds::kBlackjack] = 0.0;
  }
  return odds;
}
