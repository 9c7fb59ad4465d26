#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <variant>

#include "lab/parallel_run.h"
#include "lab/result_json.h"
#include "study/settings.h"
#include "tests/counting_allocator.h"

namespace {

// Ten blocks of 2000 rounds: big enough to reach many counts, quick to play.
StudyConfig smallStudy() {
  StudyConfig config;
  config.rounds = 19'500;
  config.blockSize = 2'000;
  config.seed = 7;
  config.ramp = std::get<Ramp>(parseRamp("-60:1,2:4"));
  return config;
}

StudyResult play(const StudyConfig& config, const BlockSet& blocks, int threads,
                 const std::atomic<bool>& stop = std::atomic<bool>{false}) {
  StudyResult result;
  result.config = config;
  playBlocks(result, blocks.missingFrom({}), threads, stop, [](std::uint64_t) {});
  return result;
}

void expectSameStudy(const StudyResult& a, const StudyResult& b) {
  EXPECT_EQ(a.tally, b.tally);
  EXPECT_EQ(a.events, b.events);
  EXPECT_EQ(a.blocks, b.blocks);
}

// The result depends on the configuration, seed and set of blocks only.
TEST(Lab, ThreadsShardsAndMergeOrderLeaveTheTalliesAlone) {
  const StudyConfig config = smallStudy();
  const BlockSet all = BlockSet::shard(config.blockCount(), 0, 1);
  const StudyResult one = play(config, all, 1);
  EXPECT_EQ(one.tally.all.rounds, 19'500);
  EXPECT_EQ(one.roundsPlayed(), 19'500u);
  EXPECT_TRUE(one.complete());
  expectSameStudy(play(config, all, 2), one);

  StudyResult shards[3];
  for (std::uint64_t k = 0; k < 3; ++k) {
    shards[k] = play(config, BlockSet::shard(config.blockCount(), k, 3), 2);
    shards[k].shard = ShardSpec{k, 3};
    EXPECT_TRUE(shards[k].complete());  // a shard is all its run was asked for
  }
  for (const auto& order : {std::array{0, 1, 2}, std::array{2, 0, 1}}) {
    StudyResult merged = shards[order[0]];
    EXPECT_FALSE(mergeInto(merged, shards[order[1]]));
    EXPECT_FALSE(merged.complete());  // two shards of three: part of the whole study
    EXPECT_FALSE(mergeInto(merged, shards[order[2]]));
    expectSameStudy(merged, one);
    EXPECT_TRUE(merged.complete());
  }

  StudyConfig otherSeed = config;
  otherSeed.seed = 8;
  EXPECT_NE(play(otherSeed, all, 2).tally, one.tally);
}

// A block allocates its table once, whatever its length: nothing per round
// or per decision.
TEST(Lab, PlayingABlockAllocatesNothingPerRound) {
  for (const Strategy strategy : {Strategy::Composition, Strategy::Visible, Strategy::Basic}) {
    long allocations[2] = {};
    for (const std::uint64_t rounds : {200, 5000}) {
      StudyConfig config;
      config.strategy = strategy;
      config.blockSize = config.rounds = rounds;
      BlockPlayer player(config);
      StudyTally tally;
      EventCounts events;
      const long before = g_allocations.load();
      player.play(0, tally, events);
      allocations[rounds == 200 ? 0 : 1] = g_allocations.load() - before;
      EXPECT_GT(events.decisions, rounds);
    }
    EXPECT_EQ(allocations[0], allocations[1]) << static_cast<int>(strategy);
  }
}

TEST(Lab, MergeRefusesOtherStudiesAndSharedBlocks) {
  const StudyConfig config = smallStudy();
  StudyResult base = play(config, BlockSet::shard(config.blockCount(), 0, 2), 1);
  StudyResult other = base;
  other.config.rules.dealerHitsSoft17 = false;
  const auto error = mergeInto(base, other);
  ASSERT_TRUE(error);
  EXPECT_EQ(*error, "the studies differ in --dealer: h17 against s17");
  const StudyResult before = base;
  EXPECT_TRUE(mergeInto(base, before));  // every block twice
  expectSameStudy(base, before);
}

// A stopped run keeps whole blocks only; its file, read back, holds the same
// study, and playing what it lacks completes it exactly as an uninterrupted run.
TEST(Lab, ResumedStudyEqualsUninterruptedOne) {
  StudyConfig config = smallStudy();
  config.bankroll = 500.0;
  const BlockSet all = BlockSet::shard(config.blockCount(), 0, 1);
  EXPECT_TRUE(play(config, all, 2, std::atomic<bool>{true}).blocks.empty());
  StudyResult partial = play(config, BlockSet::shard(config.blockCount(), 1, 4), 1);
  partial.shard = ShardSpec{0, 1};
  auto reread = std::get<StudyResult>(studyFromJson(studyToJson(partial, figuresOf(partial))));
  expectSameStudy(reread, partial);
  EXPECT_FALSE(firstDifference(reread.config, config));
  EXPECT_EQ(reread.shard, partial.shard);
  playBlocks(reread, all.missingFrom(reread.blocks), 2, std::atomic<bool>{false},
             [](std::uint64_t) {});
  expectSameStudy(reread, play(config, all, 1));
}

TEST(Lab, DamagedStudyFilesAreRefused) {
  StudyResult study = play(smallStudy(), BlockSet::shard(10, 0, 5), 1);
  study.shard = ShardSpec{0, 5};
  const std::string good = studyToJson(study, figuresOf(study));
  const auto damaged = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  const struct {
    std::string text, error;
  } rows[] = {
      {"{", "not valid JSON"},
      {"[1, 2]", "not a truecount-lab study"},
      {damaged("\"version\": 2", "\"version\": 3"), "a study file of another version"},
      {damaged("\"decks\": \"2\"", "\"decks\": \"9\""),
       "\"decks\": expected a whole number from 1 to 8"},
      {damaged("\"dealer\": \"h17\"", "\"dealer\": \"x\""), "\"dealer\": expected h17 or s17"},
      {damaged("[\n        0,\n        0\n      ]", "[\n 0,\n 12\n ]"), "\"ranges\" must hold"},
      {damaged("\"blocks\": 2", "\"blocks\": 3"), "the tallies hold 3 blocks"},
      {damaged("\"sum\": \"", "\"sum\": \"x"), "\"sum\" must be a decimal integer"},
      {damaged("\"seed\": \"7\",", ""), "missing \"seed\""},
      {damaged("\"shard\": \"0/5\"", "\"shard\": \"1/5\""), "\"ranges\" hold blocks outside"},
      {damaged("\"reshuffle_after\": \"60\"", "\"reshuffle_after\": \"90\""),
       "\"config\": reshuffling after 90 of the shoe's 104 cards"},
      {damaged("\"block_sum_squared\": \"", "\"block_sum_squared\": \"-"),
       "a count's tallies cannot come from play"},
  };
  for (const auto& row : rows) {
    const auto parsed = studyFromJson(row.text);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << row.error;
    EXPECT_EQ(std::get<std::string>(parsed).rfind(row.error, 0), 0u)
        << std::get<std::string>(parsed);
  }
}

TEST(Lab, CommandLineValues) {
  const struct {
    const char* text;
    std::uint64_t rounds;  // 0: refused
  } rounds[] = {{"250000", 250'000},
                {"100M", 100'000'000},
                {"1e8", 100'000'000},
                {"2.5k", 2'500},
                {"1G", 1'000'000'000},
                {"3000000000", 3'000'000'000},
                {"1e12", 1'000'000'000'000},
                {"0", 0},
                {"-5", 0},
                {"1.5", 0},
                {"1e13", 0},
                {"abc", 0},
                {"", 0},
                {"10X", 0},
                {"M", 0},
                {"1e-3", 0}};
  for (const auto& row : rounds) {
    const auto parsed = parseCount(row.text, StudyConfig::kMaxRounds);
    if (row.rounds == 0) {
      EXPECT_TRUE(std::holds_alternative<std::string>(parsed)) << row.text;
    } else {
      ASSERT_TRUE(std::holds_alternative<std::uint64_t>(parsed)) << row.text;
      EXPECT_EQ(std::get<std::uint64_t>(parsed), row.rounds) << row.text;
    }
  }
  EXPECT_EQ(std::get<ShardSpec>(parseShard("2/3")), (ShardSpec{2, 3}));
  for (const char* bad : {"3/3", "0/0", "1", "a/3", "1/3/4", "-1/3", "/3"}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(parseShard(bad))) << bad;
  }
  EXPECT_EQ(std::get<std::int64_t>(parseWhole("-3", -5, 5)), -3);
  for (const char* bad : {"6", "-6", "1.0", "", "+1", "99999999999999999999"}) {
    EXPECT_TRUE(std::holds_alternative<std::string>(parseWhole(bad, -5, 5))) << bad;
  }
}

}  // namespace
