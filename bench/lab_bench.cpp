// Rounds per second: truecount's table as the program plays it, one block of
// the lab on one thread, and whole studies on one and two threads, without
// and with checkpoints; and the bookkeeping of a shard of a million blocks:
// playing, writing and reading its file, merging it.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

#include "count/card_counter.h"
#include "lab/output_file.h"
#include "lab/parallel_run.h"
#include "lab/result_json.h"
#include "strategy/counting_player.h"
#include "strategy/deviation_pricer.h"
#include "strategy/player_rule.h"
#include "study/block_play.h"
#include "table/simulator.h"

namespace {

constexpr int kRounds = 20'000;

void BM_TruecountRounds(benchmark::State& state) {
  std::srand(1);
  Simulator table(DealerRule, PlayerRule, BetRule, kHouseRules, CLibraryRandom::shared());
  table.newRound();
  for (auto _ : state) {
    table.simulate(kRounds, false);
  }
  state.SetItemsProcessed(state.iterations() * kRounds);
}
BENCHMARK(BM_TruecountRounds)->Unit(benchmark::kMillisecond);

// A study of blocks of kRounds rounds, as many as any benchmark plays: every
// block a benchmark asks for holds its rounds.
StudyConfig studyOf(Strategy strategy) {
  StudyConfig config;
  config.blockSize = kRounds;
  config.rounds = kRounds * StudyConfig::kMaxBlocks;
  config.strategy = strategy;
  return config;
}

// Plays one block of `config` per iteration on this thread.
void timeBlocks(benchmark::State& state, const StudyConfig& config) {
  BlockPlayer player(config);
  StudyTally tally;
  EventCounts events;
  const std::atomic<int> never{kRunOn};
  std::uint64_t block = 0;
  for (auto _ : state) {
    player.play(block++, tally, events, never);
  }
  state.SetItemsProcessed(state.iterations() * kRounds);
}

void BM_LabBlock(benchmark::State& state) {
  const StudyConfig config = studyOf(static_cast<Strategy>(state.range(0)));
  timeBlocks(state, config);
}
BENCHMARK(BM_LabBlock)
    ->ArgName("strategy")
    ->Arg(static_cast<int>(Strategy::Composition))
    ->Arg(static_cast<int>(Strategy::Visible))
    ->Arg(static_cast<int>(Strategy::Basic))
    ->Unit(benchmark::kMillisecond);

// The richest rules the table plays, on six decks dealt to 75%: dealer stands
// on soft 17, double after split and resplit to four hands, one card to each
// split ace (aces resplit), late surrender, insurance by composition, doubling
// on any two cards (argument 0) or on 9 to 11 only (1).
GameRules richRules(bool nineToEleven) {
  return {.decks = 6,
          .reshuffleAfter = 234,
          .dealerHitsSoft17 = false,
          .afterSplit = AfterSplit::DoubleAndSplit,
          .surrender = SurrenderRule::Late,
          .splitAces = SplitAces::OneCard,
          .maxHands = 4,
          .doubleOn = nineToEleven ? DoubleOn::NineToEleven : DoubleOn::Any,
          .insurance = Insurance::Composition};
}

void BM_LabBlockRichRules(benchmark::State& state) {
  StudyConfig config = studyOf(Strategy::Composition);
  config.rules = richRules(state.range(0) != 0);
  timeBlocks(state, config);
}
BENCHMARK(BM_LabBlockRichRules)
    ->ArgName("nineToEleven")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

// Basic strategy as a player object: a table lookup per decision, with no
// rule function or copied hands between the table and the strategy.
void BM_BasicStrategyRounds(benchmark::State& state) {
  const GameRules rules = state.range(0) != 0 ? richRules(false) : kHouseRules;
  BasicStrategy basic(rules);
  StreamRandom random(1, 0);
  Simulator table(DealerRule, basic, BetRule, rules, random);
  std::int64_t sum = 0;
  for (auto _ : state) {
    for (int round = 0; round < kRounds; ++round) {
      sum += table.playRound(0, false).payoffUnits;
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * kRounds);
}
BENCHMARK(BM_BasicStrategyRounds)->ArgName("rich")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A study block of a Hi-Lo counter: basic strategy with the Illustrious 18,
// insurance from +3 (its insurance row), every round booked at the count.
// Argument 1: six decks dealt to 75%, dealer standing on soft 17, double
// after split, an even-money split 21; 0: truecount's two-deck game.
StudyConfig counterStudy(bool sixDecks) {
  StudyConfig config = studyOf(Strategy::Basic);
  if (sixDecks) {
    config.rules.decks = 6;
    config.rules.reshuffleAfter = 234;
    config.rules.dealerHitsSoft17 = false;
    config.rules.afterSplit = AfterSplit::DoubleNoSplit;
    config.rules.splitTwentyOnePaysBlackjack = false;
  }
  config.countName = "hilo";
  config.indices = indexSetNamed("i18");
  return config;
}

void BM_CounterBlock(benchmark::State& state) {
  const StudyConfig config = counterStudy(state.range(0) != 0);
  timeBlocks(state, config);
}
BENCHMARK(BM_CounterBlock)->ArgName("sixDecks")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The six-deck counter at a table of this many players, from the middle seat:
// its items are the counter's rounds.
void BM_CounterAtATable(benchmark::State& state) {
  StudyConfig config = counterStudy(true);
  config.players = static_cast<int>(state.range(0));
  config.seat = (config.players + 1) / 2;
  timeBlocks(state, config);
}
BENCHMARK(BM_CounterAtATable)->ArgName("players")->Arg(1)->Arg(5)->Unit(benchmark::kMillisecond);

// Index generation's player in the same six-deck game: basic strategy, every
// decision's actions priced by the composition engine and tallied.
void BM_DeviationPricerRounds(benchmark::State& state) {
  const GameRules rules{.decks = 6,
                        .reshuffleAfter = 234,
                        .dealerHitsSoft17 = false,
                        .afterSplit = AfterSplit::DoubleNoSplit};
  CardCounter counter(*countNamed("hilo"), rules.decks, {});
  DeviationTally tally;
  DeviationPricer player(rules, counter, tally);
  StreamRandom random(1, 0);
  Simulator table(DealerRule, player, BetRule, rules, random);
  table.showCardsTo(counter);
  std::int64_t decisions = 0;
  for (auto _ : state) {
    for (int round = 0; round < kRounds; ++round) {
      decisions += table.playRound(0, false).decisions;
    }
    tally.endBlock();
  }
  state.counters["decisions_per_second"] =
      benchmark::Counter(static_cast<double>(decisions), benchmark::Counter::kIsRate);
  state.SetItemsProcessed(state.iterations() * kRounds);
}
BENCHMARK(BM_DeviationPricerRounds)->Unit(benchmark::kMillisecond);

// Twenty blocks per study, on as many threads as the argument says.
void BM_LabStudy(benchmark::State& state) {
  constexpr std::uint64_t kBlocks = 20;
  StudyConfig config = studyOf(Strategy::Composition);
  config.rounds = kBlocks * kRounds;
  const std::atomic<int> never{kRunOn};
  for (auto _ : state) {
    StudyResult result;
    result.config = config;
    playBlocks(result, result.target(), static_cast<int>(state.range(0)), never,
               [](std::uint64_t) {});
    benchmark::DoNotOptimize(result.tally.all.sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(config.rounds));
}
BENCHMARK(BM_LabStudy)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// A hundred blocks on two threads, without and with a checkpoint at every
// look the run takes (about two a second, where the command line's least
// interval is one a second and its default one a minute), each written to a
// file as `run --json` writes it.
void BM_LabStudyCheckpoints(benchmark::State& state) {
  constexpr std::uint64_t kBlocks = 100;
  StudyConfig config = studyOf(Strategy::Composition);
  config.rounds = kBlocks * kRounds;
  const std::atomic<int> never{kRunOn};
  const auto file = std::get<OutputFile>(OutputFile::prepare(
      (std::filesystem::temp_directory_path() / "truecount-lab-bench.json").string()));
  std::int64_t written = 0;
  const Checkpoints checkpoints{
      std::chrono::milliseconds(0), [&](const StudyResult& partial) {
        benchmark::DoNotOptimize(file.commit(studyToJson(partial, figuresOf(partial))));
        ++written;
      }};
  for (auto _ : state) {
    StudyResult result;
    result.config = config;
    playBlocks(
        result, result.target(), 2, never, [](std::uint64_t) {}, nullptr,
        state.range(0) != 0 ? &checkpoints : nullptr);
    benchmark::DoNotOptimize(result.tally.all.sum);
  }
  std::filesystem::remove(file.path());
  state.counters["checkpoints"] =
      benchmark::Counter(static_cast<double>(written), benchmark::Counter::kAvgIterations);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(config.rounds));
}
BENCHMARK(BM_LabStudyCheckpoints)
    ->ArgName("checkpoints")
    ->Arg(0)
    ->Arg(1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// Shard K of two of a study of two million one-round blocks: a million blocks,
// the fixed strategy so that the bookkeeping, not the play, is measured.
StudyResult millionBlockShard(std::uint64_t shard) {
  StudyResult result;
  result.config.rounds = 2'000'000;
  result.config.blockSize = 1;
  result.config.strategy = Strategy::Basic;
  result.shard = ShardSpec{shard, 2};
  return result;
}

StudyResult playedShard(std::uint64_t shard) {
  StudyResult result = millionBlockShard(shard);
  const std::atomic<int> never{kRunOn};
  playBlocks(result, result.target(), 2, never, [](std::uint64_t) {});
  return result;
}

void BM_MillionBlockShardPlay(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(playedShard(0).tally.all.sum);
  }
}
BENCHMARK(BM_MillionBlockShardPlay)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_MillionBlockShardFile(benchmark::State& state) {
  const StudyResult shard = playedShard(0);
  for (auto _ : state) {
    const auto reread = studyFromJson(studyToJson(shard, figuresOf(shard)));
    benchmark::DoNotOptimize(std::get<StudyResult>(reread).blocks.size());
  }
}
BENCHMARK(BM_MillionBlockShardFile)->Unit(benchmark::kMillisecond);

// The two shards' blocks interleave: a million single blocks each in the
// study's numbering, joined into one range.
void BM_MillionBlockShardMerge(benchmark::State& state) {
  const StudyResult first = playedShard(0);
  const StudyResult second = playedShard(1);
  for (auto _ : state) {
    StudyResult merged = first;
    benchmark::DoNotOptimize(mergeInto(merged, second));
  }
}
BENCHMARK(BM_MillionBlockShardMerge)->Unit(benchmark::kMillisecond);

}  // namespace
