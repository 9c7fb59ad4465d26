// Study files: any text given to the reader is either refused with a message
// or gives a study whose figures can be derived and whose own file reads back
// to the same study. A file is the one input of truecount-lab that comes from
// elsewhere (other machines, other users), so nothing in it may crash or
// overflow the program.
#include <cstdint>
#include <string>
#include <variant>

#include "fuzz/fuzz_check.h"
#include "lab/result_json.h"
#include "study/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto parsed = studyFromJson(text);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    FUZZ_CHECK(!error->empty());
    return 0;
  }
  const StudyResult& study = std::get<StudyResult>(parsed);
  FUZZ_CHECK(!validate(study.config));
  FUZZ_CHECK(study.tally.blocks == study.blocks.size());
  FUZZ_CHECK(study.blocks.empty() || study.blocks.ranges().back().last < study.config.blockCount());
  StudyResult doubled = study;
  mergeInto(doubled, study);
  const auto again = studyFromJson(studyToJson(study, figuresOf(study)));
  FUZZ_CHECK(std::holds_alternative<StudyResult>(again));
  const StudyResult& reread = std::get<StudyResult>(again);
  FUZZ_CHECK(reread.tally == study.tally && reread.blocks == study.blocks &&
             reread.events == study.events && reread.shard == study.shard &&
             !firstDifference(reread.config, study.config));
  return 0;
}
