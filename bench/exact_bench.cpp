#include <benchmark/benchmark.h>

#include "exact/game_analysis.h"
#include "strategy/player_rule.h"

namespace {

// A common shoe game: double after split, resplit to four hands, one card to
// split aces, late surrender, the dealer hitting soft 17.
GameRules shoeGame(int decks) {
  return {.decks = decks,
          .afterSplit = AfterSplit::DoubleAndSplit,
          .splitTwentyOnePaysBlackjack = false,
          .surrender = SurrenderRule::Late,
          .splitAces = SplitAces::OneCard,
          .resplitAces = false,
          .maxHands = 4};
}

// What `edge` computes: the round off the top by basic strategy (its tables
// included) or by composition.
void BM_ExactEdge(benchmark::State& state) {
  const GameRules rules = shoeGame(static_cast<int>(state.range(0)));
  const ExactPlay play = state.range(1) != 0 ? ExactPlay::Composition : ExactPlay::TotalDependent;
  for (auto _ : state) {
    benchmark::DoNotOptimize(gameValue(rules, CardCounts::shoe(rules.decks), play));
  }
}
BENCHMARK(BM_ExactEdge)
    ->ArgNames({"decks", "composition"})
    ->ArgsProduct({{1, 2, 6, 8}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// What `strategy` computes besides its edge, and every basic-strategy player
// at its start: the total-dependent tables of the shoe.
void BM_BasicStrategyTables(benchmark::State& state) {
  const GameRules rules = shoeGame(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    benchmark::DoNotOptimize(BasicStrategy(rules));
  }
}
BENCHMARK(BM_BasicStrategyTables)
    ->ArgName("decks")
    ->Arg(1)
    ->Arg(6)
    ->Arg(8)
    ->Unit(benchmark::kMillisecond);

}  // namespace
