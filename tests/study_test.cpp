// The study layer: values as text, the settings table, block sets, results
// and the checks a study file's numbers must pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "study/block_play.h"
#include "study/settings.h"
#include "study/study_check.h"
#include "study/study_player.h"
#include "study/text_values.h"
#include "tests/support.h"

namespace {

// Counts of rounds: a decimal, exactly whole, with a suffix or without.
TEST(TextValues, CountsTakeASuffixAndMustBeWhole) {
  constexpr std::uint64_t kMost = 1'000'000'000'000;
  const std::pair<const char*, std::uint64_t> good[] = {
      {"250000", 250'000},   {"100M", 100'000'000}, {"1e8", 100'000'000}, {"2.5k", 2'500},
      {"1G", 1'000'000'000}, {"1e12", kMost},       {"0.5e1", 5},         {"+7", 7}};
  for (const auto& [text, value] : good)
    EXPECT_EQ(parseCount(text, kMost), Parsed<std::uint64_t>(value)) << text;
  for (const char* text : {"0", "-5", "1.5", "1e13", "1000000000001", "10X", "M", "1e-3", "0e5",
                           "1.5e0k5", "5 ", "1000000000.00000001"})
    EXPECT_TRUE(says(parseCount(text, kMost), "")) << text;
  EXPECT_EQ(parseCount("20", 20), Parsed<std::uint64_t>(20u));
  EXPECT_TRUE(says(parseCount("21", 20), ""));
}

TEST(TextValues, PositiveNumbersAndText) {
  for (const double value : {1000.0, 1000.0000000001, 2.5, 1e6, 0.1, 1e-300, 12345.678})
    EXPECT_EQ(parsePositive(shortestText(value)), Parsed<double>(value)) << shortestText(value);
  EXPECT_EQ(shortestText(1000.0), "1000");
  EXPECT_NE(shortestText(1000.0), shortestText(1000.0000000001));
  for (const char* bad : {"-1", "0", "0.0", "1e-400", ""})
    EXPECT_TRUE(says(parsePositive(bad), "")) << bad;
  EXPECT_EQ(printable(std::string("a\nb\tc\rd\x1b\x7f") + "e"), "a\\nb\\tc\\rd\\x1b\\x7fe");
}

const Setting& settingOf(std::string_view option) {
  for (const Setting& setting : studySettings())
    if (setting.option == option)
      return setting;
  throw std::logic_error(std::string(option));
}

using Options = std::vector<std::pair<const char*, const char*>>;

// The configuration the options make, read as the command line reads them.
StudyConfig configOf(const Options& options) {
  StudyConfig config;
  for (const auto& [option, text] : options)
    EXPECT_TRUE(says(settingOf(option).read(text, config), nullptr)) << option << " " << text;
  return config;
}

// One value other than the default for every setting, and the text it
// prints back as (nullptr: as given).
const struct SettingCase {
  const char* option;
  const char* text;
  const char* canonical;
} kSettingCases[] = {
    {"--rounds", "250k", "250000"},
    {"--block-size", "2500", nullptr},
    {"--seed", "9", nullptr},
    {"--decks", "8", nullptr},
    {"--reshuffle-after", "61", nullptr},
    {"--dealer", "s17", nullptr},
    {"--after-split", "das", nullptr},
    {"--after-split", "das-resplit", nullptr},
    {"--after-split", "resplit", nullptr},
    {"--after-split", "none", nullptr},
    {"--split-21", "1:1", nullptr},
    {"--blackjack-pays", "6:5", nullptr},
    {"--blackjack-pays", "1:1", nullptr},
    {"--blackjack-pays", "2:1", nullptr},
    {"--surrender", "late", nullptr},
    {"--surrender", "early", nullptr},
    {"--split-aces", "one-card", nullptr},
    {"--resplit-aces", "no", nullptr},
    {"--max-hands", "4", nullptr},
    {"--double", "9-11", nullptr},
    {"--double", "10-11", nullptr},
    {"--hole-card", "none", nullptr},
    {"--insurance", "composition", nullptr},
    {"--insurance", "count:-2", nullptr},
    {"--split-pricing", "truecount", nullptr},
    {"--split-pricing", "played", nullptr},
    {"--strategy", "visible", nullptr},
    {"--strategy", "basic", nullptr},
    {"--ramp", " -60:1, +2:5", "-60:1,2:5"},
    {"--bankroll", "1000.0000000001", nullptr},
    {"--count", "ko", nullptr},
    {"--count-tags", "A:-1, 2:0.5,3:1,4:1,5:1.5,6:1,7:0.5,8:0,9:-0.5,10:-1",
     "A:-1,2:0.5,3:1,4:1,5:1.5,6:1,7:0.5,8:0,9:-0.5,10:-1"},
    {"--true-count", "round", nullptr},
    {"--deck-estimate", "whole", nullptr},
    {"--indices", "fab4", nullptr},
    {"--indices", "fab4,i18", "i18,fab4"},
    // An index holds from a whole count: 0.5 and above is 1 and above.
    {"--indices", "hand,up_card,action,index,direction\n\"A,7\",2,double,0.5,>=\n",
     "hand,up_card,action,index,direction\n\"A,7\",2,double,1,>=\n"},
    {"--wong-in", "-2", nullptr},
    {"--wong-out", "60", nullptr},
    {"--rounds-per-hour", "97.50", "97.5"},
    {"--players", "7", nullptr},
    {"--seat", "7", nullptr},
    {"--spots", " 2 : 2 , 4:3", "2:2,4:3"},
};

// Each value read prints back in its canonical form, reads back to itself,
// moves no other setting and is named with both texts by the comparison; the default reads back to
// itself, and empty or unknown text is refused saying what is accepted. What
// each value does to the game is tested through the program
// (tests/test_lab_settings.py).
TEST(Settings, EachValuePrintsBackAndIsNamedByTheComparison) {
  const StudyConfig defaults;
  for (const Setting& setting : studySettings()) {
    StudyConfig config;
    EXPECT_FALSE(setting.read(setting.print(defaults), config)) << setting.option;
    EXPECT_FALSE(firstDifference(config, defaults)) << setting.option;
    EXPECT_TRUE(setting.read("", config)) << setting.option << ": empty values are refused";
    const std::string named(setting.names.empty() ? "" : setting.names.back());
    EXPECT_TRUE(says(setting.read("x", config), named.c_str()));
    EXPECT_TRUE(std::any_of(std::begin(kSettingCases), std::end(kSettingCases),
                            [&](const SettingCase& c) { return c.option == setting.option; }))
        << setting.option << " has no case";
  }
  for (const SettingCase& c : kSettingCases) {
    const Setting& setting = settingOf(c.option);
    const StudyConfig config = configOf({{c.option, c.text}});
    const std::string canonical = setting.print(config);
    EXPECT_EQ(canonical, c.canonical ? c.canonical : c.text);
    EXPECT_EQ(firstDifference(defaults, config),
              std::string(c.option) + ": " + setting.print(defaults) + " against " + canonical);
    EXPECT_EQ(setting.print(configOf({{c.option, canonical.c_str()}})), canonical);
    for (const Setting& other : studySettings()) {  // and no other setting moves
      EXPECT_TRUE(&other == &setting || other.print(config) == other.print(defaults))
          << c.option << " moved " << other.option;
    }
  }
}

// The automatic pace is the one --help publishes for each table, in order.
TEST(Settings, TheAutomaticPaceIsThePublishedOneOfEachTable) {
  std::string help(settingOf("--rounds-per-hour").help);
  std::ranges::replace_if(
      help, [](char c) { return c < '0' || c > '9'; }, ' ');
  std::istringstream numbers(help);
  std::vector<double> published;  // its numbers of two digits or more
  for (double number = 0; numbers >> number;)
    if (number >= 10)
      published.push_back(number);
  ASSERT_EQ(published.size(), static_cast<std::size_t>(Simulator::kMaxPlayers));
  StudyConfig config;
  for (config.players = 1; config.players <= Simulator::kMaxPlayers; ++config.players)
    EXPECT_EQ(config.roundsPerHour(), published[static_cast<std::size_t>(config.players - 1)]);
}

TEST(Settings, ValidateHoldsTheRangesThatSpanSettings) {
  const char* const halves = "A:-1,2:0.5,3:1,4:1,5:1,6:1,7:0,8:0,9:0,10:-1";
  const char* const zen = "A:-1,2:1,3:1,4:2,5:2,6:2,7:1,8:0,9:0,10:-2";
  // The options, the problem (none: sound).
  const std::pair<Options, const char*> cases[] = {
      {{}, nullptr},
      {{{"--reshuffle-after", "89"}}, nullptr},
      {{{"--reshuffle-after", "90"}}, "give --reshuffle-after up to 89"},
      {{{"--decks", "8"}, {"--reshuffle-after", "401"}}, nullptr},
      {{{"--block-size", "1000"}, {"--rounds", "1e10"}}, nullptr},
      {{{"--block-size", "1000"}, {"--rounds", "10000000001"}}, "blocks, more than 10000000"},
      {{{"--bankroll", "100"}, {"--ramp", "-60:1"}}, nullptr},
      // The counting settings: each combination that would do nothing, or two things.
      {{{"--count", "hilo"}, {"--count-tags", zen}}, "give it without --count"},
      {{{"--deck-estimate", "half"}}, "give --count"},
      {{{"--count", "ko"}, {"--deck-estimate", "half"}}, "--deck-estimate does nothing"},
      {{{"--count", "ko"}, {"--true-count", "floor"}}, "--true-count does nothing"},
      {{{"--count-tags", halves}, {"--true-count", "floor"}}, nullptr},
      {{{"--indices", "i18"}}, "give --strategy basic"},
      {{{"--strategy", "basic"}, {"--indices", "i18"}, {"--insurance", "composition"}},
       "two policies for one bet"},
      {{{"--strategy", "basic"}, {"--indices", "fab4"}}, "need a table that offers surrender"},
      {{{"--strategy", "basic"},
        {"--indices", "fab4"},
        {"--surrender", "late"},
        {"--count", "hilo"},
        {"--insurance", "composition"}},
       nullptr},
      {{{"--strategy", "basic"}, {"--indices", "i18,fab4"}, {"--surrender", "late"}},
       "--indices i18,fab4: the built-in sets are Hi-Lo's indices; give --count hilo"},
      {{{"--strategy", "basic"}, {"--indices", "i18"}, {"--count", "ko"}}, "give --count hilo"},
      {{{"--strategy", "basic"},
        {"--indices", "i18"},
        {"--count-tags", "A:-1,2:1,3:1,4:1,5:1,6:1,7:0,8:0,9:0,10:-1"}},
       nullptr},
      {{{"--wong-in", "1"}, {"--wong-out", "2"}}, "leave on entering"},
      {{{"--wong-in", "1"}, {"--wong-out", "1"}}, nullptr},
  };
  for (const auto& [options, problem] : cases)
    EXPECT_TRUE(says(validate(configOf(options)), problem));
}

BlockSet setOf(std::initializer_list<BlockSet::Range> ranges) {
  BlockSet set;
  for (const BlockSet::Range range : ranges)
    EXPECT_TRUE(set.append(range));
  return set;
}

TEST(BlockSet, AppendsJoinsAndCuts) {
  BlockSet set = setOf({{0, 2}, {5, 5}});
  EXPECT_TRUE(set.append({6, 8}));  // adjacent: one range
  EXPECT_EQ(set.ranges(), (std::vector<BlockSet::Range>{{0, 2}, {5, 8}}));
  for (const BlockSet::Range bad : {BlockSet::Range{8, 9}, {3, 4}, {10, 9}})
    EXPECT_FALSE(set.append(bad)) << bad.first;
  EXPECT_EQ(set.size(), 7u);
  // Sets a and b, a joined with b where they do not overlap, a without b, overlapping.
  const std::tuple<BlockSet, BlockSet, BlockSet, BlockSet, bool> cases[] = {
      {setOf({{0, 2}, {5, 8}}), setOf({{3, 4}, {10, 10}}), setOf({{0, 8}, {10, 10}}),
       setOf({{0, 2}, {5, 8}}), false},
      {setOf({{0, 9}}), setOf({{2, 3}, {5, 5}, {9, 9}}), {}, setOf({{0, 1}, {4, 4}, {6, 8}}), true},
      {setOf({{4, 6}}), setOf({{0, 4}}), {}, setOf({{5, 6}}), true},
      {setOf({{4, 6}}), setOf({{6, 9}}), {}, setOf({{4, 5}}), true},
      {setOf({{4, 6}}), setOf({{0, 9}}), {}, {}, true},
      {{}, setOf({{1, 1}}), setOf({{1, 1}}), {}, false},
  };
  for (const auto& [a, b, joined, aWithoutB, overlap] : cases) {
    EXPECT_EQ(std::pair(a.overlaps(b), b.overlaps(a)), std::pair(overlap, overlap));
    EXPECT_TRUE(overlap || (a.joined(b) == joined && b.joined(a) == joined));
    EXPECT_EQ(a.without(b), aWithoutB);
  }
  const BlockSet holes = setOf({{1, 3}, {7, 7}});
  for (std::uint64_t block = 0; block < 9; ++block)
    EXPECT_EQ(holes.contains(block), (block >= 1 && block <= 3) || block == 7) << block;
}

StudyConfig tenBlocks() {
  StudyConfig config;
  config.rounds = 9'500;
  config.blockSize = 1'000;
  return config;
}

TEST(StudyResult, ShardsHoldBlocksByPosition) {
  // The shard, every block of it in order, and the rounds it is asked for.
  const std::tuple<std::optional<ShardSpec>, std::vector<std::uint64_t>, std::uint64_t> cases[] = {
      {std::nullopt, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 9'500},
      {ShardSpec{1, 3}, {1, 4, 7}, 3'000},
      {ShardSpec{0, 3}, {0, 3, 6, 9}, 3'500},
      {ShardSpec{9, 10}, {9}, 500},
  };
  for (const auto& [shard, blocks, targetRounds] : cases) {
    StudyResult r;
    r.config = tenBlocks();
    r.shard = shard;
    EXPECT_EQ(std::pair(r.target(), r.targetRounds()),
              std::pair(BlockSet::of({0, blocks.size() - 1}), targetRounds));
    BlockSet numbered;
    for (std::uint64_t position = 0; position < blocks.size(); ++position) {
      EXPECT_EQ(r.blockAt(position), blocks[position]);
      EXPECT_EQ(r.positionOf(blocks[position]), position);
      EXPECT_FALSE(r.positionOf(blocks[position] + 1) && shard && shard->shards > 1);
      numbered.append(blocks[position]);
    }
    r.blocks = r.target();
    EXPECT_EQ(std::tuple(r.complete(), r.studyBlocks(), r.roundsPlayed()),
              std::tuple(true, numbered, targetRounds));
    r.blocks = r.target().without(BlockSet::of({blocks.size() - 1, blocks.size() - 1}));
    EXPECT_EQ(std::pair(r.complete(), r.roundsPlayed()),
              std::pair(false, (blocks.size() - 1) * 1'000));
  }
}

// Two files of one shard join their positions and keep the shard, and a
// refused merge leaves the study as it was. Merging shards, comparisons and
// every refusal are tested through the program (tests/test_lab_files.py).
TEST(StudyResult, MergesJoinPositionsOfOneShard) {
  StudyConfig config = tenBlocks();
  config.strategy = Strategy::Basic;
  StudyResult first = played(config, ShardSpec{1, 3}, BlockSet::of({0, 0}));
  const StudyResult rest = played(config, ShardSpec{1, 3}, BlockSet::of({1, 2}));
  EXPECT_FALSE(mergeInto(first, rest));
  EXPECT_EQ(std::tuple(first.shard, first.complete(), first.tally),
            std::tuple(ShardSpec{1, 3}, true, played(config, ShardSpec{1, 3}).tally));
  const StudyResult before = first;
  EXPECT_EQ(mergeInto(first, rest), "the studies share blocks, which would be counted twice");
  EXPECT_EQ(std::pair(first.tally, first.blocks), std::pair(before.tally, before.blocks));
}

// The checks of a comparison, whose study side meets every check of a study.
TEST(StudyCheck, TalliesThatContradictThemselvesAreRefused) {
  StudyConfig config = tenBlocks();
  config.strategy = Strategy::Basic;
  config.ramp = std::get<Ramp>(parseRamp("-60:1,1:3"));
  StudyConfig variant = config;
  variant.strategy = Strategy::Composition;
  variant.ramp = std::get<Ramp>(parseRamp("-60:1,2:5"));
  const StudyResult good = played(config, ShardSpec{0, 3}, BlockSet::of({0, 3}), variant);
  ASSERT_FALSE(studyProblem(good));
  using R = StudyResult;
  const std::size_t zero = countSlot(0);
  const auto at = [zero](R& r) -> SeriesTally& { return r.tally.counts[zero]; };
  const BlockSet firstThree = BlockSet::of({0, 2});
  const auto crossAt = [zero](R& r) -> CrossSums& { return r.variant->cross.counts[zero]; };
  // The lie, the problem.
  const std::pair<std::function<void(R&)>, const char*> cases[] = {
      {[](R& r) { ++r.tally.blocks; }, "the tallies hold 5 blocks, the block list 4"},
      {[&](R& r) { at(r).sum += 1; }, "a count's tallies"},
      {[&](R& r) { at(r).blockRoundsSquared += 1; }, "a count's tallies"},
      {[&](R& r) { at(r).sumSquares = at(r).sum & 1; }, "a count's tallies"},
      {[&](R& r) { at(r).rounds = Int128{1} << 64; }, "a count's tallies"},
      {[&](R& r) { at(r).blocksWithRounds = 5; }, "a count's tallies"},
      {[](R& r) { r.tally.weighted.sumSquares += 2; }, "not the sums over the counts"},
      {[](R& r) { r.tally.all.blockRoundsSquared += 2; }, "do not hold the rounds"},
      {[](R& r) { r.tally.all.blocksWithRounds -= 1; }, "do not hold the rounds"},
      {[&](R& r) { r.blocks = firstThree; }, "the tallies hold 4 blocks"},
      {[](R& r) { r.tally.ramp.sum += 2; }, "weighted tallies do not follow"},
      {[](R& r) { r.config.ramp = std::get<Ramp>(parseRamp("0:1")); },
       "weighted tallies do not follow"},
      {[](R& r) { r.tally.weighted.blocksWithRounds -= 1; }, "weighted tallies do not follow"},
      {[](R& r) { r.events.decisions = 3'500 * kMostRoundEvents + 1; }, "the events outnumber"},
      {[](R& r) { r.events.shoes = 1; }, "shoes do not fit the 4 blocks"},
      {[](R& r) { r.events.shoes = r.roundsPlayed() + 1; }, "shoes do not fit"},
      {[&](R& r) { crossAt(r).roundsRounds = -crossAt(r).roundsRounds; }, "a count's cross sums"},
      {[&](R& r) { crossAt(r).sumSum += at(r).blockSumSquared; }, "a count's cross sums"},
      {[&](R& r) { crossAt(r).roundsSum = Int128{1} << 100; }, "a count's cross sums"},
      {[](R& r) { r.variant->cross.all.sumRounds += 1; }, "the overall cross sums"},
      {[](R& r) { r.variant->cross.weighted.roundsRounds -= 1; }, "the overall cross sums"},
      {[](R& r) { r.variant->cross.ramp.sumSum = r.tally.ramp.blockSumSquared * 9; },
       "the overall cross sums"},
      {[](R& r) { r.variant->cross.ramp = {}; }, "the overall cross sums"},
  };
  for (const auto& [lie, problem] : cases) {
    StudyResult r = good;
    lie(r);
    EXPECT_TRUE(says(studyProblem(r), problem));
  }
  StudyResult last = good;
  last.events.decisions = 3'500 * kMostRoundEvents;
  EXPECT_FALSE(studyProblem(last));
}

// The largest round the table allows, every one of its hands split off,
// doubled and won, is a round like any other to the checks.
TEST(StudyCheck, TheLargestRoundIsNoLie) {
  const std::int64_t most = std::int64_t{Simulator::kMaxHands} * 2 * kPayoffUnitsPerStake;
  EXPECT_FALSE(studyProblem(oneBlock({{0, most}})));
}

}  // namespace
