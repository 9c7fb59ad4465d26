// The lab's workers and study files; tests/test_lab_files.py drives the program.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "lab/parallel_run.h"
#include "lab/result_json.h"
#include "lab/table_text.h"
#include "study/settings.h"
#include "study/study_player.h"
#include "tests/counting_allocator.h"
#include "tests/support.h"

namespace {

// Ten blocks of 2000 rounds: big enough to reach many counts, quick to play.
StudyConfig smallStudy() {
  StudyConfig config;
  config.rounds = 19'500;
  config.blockSize = 2'000;
  config.seed = 7;
  config.ramp = std::get<Ramp>(parseRamp("-60:1,2:4"));
  config.bankroll = 500.0;
  return config;
}

void expectSameStudy(const StudyResult& a, const StudyResult& b) {
  EXPECT_EQ(std::tie(a.tally, a.events, a.blocks, a.shard),
            std::tie(b.tally, b.events, b.blocks, b.shard));
  EXPECT_FALSE(firstDifference(a.config, b.config));
  ASSERT_EQ(a.variant.has_value(), b.variant.has_value());
  if (a.variant) {
    EXPECT_FALSE(firstDifference(a.variant->config, b.variant->config));
    EXPECT_EQ(std::tie(a.variant->tally, a.variant->events, a.variant->cross),
              std::tie(b.variant->tally, b.variant->events, b.variant->cross));
  }
}

// smallStudy's variant: another strategy, and no ramp (so no ramp's cross sums).
StudyConfig smallVariant() {
  StudyConfig config = smallStudy();
  config.strategy = Strategy::Visible;
  config.ramp.reset();
  config.bankroll.reset();
  return config;
}

// Stopped now, a comparison's block in flight folds nothing on either side;
// told to finish, it is folded whole on both. A study's stops are tested
// through the program's signals (tests/test_lab_files.py).
TEST(Lab, StopsFinishOrDropTheBlocksInFlight) {
  const std::atomic<int> now{kStopNow}, finish{kFinishBlocks};
  StudyResult compared;
  compared.config = smallStudy();
  compared.variant = Variant{smallVariant(), {}, {}, {}};
  StudyPlayer pair(compared);
  StudyResult into = unplayed(compared);
  EXPECT_FALSE(pair.play(0, into, now));
  EXPECT_TRUE(into.tally == StudyTally{} && into.events == EventCounts{} &&
              into.variant->tally == StudyTally{} && into.variant->cross == CrossTally{});
  EXPECT_TRUE(pair.play(0, into, finish));
  EXPECT_TRUE(into.tally.all.rounds == 2'000 && into.variant->tally.all.rounds == 2'000);
}

// Each checkpoint of a comparison holds whole blocks and exactly their
// tallies, and each holds the last; the run stops at the second. Kills are
// tested through the program (tests/test_lab_files.py).
TEST(Lab, CheckpointsHoldTheBlocksPlayedAndNothingElse) {
  StudyResult result;
  result.config = smallStudy();
  result.config.rounds = 20'000'000;
  result.variant = Variant{smallVariant(), {}, {}, {}};
  std::atomic<int> level{kRunOn};
  std::vector<StudyResult> partials;
  const Checkpoints checkpoints{std::chrono::milliseconds(0), [&](const StudyResult& partial) {
                                  partials.push_back(partial);
                                  if (partials.size() >= 2)
                                    level = kFinishBlocks;
                                }};
  playBlocks(
      result, result.target(), 2, level, [](std::uint64_t) {}, nullptr, &checkpoints);
  ASSERT_GE(partials.size(), 2U);
  partials.push_back(result);
  for (std::size_t i = 0; i < partials.size(); ++i) {
    StudyResult alone = unplayed(result);
    const std::atomic<int> never{kRunOn};
    playBlocks(alone, partials[i].blocks, 2, never, [](std::uint64_t) {});
    expectSameStudy(partials[i], alone);
    EXPECT_TRUE(i == 0 || partials[i - 1].blocks.without(partials[i].blocks).empty());
  }
  EXPECT_FALSE(partials[1].blocks.without(partials[0].blocks).empty());
}

// A block allocates its table once, whatever its length: nothing per round
// or per decision.
TEST(Lab, PlayingABlockAllocatesNothingPerRound) {
  const long controlStart = g_allocations.load();
  const auto control = std::make_unique<int>(1);
  ASSERT_EQ(g_allocations.load() - controlStart, 1) << "the counter counts no allocation";
  std::vector<StudyConfig> studies(4);
  studies[1].strategy = Strategy::Visible;
  studies[2].strategy = studies[3].strategy = Strategy::Basic;
  studies[3].countName = "hilo";  // a counter with indices (insuring at +3) who wongs
  studies[3].indices = indexSetNamed("i18");
  studies[3].wong = {1, -1};
  for (const StudyConfig& study : studies) {
    long allocations[2] = {};
    for (const std::uint64_t rounds : {200, 5000}) {
      StudyConfig config = study;
      config.blockSize = config.rounds = rounds;
      BlockPlayer player(config);
      StudyTally tally;
      EventCounts events;
      const long before = g_allocations.load();
      player.play(0, tally, events, std::atomic<int>{kRunOn});
      allocations[rounds == 200 ? 0 : 1] = g_allocations.load() - before;
      EXPECT_GT(events.decisions + events.roundsWatched, rounds);
    }
    EXPECT_GT(allocations[0], 0);
    EXPECT_EQ(allocations[0], allocations[1]) << static_cast<int>(study.strategy);
  }
}

StudyResult reread(const std::string& text) {
  auto parsed = studyFromJson(text);
  EXPECT_TRUE(says(parsed, nullptr));
  auto* study = std::get_if<StudyResult>(&parsed);
  return study ? std::move(*study) : StudyResult{};
}

// A study's file, read back, holds the same study: a shard's, a comparison's,
// one with rounds at the two ends of the count range. Resuming and merging
// such files are tested through the program (tests/test_lab_files.py).
TEST(Lab, StudyFilesReadBackTheStudy) {
  for (const auto& variant : {std::optional<StudyConfig>{}, std::optional(smallVariant())}) {
    StudyResult partial = played(smallStudy(), ShardSpec{1, 4}, std::nullopt, variant);
    partial.seconds = 1.25;
    const StudyResult back = reread(studyToJson(partial, figuresOf(partial)));
    expectSameStudy(back, partial);
    EXPECT_EQ(back.seconds, 1.25);
  }
  const StudyResult ends = oneBlock({{kLowestCount, 10}, {kHighestCount, -5}});
  expectSameStudy(reread(studyToJson(ends, figuresOf(ends))), ends);
}

// A version-1 file, written by the program before payoffs were counted in
// tenths, holds exactly the study played now: truecount's game, which stays
// the same to the bit, with a ramp and a bankroll.
TEST(Lab, VersionOneFilesAreReadExactly) {
  const StudyResult old = reread(readFile(TRUECOUNT_TEST_DATA_DIR "/study_v1.json"));
  StudyConfig config;
  config.rounds = 9'000;
  config.blockSize = 1'000;
  config.seed = 5;
  config.ramp = std::get<Ramp>(parseRamp("-60:1,2:3"));
  config.bankroll = 250.5;
  StudyResult now = played(config, ShardSpec{1, 3});
  EXPECT_FALSE(old.events.shoesCounted) << "the file was written before shoes were counted";
  now.events.shoes = 0;
  now.events.shoesCounted = false;
  expectSameStudy(old, now);
  EXPECT_GT(old.seconds, 0.0);
}

std::string edited(std::string text, const std::string& from, const std::string& to) {
  const auto at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// Figures as the reports print them: a risk of ruin too small for four
// decimals in scientific notation.
TEST(Lab, ReportsPrintPerCentAndSmallRisksReadably) {
  // What is shown, and what is expected.
  const std::pair<std::string, std::string> rows[] = {
      {riskText(0.0549), "0.0549"},
      {riskText(0.001), "0.0010"},
      {riskText(9.96e-4), "1.0e-03"},
      {riskText(3.5e-12), "3.5e-12"},
      {percent(-0.00512), "-0.512%"},
      {percent(0.0), "+0.000%"},
      {riskText(std::nan("")), "n/a"},
      {paceLine(5, "", 1, 1), "Pace: 5 rounds per second in 1.0 s on 1 thread\n"},
      {paceLine(5, "", 1, 2), "Pace: 5 rounds per second in 1.0 s on 2 threads\n"},
  };
  for (const auto& [shown, expected] : rows)
    EXPECT_EQ(shown, expected);
}

// The file's layout and fields; tests/test_lab_files.py has the lies and the
// edits through the program.
TEST(Lab, DamagedOrEditedStudyFilesAreRefused) {
  const StudyResult study = played(smallStudy(), ShardSpec{0, 5});
  const std::string good = studyToJson(study, figuresOf(study));
  const auto edit = [&good](const char* from, const char* to) { return edited(good, from, to); };
  // The file, and the refusal.
  const std::pair<std::string, const char*> rows[] = {
      {"{", "not valid JSON"},
      {"[1, 2]", "not a truecount-lab study"},
      {edit(R"("version": 3)", R"("version": 4)"), "a study file of another version"},
      {edit(R"("decks": "2")", R"("decks": "9")"),
       R"("decks": expected a whole number from 1 to 8)"},
      {edit(R"("dealer": "h17")", R"("dealer": 17)"), R"("dealer" must be text)"},
      {edit(R"("bankroll": "500")", R"("bankroll": null)"), R"("bankroll" must be text)"},
      {edit(R"("decks": "2")", R"("decks": "2", "deck": "2")"),
       R"("config" holds "deck", which is no setting)"},
      {edit(R"("positions": "0-1")", R"("positions": "1,0")"), R"("positions" must be ascending)"},
      {edit(R"("positions": "0-1")", R"("positions": "0-1,")"), R"("positions" must list)"},
      {edit(R"("positions": "0-1")", R"("positions": "0-2")"), "pass the last block"},
      {edit(R"("shard": "0/5")", R"("shard": "10/15")"), R"("shard" names no block)"},
      {edit(R"("sum": ")", R"("sum": "x)"), R"("sum" must be a decimal integer)"},
      {edit(R"("payoff_units_per_stake": 10)", R"("payoff_units_per_stake": 2)"),
       R"("payoff_units_per_stake" must be 10)"},
  };
  for (const auto& [text, error] : rows)
    EXPECT_TRUE(says(studyFromJson(text), error));
  // Layout alone is not content: another indentation reads the same study;
  // a setting at its default may be left out, as by a program before it.
  expectSameStudy(reread(edit("\"config\": {\n    \"rounds\"", R"("config":{"rounds")")), study);
  expectSameStudy(reread(edit(R"("dealer": "h17",)", "")), study);
}

}  // namespace
