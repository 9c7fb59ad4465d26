#include "lab/result_json.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

#include "lab/digest.h"
#include "study/settings.h"
#include "study/study_check.h"
#include "text/number_text.h"

using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kFormat = "truecount-lab study";
// A study with a variant played over the same blocks (version 2 only).
constexpr const char* kComparisonFormat = "truecount-lab comparison";
constexpr int kVersion = 3;
// Version 3 plays basic strategy exactly for the shoe, and the Fab 4's 15 v 10
// row as published (hit at -1 and below): an older file's blocks of either
// played another study.
constexpr int kExactBasicVersion = 3;
constexpr std::string_view kDigestPrefix = "sha256:";
// No study file nests deeper (a comparison's figures, a side's counts, an
// entry, its interval) or holds more values (a version-1 file of a million
// block ranges); a text past either is refused before the JSON library builds
// anything of it.
constexpr int kMaxDepth = 6;
constexpr std::size_t kMaxValues = std::size_t{5} << 20;

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

// Each setting by its key as its canonical text; with `defaults` false, only
// those that differ from their default. A setting added later has for default
// the rule studies were played under before, so a file that lacks it holds
// that default, and leaving defaults out of the digest keeps the digests of
// such files valid.
Json configJson(const StudyConfig& c, bool defaults) {
  const StudyConfig standard;
  Json config = Json::object();
  for (const Setting& setting : studySettings()) {
    const std::string text = setting.print(c);
    if (defaults || text != setting.print(standard)) {
      config[std::string(setting.key)] = text;
    }
  }
  return config;
}

// How the table names each setting's value, for readers such as the chart.
Json labelsJson(const StudyConfig& c) {
  Json labels = Json::array();
  for (const Setting& setting : studySettings()) {
    labels.push_back(Json{{"setting", setting.key},
                          {"text", phraseOf(setting, c)},
                          {"names_series", setting.namesSeries}});
  }
  return labels;
}

// The positions held in the shard as "first-last" ranges and single
// positions, comma-separated: a shard played in order is one short text.
std::string positionsText(const BlockSet& blocks) {
  std::string text;
  for (const BlockSet::Range range : blocks.ranges()) {
    text += (text.empty() ? "" : ",") + std::to_string(range.first);
    if (range.last != range.first) {
      text += "-" + std::to_string(range.last);
    }
  }
  return text;
}

Json blocksJson(const StudyResult& r) {
  Json shard = r.shard ? Json(shardText(*r.shard)) : Json(nullptr);
  return Json{{"total", r.config.blockCount()},
              {"played", r.blocks.size()},
              {"shard", shard},
              {"positions", positionsText(r.blocks)}};
}

Json talliesJson(const StudyTally& t) {
  Json counts = Json::array();
  for (int slot = 0; slot < kCountSlots; ++slot) {
    const SeriesTally& s = t.counts[static_cast<std::size_t>(slot)];
    if (s.rounds != 0) {
      Json entry{{"count", slot + kLowestCount}};
      entry.update(seriesJson(s));
      const auto at = static_cast<std::size_t>(slot);
      if (t.hands[at] != 0) {
        entry["hands"] = toDecimal(t.hands[at]);
        entry["hand_squares"] = toDecimal(t.handSquares[at]);
      }
      counts.push_back(entry);
    }
  }
  return Json{{"payoff_units_per_stake", kPayoffUnitsPerStake},
              {"blocks", t.blocks},
              {"counts", counts},
              {"all", seriesJson(t.all)},
              {"weighted", seriesJson(t.weighted)},
              {"ramp", seriesJson(t.ramp)}};
}

Json rampJson(const StudyConfig& c, const RampFigures& f) {
  Json stakes = Json::array();
  const CountWeights weights = c.ramp->weights();
  for (int count = kLowestCount; count <= kHighestCount; ++count) {
    stakes.push_back(Json{{"count", count}, {"stake", weights[countSlot(count)]}});
  }
  return Json{{"text", c.ramp->text()},
              {"stakes", stakes},
              {"average_bet", number(f.averageBet)},
              {"ev_per_round", number(f.evPerRound)},
              {"ev_per_100", number(f.evPer100)},
              {"sd_per_round", number(f.sdPerRound)},
              {"se", number(f.se)},
              {"se_by_count", number(f.seByCount)},
              {"risk_of_ruin", f.riskOfRuin ? number(*f.riskOfRuin) : Json(nullptr)},
              {"n0", number(f.n0)},
              {"di", number(f.di)},
              {"score", number(f.score)}};
}

Json crossJson(const CrossSums& c) {
  return Json{{"rounds_x_rounds", toDecimal(c.roundsRounds)},
              {"rounds_x_sum", toDecimal(c.roundsSum)},
              {"sum_x_rounds", toDecimal(c.sumRounds)},
              {"sum_x_sum", toDecimal(c.sumSum)}};
}

// The cross sums, per count where some block has rounds on both sides (the
// others are all zero).
Json crossTalliesJson(const CrossTally& t) {
  Json counts = Json::array();
  for (int slot = 0; slot < kCountSlots; ++slot) {
    const CrossSums& c = t.counts[static_cast<std::size_t>(slot)];
    if (c.roundsRounds != 0) {
      Json entry{{"count", slot + kLowestCount}};
      entry.update(crossJson(c));
      counts.push_back(entry);
    }
  }
  return Json{{"counts", counts},
              {"all", crossJson(t.all)},
              {"weighted", crossJson(t.weighted)},
              {"ramp", crossJson(t.ramp)}};
}

Json differenceJson(const Difference& d) {
  return Json{{"study_rounds", static_cast<std::uint64_t>(d.studyRounds)},
              {"variant_rounds", static_cast<std::uint64_t>(d.variantRounds)},
              {"study_mean", number(d.studyMean)},
              {"variant_mean", number(d.variantMean)},
              {"mean", number(d.mean)},
              {"se", number(d.se)},
              {"se_unpaired", number(d.seUnpaired)},
              {"ci95", Json::array({number(d.ciLow), number(d.ciHigh)})},
              {"se_method", d.clustered ? "cluster" : "naive"}};
}

Json differenceFiguresJson(const DifferenceFigures& f) {
  Json counts = Json::array();
  for (int slot = 0; slot < kCountSlots; ++slot) {
    const auto& d = f.counts[static_cast<std::size_t>(slot)];
    if (d) {
      Json entry{{"count", slot + kLowestCount}};
      entry.update(differenceJson(*d));
      counts.push_back(entry);
    }
  }
  return Json{{"counts", counts},
              {"overall", differenceJson(f.overall)},
              {"weighted", differenceJson(f.weighted)},
              {"ramp", f.ramp ? differenceJson(*f.ramp) : Json(nullptr)}};
}

Json hourlyJson(const HourlyFigures& h) {
  return Json{{"rounds_played", number(h.roundsPerHour)},
              {"win", number(h.win)},
              {"win_se", number(h.winSe)},
              {"sd", number(h.sd)},
              {"n0_hours", number(h.n0Hours)}};
}

Json spotsJson(const SpotFigures& s) {
  return Json{{"average_stake", number(s.averageStake)},
              {"per_hand", number(s.perHand)},
              {"variance", number(s.variance)},
              {"covariance", number(s.covariance)}};
}

Json figuresJson(const StudyConfig& c, const SideFigures& f) {
  Json counts = Json::array();
  const auto total = static_cast<double>(f.overall.rounds);
  for (int slot = 0; slot < kCountSlots; ++slot) {
    const auto& e = f.counts[static_cast<std::size_t>(slot)];
    if (e) {
      Json entry{{"count", slot + kLowestCount}};
      entry.update(estimateJson(*e));
      entry["share"] = static_cast<double>(e->rounds) / total;
      counts.push_back(entry);
    }
  }
  return Json{
      {"counts", counts},
      {"overall", estimateJson(f.overall)},
      {"weighted", estimateJson(f.weighted)},
      {"ramp", f.ramp ? rampJson(c, *f.ramp) : Json(nullptr)},
      {"per_hour", hourlyJson(f.perHour)},
      {"spots", f.spots ? Json{{"average_hands", number(f.spots->averageHands)},
                               {"flat", spotsJson(*f.spots)},
                               {"ramp", f.rampSpots ? spotsJson(*f.rampSpots) : Json(nullptr)}}
                        : Json(nullptr)},
      {"se_method", f.overall.clustered ? "cluster" : "naive"},
      {"decisions_per_round", number(f.decisionsPerRound)},
      {"rounds_per_shoe", f.roundsPerShoe ? number(*f.roundsPerShoe) : Json(nullptr)},
      {"rounds_per_second", number(f.roundsPerSecond)}};
}

Json eventsJson(const EventCounts& e, const StudyConfig& config) {
  Json events{{"decisions", e.decisions},
              {"shoe_exhausted", e.shoeExhausted},
              {"overlong_hands", e.overlongHands}};
  // Only a wonging study watches rounds; the others' files keep their bytes.
  if (config.wong != WongLimits{}) {
    events["rounds_watched"] = e.roundsWatched;
  }
  if (e.shoesCounted) {
    events["shoes"] = e.shoes;
  }
  return events;
}

// What the study is, as the digest seals it: the content written, but for the
// settings at their default. A comparison adds its variant (settings,
// tallies and events; the time is the study's) and the cross sums.
Json definingJson(const StudyResult& r, bool defaults) {
  Json events = eventsJson(r.events, r.config);
  events["seconds"] = r.seconds;
  Json defining{{"config", configJson(r.config, defaults)},
                {"blocks", blocksJson(r)},
                {"tallies", talliesJson(r.tally)},
                {"events", events}};
  if (r.variant) {
    defining["variant"] = Json{{"config", configJson(r.variant->config, defaults)},
                               {"tallies", talliesJson(r.variant->tally)},
                               {"events", eventsJson(r.variant->events, r.variant->config)}};
    defining["cross_tallies"] = crossTalliesJson(r.variant->cross);
  }
  return defining;
}

// Looks through the text before anything is built of it: depth, size and
// keys given twice in one object (which a parser would let the last win).
class StructureCheck {
 public:
  bool null() { return value(); }
  bool boolean(bool /*value*/) { return value(); }
  bool number_integer(Json::number_integer_t /*value*/) { return value(); }
  bool number_unsigned(Json::number_unsigned_t /*value*/) { return value(); }
  bool number_float(Json::number_float_t /*value*/, const Json::string_t& /*text*/) {
    return value();
  }
  bool string(Json::string_t& /*value*/) { return value(); }
  bool binary(Json::binary_t& /*value*/) { return value(); }
  bool start_object(std::size_t /*size*/) {
    keys_.emplace_back();
    return open();
  }
  bool key(Json::string_t& key) {
    if (!keys_.back().insert(key).second) {
      problem_ = "the key \"" + key + "\" appears twice in one object";
      return false;
    }
    return true;
  }
  bool end_object() {
    keys_.pop_back();
    --depth_;
    return true;
  }
  bool start_array(std::size_t /*size*/) { return open(); }
  bool end_array() {
    --depth_;
    return true;
  }
  bool parse_error(std::size_t /*position*/, const std::string& /*token*/,
                   const nlohmann::detail::exception& /*error*/) {
    problem_ = "not valid JSON";
    return false;
  }
  const std::string& problem() const { return problem_; }

 private:
  bool value() {
    if (++values_ > kMaxValues) {
      problem_ = "more values than any study file holds";
      return false;
    }
    return true;
  }
  bool open() {
    if (++depth_ > kMaxDepth) {
      problem_ = "nested deeper than any study file";
      return false;
    }
    return value();
  }

  int depth_ = 0;
  std::size_t values_ = 0;
  std::vector<std::set<std::string>> keys_;
  std::string problem_;
};

bool playsFab4(const StudyConfig& config) {
  const auto settings = studySettings();
  const auto indices = std::find_if(settings.begin(), settings.end(),
                                    [](const Setting& s) { return s.key == "indices"; });
  return indices->print(config) == "fab4";
}

// Why the blocks of a file of `version` may take no new block, or none: they
// played basic strategy (and perhaps the Fab 4) as an older program did.
std::optional<std::string> closedBecause(const StudyResult& r, int version) {
  const bool basic = r.config.strategy == Strategy::Basic ||
                     (r.variant && r.variant->config.strategy == Strategy::Basic);
  if (version >= kExactBasicVersion || !basic) {
    return std::nullopt;
  }
  const bool fab4 = playsFab4(r.config) || (r.variant && playsFab4(r.variant->config));
  return "its blocks played basic strategy as this program did before file version " +
         std::to_string(kExactBasicVersion) + " (every decision priced from a full shoe" +
         (fab4 ? ", and the Fab 4 before its 15 v 10 row was corrected" : "") +
         "), so they may be read and charted but not resumed or merged: no block of the "
         "present play may join them; play the study anew";
}

// Reading: every field is checked; the first fault found is thrown as text.
struct Fault {
  std::string what;
};

std::string inQuotes(std::string_view name) {
  return "\"" + std::string(name) + "\"";
}

const Json& field(const Json& object, std::string_view name) {
  const std::string key(name);
  if (!object.is_object() || !object.contains(key)) {
    throw Fault{"missing " + inQuotes(name)};
  }
  return object.at(key);
}

std::uint64_t unsignedField(const Json& object, std::string_view name) {
  const Json& value = field(object, name);
  if (!value.is_number_unsigned()) {
    throw Fault{inQuotes(name) + " must be a whole number from 0 to " + std::to_string(UINT64_MAX)};
  }
  return value.get<std::uint64_t>();
}

std::string textField(const Json& object, std::string_view name) {
  const Json& value = field(object, name);
  if (!value.is_string()) {
    throw Fault{inQuotes(name) + " must be text"};
  }
  return value.get<std::string>();
}

Int128 exactField(const Json& object, std::string_view name) {
  const auto value = parseDecimal(textField(object, name));
  if (!value) {
    throw Fault{inQuotes(name) + " must be a decimal integer in quotes"};
  }
  return *value;
}

// How the versions differ in what they hold.
struct Layout {
  int version;
  // Payoff units per unit of the file's tallies: version 1 counted halves.
  Int128 unitsPerTallyUnit;
};

// A version-1 setting as text: its numbers as their digits, null as none.
std::string settingText(const Json& value, std::string_view key, int version) {
  if (value.is_string()) {
    return value.get<std::string>();
  }
  if (version == 1 && value.is_number_unsigned()) {
    return std::to_string(value.get<std::uint64_t>());
  }
  if (version == 1 && value.is_number_float()) {
    return shortestText(value.get<double>());
  }
  if (version == 1 && value.is_null()) {
    return "none";
  }
  throw Fault{inQuotes(key) + " must be text"};
}

StudyConfig configFrom(const Json& j, int version) {
  if (!j.is_object()) {
    throw Fault{"\"config\" must be an object of settings"};
  }
  const auto settings = studySettings();
  for (const auto& entry : j.items()) {
    const std::string& key = entry.key();
    if (std::none_of(settings.begin(), settings.end(),
                     [&key](const Setting& s) { return s.key == key; })) {
      throw Fault{"\"config\" holds " + inQuotes(key) + ", which is no setting"};
    }
  }
  StudyConfig c;
  for (const Setting& setting : settings) {
    const std::string key(setting.key);
    if (!j.contains(key)) {
      continue;  // a setting newer than the file: the file's study has its default
    }
    if (const auto error = setting.read(settingText(j.at(key), setting.key, version), c)) {
      throw Fault{inQuotes(setting.key) + ": " + *error};
    }
  }
  if (const auto problem = validate(c)) {
    throw Fault{"\"config\": " + *problem};
  }
  return c;
}

std::uint64_t positionFrom(std::string_view text) {
  const auto value = readWhole(text, 0, std::numeric_limits<std::int64_t>::max());
  if (!value) {
    throw Fault{
        "\"positions\" must list FIRST-LAST ranges and single positions, separated "
        "by commas"};
  }
  return static_cast<std::uint64_t>(*value);
}

// Version 2: positions in the shard, one check per range as it is appended.
void readPositions(const std::string& text, StudyResult& r) {
  if (!text.empty() && text.back() == ',') {
    positionFrom("");
  }
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::string_view item = rest.substr(0, rest.find(','));
    rest.remove_prefix(std::min(rest.size(), item.size() + 1));
    const auto dash = item.find('-');
    const std::uint64_t first = positionFrom(item.substr(0, dash));
    const std::uint64_t last =
        dash == std::string_view::npos ? first : positionFrom(item.substr(dash + 1));
    if (!r.blocks.append({first, last})) {
      throw Fault{"\"positions\" must be ascending ranges apart from each other"};
    }
  }
}

// Version 1: block numbers of the study as [first, last] pairs, turned into
// positions in the file's shard.
void readRanges(const Json& ranges, StudyResult& r) {
  if (!ranges.is_array()) {
    throw Fault{"\"ranges\" must be a list of [first, last] block numbers"};
  }
  const std::uint64_t shards = r.shard.value_or(ShardSpec{}).shards;
  for (const Json& range : ranges) {
    if (!range.is_array() || range.size() != 2 || !range[0].is_number_unsigned() ||
        !range[1].is_number_unsigned()) {
      throw Fault{"\"ranges\" must hold [first, last] block numbers"};
    }
    const auto first = r.positionOf(range[0].get<std::uint64_t>());
    const auto last = r.positionOf(range[1].get<std::uint64_t>());
    if (!first || !last || (shards > 1 && *first != *last)) {
      throw Fault{"\"ranges\" hold blocks outside the file's shard"};
    }
    if (!r.blocks.append({*first, *last})) {
      throw Fault{"\"ranges\" must be ascending ranges apart from each other"};
    }
  }
}

void readBlocks(const Json& j, int version, StudyResult& r) {
  const Json& shard = field(j, "shard");
  if (!shard.is_null()) {
    auto parsed = parseShard(shard.is_string() ? shard.get<std::string>() : std::string());
    if (auto* error = std::get_if<std::string>(&parsed)) {
      throw Fault{"\"shard\": " + *error + ", or null"};
    }
    r.shard = std::get<ShardSpec>(parsed);
    if (r.shard->shard >= r.config.blockCount()) {
      throw Fault{"\"shard\" names no block of the study"};
    }
  }
  if (version == 1) {
    readRanges(field(j, "ranges"), r);
  } else {
    readPositions(textField(j, "positions"), r);
  }
  if (!r.blocks.empty() && r.blocks.ranges().back().last > r.target().ranges().back().last) {
    throw Fault{"the blocks listed pass the last block of the file's shard"};
  }
}

SeriesTally seriesFrom(const Json& j, const Layout& layout) {
  // A tally of another unit is scaled by u for its payoff sums and u² for
  // their squares; a file whose values would not fit is none of this program's.
  const auto scaled = [&j](std::string_view name, Int128 factor) {
    const Int128 value = exactField(j, name);
    if (magnitude(value) > magnitude(kInt128Max / factor)) {
      throw Fault{inQuotes(name) + " is larger than any study's"};
    }
    return value * factor;
  };
  const Int128 u = layout.unitsPerTallyUnit;
  SeriesTally s;
  s.rounds = exactField(j, "rounds");
  s.sum = scaled("sum", u);
  s.sumSquares = scaled("sum_squares", u * u);
  s.blockRoundsSquared = exactField(j, "block_rounds_squared");
  s.blockSumSquared = scaled("block_sum_squared", u * u);
  s.blockRoundsSum = scaled("block_rounds_sum", u);
  s.blocksWithRounds = exactField(j, "blocks_with_rounds");
  return s;
}

int countOf(const Json& entry) {
  const Json& count = field(entry, "count");
  const bool inRange =
      (count.is_number_unsigned() && count.get<std::uint64_t>() <= kHighestCount) ||
      (count.is_number_integer() && !count.is_number_unsigned() &&
       count.get<std::int64_t>() >= kLowestCount);
  if (!inRange) {
    throw Fault{"\"count\" must be a whole number from " + std::to_string(kLowestCount) + " to " +
                std::to_string(kHighestCount)};
  }
  return count.get<int>();
}

// Reads each entry of a list of counts with `read(count, entry)`, every count
// at most once.
template <typename Read>
void readCounts(const Json& counts, Read read) {
  if (!counts.is_array()) {
    throw Fault{"\"counts\" must be a list"};
  }
  std::array<bool, kCountSlots> seen{};
  for (const Json& entry : counts) {
    const int count = countOf(entry);
    if (seen[countSlot(count)]) {
      throw Fault{"\"counts\" list count " + std::to_string(count) + " twice"};
    }
    seen[countSlot(count)] = true;
    read(count, entry);
  }
}

void readTallies(const Json& j, const Layout& layout, StudyTally& t) {
  if (layout.version != 1 && unsignedField(j, "payoff_units_per_stake") != kPayoffUnitsPerStake) {
    throw Fault{"\"payoff_units_per_stake\" must be " + std::to_string(kPayoffUnitsPerStake)};
  }
  t.blocks = unsignedField(j, "blocks");
  readCounts(field(j, "counts"), [&t, &layout](int count, const Json& entry) {
    t.counts[countSlot(count)] = seriesFrom(entry, layout);
    if (entry.contains("hands")) {
      t.hands[countSlot(count)] = exactField(entry, "hands");
      t.handSquares[countSlot(count)] = exactField(entry, "hand_squares");
    }
  });
  t.all = seriesFrom(field(j, "all"), layout);
  t.weighted = seriesFrom(field(j, "weighted"), layout);
  t.ramp = seriesFrom(field(j, "ramp"), layout);
}

EventCounts eventsFrom(const Json& j) {
  EventCounts events{unsignedField(j, "decisions"), unsignedField(j, "shoe_exhausted"),
                     unsignedField(j, "overlong_hands")};
  events.roundsWatched = j.contains("rounds_watched") ? unsignedField(j, "rounds_watched") : 0;
  events.shoesCounted = j.contains("shoes");
  events.shoes = events.shoesCounted ? unsignedField(j, "shoes") : 0;
  return events;
}

CrossSums crossFrom(const Json& j) {
  return {exactField(j, "rounds_x_rounds"), exactField(j, "rounds_x_sum"),
          exactField(j, "sum_x_rounds"), exactField(j, "sum_x_sum")};
}

CrossTally crossTalliesFrom(const Json& j) {
  CrossTally t;
  readCounts(field(j, "counts"),
             [&t](int count, const Json& entry) { t.counts[countSlot(count)] = crossFrom(entry); });
  t.all = crossFrom(field(j, "all"));
  t.weighted = crossFrom(field(j, "weighted"));
  t.ramp = crossFrom(field(j, "ramp"));
  return t;
}

Variant variantFrom(const Json& j, const Layout& layout) {
  Variant v;
  v.config = configFrom(field(j, "config"), layout.version);
  readTallies(field(j, "tallies"), layout, v.tally);
  v.events = eventsFrom(field(j, "events"));
  return v;
}

void readEvents(const Json& j, const Json& seconds, StudyResult& r) {
  r.events = eventsFrom(j);
  if (!seconds.is_number() || !(seconds.get<double>() >= 0) ||
      !std::isfinite(seconds.get<double>())) {
    throw Fault{"\"seconds\" must be a number of seconds, 0 or more"};
  }
  r.seconds = seconds.get<double>();
}

}  // namespace

std::string studyToJson(const StudyResult& result, const StudyFigures& figures) {
  Json study{{"format", result.variant ? kComparisonFormat : kFormat}, {"version", kVersion}};
  study.update(definingJson(result, true));
  study["complete"] = result.complete();
  study["digest"] = std::string(kDigestPrefix) + sha256Hex(definingJson(result, false).dump());
  study["labels"] = labelsJson(result.config);
  if (!result.variant) {
    study["figures"] = figuresJson(result.config, figures.study);
    return study.dump(2) + "\n";
  }
  study["variant_labels"] = labelsJson(result.variant->config);
  study["figures"] = Json{{"study", figuresJson(result.config, figures.study)},
                          {"variant", figuresJson(result.variant->config, *figures.variant)},
                          {"difference", differenceFiguresJson(*figures.difference)}};
  return study.dump(2) + "\n";
}

std::variant<StudyResult, std::string> studyFromJson(const std::string& text) {
  StructureCheck structure;
  if (!Json::sax_parse(text, &structure)) {
    return structure.problem();
  }
  const Json j = Json::parse(text, nullptr, false);
  if (j.is_discarded()) {
    return std::string("not valid JSON");
  }
  try {
    const bool comparison =
        j.is_object() && j.contains("format") && j.at("format") == kComparisonFormat;
    if (!comparison && (!j.is_object() || !j.contains("format") || j.at("format") != kFormat)) {
      return std::string(R"(not a truecount-lab study (no "format": ")") + kFormat + R"(" or ")" +
             kComparisonFormat + "\")";
    }
    const Json& version = field(j, "version");
    const bool known = version == 2 || version == kVersion || (version == 1 && !comparison);
    if (!known) {
      return std::string("a study file of another version (this program reads versions 1 to ") +
             std::to_string(kVersion) + (comparison ? ", comparisons versions 2 and 3)" : ")");
    }
    // Versions 2 and on share one layout.
    const Layout layout =
        version == 1 ? Layout{1, kPayoffUnitsPerStake / 2} : Layout{version.get<int>(), 1};
    StudyResult r;
    r.config = configFrom(field(j, "config"), layout.version);
    readBlocks(field(j, "blocks"), layout.version, r);
    readTallies(field(j, "tallies"), layout, r.tally);
    const Json& events = field(j, "events");
    readEvents(
        events,
        layout.version == 1 ? field(field(j, "figures"), "seconds") : field(events, "seconds"), r);
    if (comparison) {
      r.variant = variantFrom(field(j, "variant"), layout);
      r.variant->cross = crossTalliesFrom(field(j, "cross_tallies"));
    }
    if (layout.version != 1 &&
        textField(j, "digest") !=
            std::string(kDigestPrefix) + sha256Hex(definingJson(r, false).dump())) {
      return std::string(
          "its digest does not match its content: the file was edited or damaged after it was "
          "written");
    }
    if (const auto problem = studyProblem(r)) {
      return *problem;
    }
    r.closed = closedBecause(r, layout.version);
    return r;
  } catch (const Fault& fault) {
    return fault.what;
  }
}

std::string tripToJson(const TripReport& report) {
  const TripFigures& f = report.figures;
  const auto quantiles = [](const Quantiles& q) {
    Json values = Json::object();
    for (std::size_t i = 0; i < q.size(); ++i) {
      values["p" + std::to_string(std::lround(100 * kTripQuantiles[i]))] = number(q[i]);
    }
    return values;
  };
  Json hours = Json::array();
  for (std::size_t hour = 0; hour < f.hourly.size(); ++hour) {
    Json entry{{"hour", hour + 1}};
    entry.update(quantiles(f.hourly[hour]));
    hours.push_back(entry);
  }
  Json result = quantiles(f.result);
  result["mean"] = number(f.meanResult);
  const Json trip{
      {"format", "truecount-lab trip"},
      {"version", 1},
      {"config", configJson(report.config, true)},
      {"plan",
       {{"bankroll", number(static_cast<double>(report.plan.bankroll) / kPayoffUnitsPerStake)},
        {"hours", number(report.hours)},
        {"rounds", report.plan.rounds},
        {"trips", report.trips},
        {"played", report.played}}},
      {"ruin",
       {{"share", number(f.ruin.share)},
        {"ci95", Json::array({number(f.ruin.low), number(f.ruin.high)})},
        {"diffusion", number(f.diffusionRuin)}}},
      {"result", result},
      {"per_round", {{"mean", number(f.mean)}, {"sd", number(std::sqrt(f.variance))}}},
      {"hours", hours}};
  return trip.dump(2) + "\n";
}
