#include <benchmark/benchmark.h>

#include "deck/deck.h"
#include "strategy/decision_table.h"

static void BM_Placeholder(benchmark::State& state) {
  const Deck deck(2, true);
  for (auto _ : state) {
    benchmark::DoNotOptimize(deck.buildDecisionTable(10, 0));
  }
}
BENCHMARK(BM_Placeholder);
