#include <benchmark/benchmark.h>

#include "exact/game_analysis.h"
#include "exact/up_card_engine.h"
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

// One decision priced exactly for the shoe at hand, as index generation would
// need at every decision: a new engine (the shoe changes between decisions),
// then standing, hitting and doubling a hand against its up card. Six decks
// two decks into the shoe; range(0) picks the hand.
void BM_ExactDecision(benchmark::State& state) {
  const GameRules rules = shoeGame(6);
  CardCounts shoe = CardCounts::shoe(6);
  for (int v = 1; v <= 10; ++v) {
    shoe.add(v, -(v == 10 ? 30 : 8));  // 102 cards gone, a little rich in tens
  }
  const int up = 10;
  shoe.add(up, -1);
  CardCounts hand;
  hand.add(10);
  hand.add(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    UpCardEngine engine(shoe, up, rules);
    benchmark::DoNotOptimize(engine.stand(hand, 0));
    benchmark::DoNotOptimize(engine.hit(hand, 0));
    benchmark::DoNotOptimize(engine.doubleDown(hand, 0));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ExactDecision)->ArgName("second")->Arg(6)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
