#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>

#include "deck/deck.h"
#include "strategy/dealer_outcomes.h"
#include "strategy/decision_table.h"
#include "strategy/player_rule.h"

namespace {

constexpr std::array<int, 10> kUpCards{2, 3, 4, 5, 6, 7, 8, 9, 10, 11};

// A two-deck shoe with 52 cards dealt from a fixed shuffle.
Deck halfDealtShoe() {
  std::srand(7);
  Deck deck(2, true, CLibraryRandom::shared());
  for (int i = 0; i < 52; ++i) {
    deck.deal();
  }
  return deck;
}

const Deck& shoe(bool halfDealt) {
  static const Deck fresh(2, true, CLibraryRandom::shared());
  static const Deck half = halfDealtShoe();
  return halfDealt ? half : fresh;
}

void BM_DealerOutcomes(benchmark::State& state) {
  const Deck& deck = shoe(state.range(0) != 0);
  for (auto _ : state) {
    for (const int up : kUpCards) {
      benchmark::DoNotOptimize(deck.dealerOutcomes(up, up == 11, 0));
    }
  }
  state.SetItemsProcessed(state.iterations() * kUpCards.size());
}

void BM_BuildDecisionTable(benchmark::State& state) {
  const Deck& deck = shoe(state.range(0) != 0);
  for (auto _ : state) {
    for (const int up : kUpCards) {
      benchmark::DoNotOptimize(deck.buildDecisionTable(up, 0));
    }
  }
  state.SetItemsProcessed(state.iterations() * kUpCards.size());
}

// One call per up card 2..10 and ace, each deciding a hard 12 of two cards.
void BM_PlayerRule(benchmark::State& state) {
  const Deck& deck = shoe(state.range(0) != 0);
  std::array<DecisionContext, kUpCards.size()> contexts;
  for (std::size_t i = 0; i < kUpCards.size(); ++i) {
    contexts[i].deck = &deck;
    contexts[i].dealer.addCard(kUpCards[i]);
    contexts[i].dealer.addCard(7);
    contexts[i].player.addCard(10);
    contexts[i].player.addCard(static_cast<int>(state.range(1)));
  }
  for (auto _ : state) {
    for (const DecisionContext& context : contexts) {
      benchmark::DoNotOptimize(PlayerRule(context));
    }
  }
  state.SetItemsProcessed(state.iterations() * kUpCards.size());
}

}  // namespace

// Argument 0: fresh (0) or half-dealt (1) shoe.
BENCHMARK(BM_DealerOutcomes)->ArgName("halfDealt")->Arg(0)->Arg(1);
BENCHMARK(BM_BuildDecisionTable)->ArgName("halfDealt")->Arg(0)->Arg(1);
// Arguments: shoe, and the player's second card beside a ten (2: hard 12, 1: soft 21).
BENCHMARK(BM_PlayerRule)
    ->ArgNames({"halfDealt", "second"})
    ->Args({0, 2})
    ->Args({1, 2})
    ->Args({0, 6});
