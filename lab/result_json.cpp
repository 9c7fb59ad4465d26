#include "lab/result_json.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <nlohmann/json.hpp>

#include "study/settings.h"
#include "table/simulator.h"

using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kFormat = "truecount-lab study";
constexpr int kVersion = 2;

Json number(double value) {
  return std::isfinite(value) ? Json(value) : Json(nullptr);
}

Json seriesJson(const SeriesTally& s) {
  return Json{{"rounds", toDecimal(s.rounds)},
              {"sum", toDecimal(s.sum)},
              {"sum_squares", toDecimal(s.sumSquares)},
              {"block_rounds_squared", toDecimal(s.blockRoundsSquared)},
              {"block_sum_squared", toDecimal(s.blockSumSquared)},
              {"block_rounds_sum", toDecimal(s.blockRoundsSum)},
              {"blocks_with_rounds", toDecimal(s.blocksWithRounds)}};
}

Json estimateJson(const Estimate& e) {
  return Json{{"rounds", static_cast<std::uint64_t>(e.rounds)},
              {"mean", number(e.mean)},
              {"sd", number(e.sd)},
              {"se", number(e.se)},
              {"se_naive", number(e.seNaive)},
              {"ci95", Json::array({number(e.ciLow), number(e.ciHigh)})},
              {"se_method", e.clustered ? "cluster" : "naive"}};
}

Json configJson(const StudyConfig& c) {
  Json config = Json::object();
  for (const Setting& setting : studySettings()) {
    config[std::string(setting.key)] = setting.print(c);
  }
  return config;
}

Json blocksJson(const StudyResult& r) {
  Json ranges = Json::array();
  for (const BlockSet::Range range : r.blocks.ranges()) {
    ranges.push_back(Json::array({range.first, range.last}));
  }
  Json shard = r.shard ? Json(shardText(*r.shard)) : Json(nullptr);
  return Json{{"total", r.config.blockCount()},
              {"played", r.blocks.size()},
              {"shard", shard},
              {"ranges", ranges}};
}

Json talliesJson(const StudyTally& t) {
  Json counts = Json::array();
  for (int slot = 0; slot < kCountSlots; ++slot) {
    const SeriesTally& s = t.counts[static_cast<std::size_t>(slot)];
    if (s.rounds != 0) {
      Json entry{{"count", slot + kLowestCount}};
      entry.update(seriesJson(s));
      counts.push_back(entry);
    }
  }
  return Json{{"units", "payoffs in half units, squares in quarter units"},
              {"blocks", t.blocks},
              {"counts", counts},
              {"all", seriesJson(t.all)},
              {"weighted", seriesJson(t.weighted)},
              {"ramp", seriesJson(t.ramp)}};
}

Json rampJson(const StudyConfig& c, const RampFigures& f) {
  Json stakes = Json::array();
  for (const RampStep& step : c.ramp->steps) {
    stakes.push_back(Json{{"count", step.fromCount}, {"stake", step.stake}});
  }
  return Json{{"stakes", stakes},
              {"average_bet", number(f.averageBet)},
              {"ev_per_round", number(f.evPerRound)},
              {"ev_per_100", number(f.evPer100)},
              {"sd_per_round", number(f.sdPerRound)},
              {"se", number(f.se)},
              {"risk_of_ruin", f.riskOfRuin ? number(*f.riskOfRuin) : Json(nullptr)},
              {"n0", number(f.n0)}};
}

Json figuresJson(const StudyResult& r, const StudyFigures& f) {
  Json counts = Json::array();
  const auto total = static_cast<double>(r.tally.all.rounds);
  for (int slot = 0; slot < kCountSlots; ++slot) {
    const auto& e = f.counts[static_cast<std::size_t>(slot)];
    if (e) {
      Json entry{{"count", slot + kLowestCount}};
      entry.update(estimateJson(*e));
      entry["share"] = static_cast<double>(e->rounds) / total;
      counts.push_back(entry);
    }
  }
  return Json{{"counts", counts},
              {"overall", estimateJson(f.overall)},
              {"weighted", estimateJson(f.weighted)},
              {"ramp", f.ramp ? rampJson(r.config, *f.ramp) : Json(nullptr)},
              {"se_method", f.overall.clustered ? "cluster" : "naive"},
              {"decisions_per_round", number(f.decisionsPerRound)},
              {"rounds_per_second", number(f.roundsPerSecond)},
              {"seconds", number(r.seconds)}};
}

// Reading: every field is checked; the first fault found is thrown as text.
struct Fault {
  std::string what;
};

const Json& field(const Json& object, const char* name) {
  if (!object.is_object() || !object.contains(name)) {
    throw Fault{std::string("missing \"") + name + "\""};
  }
  return object.at(name);
}

std::uint64_t unsignedField(const Json& object, const char* name, std::uint64_t low,
                            std::uint64_t high) {
  const Json& value = field(object, name);
  if (!value.is_number_unsigned() || value.get<std::uint64_t>() < low ||
      value.get<std::uint64_t>() > high) {
    throw Fault{std::string("\"") + name + "\" must be a whole number from " + std::to_string(low) +
                " to " + std::to_string(high)};
  }
  return value.get<std::uint64_t>();
}

std::string textField(const Json& object, const char* name) {
  const Json& value = field(object, name);
  if (!value.is_string()) {
    throw Fault{std::string("\"") + name + "\" must be text"};
  }
  return value.get<std::string>();
}

Int128 exactField(const Json& object, const char* name) {
  const auto value = parseDecimal(textField(object, name));
  if (!value) {
    throw Fault{std::string("\"") + name + "\" must be a decimal integer in quotes"};
  }
  return *value;
}

SeriesTally seriesFrom(const Json& j) {
  SeriesTally s;
  s.rounds = exactField(j, "rounds");
  s.sum = exactField(j, "sum");
  s.sumSquares = exactField(j, "sum_squares");
  s.blockRoundsSquared = exactField(j, "block_rounds_squared");
  s.blockSumSquared = exactField(j, "block_sum_squared");
  s.blockRoundsSum = exactField(j, "block_rounds_sum");
  s.blocksWithRounds = exactField(j, "blocks_with_rounds");
  return s;
}

// The most a round can pay in half units: every hand of the largest round
// doubled and paid 3:2.
constexpr Int128 kMaxRoundHalves = Int128{Simulator::kMaxHands} * 2 * 3;

// Whether a series could have come from play: each of its n rounds worth at
// most `most` tally units, in blocks of at most `blockSize` rounds. The
// bounds grow linearly with n, so merged files keep them; with n at most
// 10^12 they also keep every later product inside 128 bits.
bool plausible(const SeriesTally& s, Int128 most, Int128 blockSize, std::uint64_t blocks) {
  const Int128 n = s.rounds;
  const auto within = [](Int128 value, Int128 bound) { return -bound <= value && value <= bound; };
  return n >= 0 && n <= static_cast<Int128>(StudyConfig::kMaxRounds) && within(s.sum, n * most) &&
         s.sumSquares >= 0 && s.sumSquares <= n * most * most && s.blockRoundsSquared >= 0 &&
         s.blockRoundsSquared <= n * blockSize && s.blockSumSquared >= 0 &&
         s.blockSumSquared <= n * most * most * blockSize &&
         within(s.blockRoundsSum, n * most * blockSize) && s.blocksWithRounds >= 0 &&
         s.blocksWithRounds <= static_cast<Int128>(blocks);
}

std::int64_t largest(const CountWeights& weights) {
  std::int64_t most = 0;
  for (const std::int64_t weight : weights) {
    most = weight > most ? weight : most;
  }
  return most;
}

// The tallies must be those of the blocks the file lists, and each series
// within what play can produce.
void checkTallies(const StudyResult& r) {
  const StudyTally& t = r.tally;
  const auto blockSize = static_cast<Int128>(r.config.blockSize);
  const auto played = static_cast<Int128>(r.roundsPlayed());
  Int128 rounds = 0;
  bool sound = true;
  for (const SeriesTally& count : t.counts) {
    sound = sound && plausible(count, kMaxRoundHalves, blockSize, t.blocks);
    rounds += sound ? count.rounds : 0;
  }
  const std::int64_t rampStake = r.config.ramp ? largest(r.config.ramp->weights()) : 0;
  sound =
      sound && rounds == played && t.all.rounds == played && t.weighted.rounds == played &&
      t.ramp.rounds == (r.config.ramp ? played : 0) &&
      plausible(t.all, kMaxRoundHalves, blockSize, t.blocks) &&
      plausible(t.weighted, kMaxRoundHalves * largest(truecountWeights()), blockSize, t.blocks) &&
      plausible(t.ramp, kMaxRoundHalves * rampStake, blockSize, t.blocks);
  if (!sound) {
    throw Fault{"the tallies do not match the blocks listed or cannot come from play"};
  }
}

StudyConfig configFrom(const Json& j) {
  if (!j.is_object()) {
    throw Fault{"\"config\" must be an object of settings"};
  }
  const auto settings = studySettings();
  for (const auto& [key, value] : j.items()) {
    if (std::none_of(settings.begin(), settings.end(),
                     [&key](const Setting& s) { return s.key == key; })) {
      throw Fault{"\"config\" holds \"" + key + "\", which is no setting"};
    }
  }
  StudyConfig c;
  for (const Setting& setting : settings) {
    const std::string key(setting.key);
    if (const auto error = setting.read(textField(j, key.c_str()), c)) {
      throw Fault{"\"" + key + "\": " + *error};
    }
  }
  if (const auto problem = validate(c)) {
    throw Fault{"\"config\": " + *problem};
  }
  return c;
}

void readBlocks(const Json& j, StudyResult& r) {
  const std::uint64_t total = r.config.blockCount();
  const Json& shard = field(j, "shard");
  if (!shard.is_null()) {
    auto parsed = parseShard(shard.is_string() ? shard.get<std::string>() : std::string());
    if (auto* error = std::get_if<std::string>(&parsed)) {
      throw Fault{"\"shard\": " + *error + ", or null"};
    }
    r.shard = std::get<ShardSpec>(parsed);
  }
  const Json& ranges = field(j, "ranges");
  if (!ranges.is_array()) {
    throw Fault{"\"ranges\" must be a list of [first, last] block numbers"};
  }
  for (const Json& range : ranges) {
    if (!range.is_array() || range.size() != 2 || !range[0].is_number_unsigned() ||
        !range[1].is_number_unsigned() ||
        range[0].get<std::uint64_t>() > range[1].get<std::uint64_t>() ||
        range[1].get<std::uint64_t>() >= total) {
      throw Fault{"\"ranges\" must hold [first, last] block numbers below " +
                  std::to_string(total)};
    }
    const BlockSet::Range added{range[0].get<std::uint64_t>(), range[1].get<std::uint64_t>()};
    BlockSet one;
    one.add(added);
    if (r.blocks.overlaps(one)) {
      throw Fault{"\"ranges\" list a block twice"};
    }
    r.blocks.add(added);
  }
  if (r.shard && r.shard->shard >= total) {
    throw Fault{"\"shard\" names no block of the study"};
  }
  if (!r.blocks.missingFrom(r.target()).empty()) {
    throw Fault{"\"ranges\" hold blocks outside the file's shard"};
  }
}

void readTallies(const Json& j, StudyResult& r) {
  StudyTally& t = r.tally;
  t.blocks = unsignedField(j, "blocks", 0, UINT64_MAX);
  if (t.blocks != r.blocks.size()) {
    throw Fault{"the tallies hold " + std::to_string(t.blocks) + " blocks, the ranges " +
                std::to_string(r.blocks.size())};
  }
  const Json& counts = field(j, "counts");
  if (!counts.is_array()) {
    throw Fault{"\"counts\" must be a list"};
  }
  std::array<bool, kCountSlots> seen{};
  for (const Json& entry : counts) {
    const Json& count = field(entry, "count");
    if (!count.is_number_integer() || count.get<std::int64_t>() < kLowestCount ||
        count.get<std::int64_t>() > -kLowestCount) {
      throw Fault{"\"count\" must be a whole number from -60 to 60"};
    }
    const std::size_t slot = countSlot(count.get<int>());
    if (seen[slot]) {
      throw Fault{"\"counts\" list count " + std::to_string(count.get<int>()) + " twice"};
    }
    seen[slot] = true;
    t.counts[slot] = seriesFrom(entry);
  }
  t.all = seriesFrom(field(j, "all"));
  t.weighted = seriesFrom(field(j, "weighted"));
  t.ramp = seriesFrom(field(j, "ramp"));
  checkTallies(r);
}

}  // namespace

std::string studyToJson(const StudyResult& result, const StudyFigures& figures) {
  const Json study{{"format", kFormat},
                   {"version", kVersion},
                   {"config", configJson(result.config)},
                   {"blocks", blocksJson(result)},
                   {"complete", result.complete()},
                   {"tallies", talliesJson(result.tally)},
                   {"events", Json{{"decisions", result.events.decisions},
                                   {"shoe_exhausted", result.events.shoeExhausted},
                                   {"overlong_hands", result.events.overlongHands}}},
                   {"figures", figuresJson(result, figures)}};
  return study.dump(2) + "\n";
}

std::variant<StudyResult, std::string> studyFromJson(const std::string& text) {
  const Json j = Json::parse(text, nullptr, false);
  if (j.is_discarded()) {
    return std::string("not valid JSON");
  }
  try {
    if (!j.is_object() || !j.contains("format") || j.at("format") != kFormat) {
      return std::string(R"(not a truecount-lab study (no "format": ")") + kFormat + "\")";
    }
    if (field(j, "version") != kVersion) {
      return std::string("a study file of another version (this program reads version ") +
             std::to_string(kVersion) + ")";
    }
    StudyResult r;
    r.config = configFrom(field(j, "config"));
    readBlocks(field(j, "blocks"), r);
    readTallies(field(j, "tallies"), r);
    const Json& events = field(j, "events");
    r.events.decisions = unsignedField(events, "decisions", 0, UINT64_MAX);
    r.events.shoeExhausted = unsignedField(events, "shoe_exhausted", 0, UINT64_MAX);
    r.events.overlongHands = unsignedField(events, "overlong_hands", 0, UINT64_MAX);
    const Json& seconds = field(field(j, "figures"), "seconds");
    r.seconds = seconds.is_number() ? seconds.get<double>() : 0.0;
    return r;
  } catch (const Fault& fault) {
    return fault.what;
  }
}
