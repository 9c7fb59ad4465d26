// Study files: any text given to the reader is either refused with a message
// or gives a study (or comparison) whose figures can be derived and whose own
// file reads back to the same study. A file is the one input of truecount-lab
// that comes from elsewhere (other machines, other users), so nothing in it
// may crash or overflow the program.
//
// Random bytes rarely get past the digest, so most inputs are made by a
// mutator that knows the format: it edits a valid study (a tally, a count, a
// key, a setting, the nesting) and seals it again, so that the checks behind
// the digest are reached too.
#include <cstdint>
#include <cstring>
#include <iterator>
#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <variant>

#include "fuzz/fuzz_check.h"
#include "lab/digest.h"
#include "lab/result_json.h"
#include "study/settings.h"
#include "study/study_check.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

using Json = nlohmann::ordered_json;

// Every value of the document, depth first, for picking one to edit.
void collect(Json& node, std::vector<Json*>& values) {
  values.push_back(&node);
  if (node.is_structured()) {
    for (Json& child : node) {
      collect(child, values);
    }
  }
}

std::string nudged(const std::string& decimal, std::int64_t by) {
  try {
    return std::to_string(std::stoll(decimal) + by);
  } catch (const std::exception&) {
    return decimal + "0";
  }
}

// The n-th member of an object, whose iterators only step.
Json::iterator member(Json& object, std::size_t n) {
  auto entry = object.begin();
  std::advance(entry, static_cast<std::ptrdiff_t>(n));
  return entry;
}

// One edit of the kind a careless or hostile hand makes.
void edit(Json& study, std::mt19937_64& random) {
  std::vector<Json*> values;
  collect(study, values);
  Json& value = *values[random() % values.size()];
  const std::int64_t by = static_cast<std::int64_t>(random() % 21) - 10;
  switch (random() % 6) {
    case 0:  // a tally, a setting or a position, as text
      if (value.is_string()) {
        value = nudged(value.get<std::string>(), by);
      }
      break;
    case 1:  // a count, a block number, a number of events
      if (value.is_number_integer()) {
        value = value.get<std::int64_t>() + by;
      } else if (value.is_number_unsigned()) {
        value = value.get<std::uint64_t>() + static_cast<std::uint64_t>(by);
      }
      break;
    case 2:  // a key dropped
      if (value.is_object() && !value.empty()) {
        value.erase(member(value, random() % value.size()));
      }
      break;
    case 3:  // a key renamed
      if (value.is_object() && !value.empty()) {
        const auto entry = member(value, random() % value.size());
        Json moved = entry.value();
        const std::string name = entry.key() + "_";
        value.erase(entry);
        value[name] = moved;
      }
      break;
    case 4:  // one level deeper
      value = Json::array({value});
      break;
    default:  // a list entry given twice
      if (value.is_array() && !value.empty()) {
        value.push_back(value[random() % value.size()]);
      }
      break;
  }
}

// Leaves out of a configuration the settings at their default.
void leaveOutDefaults(Json& config) {
  if (!config.is_object()) {
    return;
  }
  for (const Setting& setting : studySettings()) {
    const std::string key(setting.key);
    if (config.contains(key) && config[key] == setting.print(StudyConfig{})) {
      config.erase(key);
    }
  }
}

// The digest over what defines the study (and a comparison's variant and
// cross sums), settings at their default left out as the program leaves them.
void seal(Json& study) {
  if (!study.is_object()) {
    return;  // the whole study nested deeper: nothing to seal
  }
  Json defining = Json::object();
  for (const char* key : {"config", "blocks", "tallies", "events", "variant", "cross_tallies"}) {
    if (study.contains(key)) {
      defining[key] = study[key];
    }
  }
  if (defining.contains("config")) {
    leaveOutDefaults(defining["config"]);
  }
  if (defining.contains("variant") && defining["variant"].is_object() &&
      defining["variant"].contains("config")) {
    leaveOutDefaults(defining["variant"]["config"]);
  }
  study["digest"] = "sha256:" + sha256Hex(defining.dump());
}

}  // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
  // One time in four, and for what is no JSON object, the bytes as they are.
  Json study = Json::parse(data, data + size, nullptr, false);
  if (seed % 4 == 0 || study.is_discarded() || !study.is_object()) {
    return LLVMFuzzerMutate(data, size, maxSize);
  }
  std::mt19937_64 random(seed);
  const int edits = 1 + static_cast<int>(random() % 3);
  for (int i = 0; i < edits; ++i) {
    edit(study, random);
  }
  seal(study);
  const std::string text = study.dump(random() % 2 == 0 ? 2 : -1);
  if (text.size() > maxSize) {
    return LLVMFuzzerMutate(data, size, maxSize);
  }
  std::memcpy(data, text.data(), text.size());
  return text.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto parsed = studyFromJson(text);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    FUZZ_CHECK(!error->empty());
    return 0;
  }
  const StudyResult& study = std::get<StudyResult>(parsed);
  FUZZ_CHECK(!validate(study.config));
  FUZZ_CHECK(!studyProblem(study));
  FUZZ_CHECK(study.tally.blocks == study.blocks.size());
  FUZZ_CHECK(study.blocks.without(study.target()).empty());
  StudyResult doubled = study;
  FUZZ_CHECK(study.blocks.empty() == !mergeInto(doubled, study));
  const auto again = studyFromJson(studyToJson(study, figuresOf(study)));
  FUZZ_CHECK(std::holds_alternative<StudyResult>(again));
  const StudyResult& reread = std::get<StudyResult>(again);
  FUZZ_CHECK(reread.tally == study.tally && reread.blocks == study.blocks &&
             reread.events == study.events && reread.shard == study.shard &&
             reread.seconds == study.seconds && !firstDifference(reread.config, study.config));
  FUZZ_CHECK(reread.variant.has_value() == study.variant.has_value());
  if (study.variant) {
    FUZZ_CHECK(reread.variant->tally == study.variant->tally &&
               reread.variant->events == study.variant->events &&
               reread.variant->cross == study.variant->cross &&
               !firstDifference(reread.variant->config, study.variant->config));
  }
  return 0;
}
