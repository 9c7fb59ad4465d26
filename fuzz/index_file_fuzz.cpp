// Index files and count tags, the counter's two texts from elsewhere: any
// text is refused with a line, a column and a reason, or read to a set whose
// canonical text reads back to the same set; every play it holds can be
// looked up.
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "count/count_system.h"
#include "fuzz/fuzz_check.h"
#include "strategy/index_plays.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto parsed = parseIndexPlays(text);
  if (const auto* error = std::get_if<IndexFileError>(&parsed)) {
    FUZZ_CHECK(error->line >= 1 && error->column >= 1 && !error->message.empty());
  } else {
    const IndexPlays& plays = std::get<IndexPlays>(parsed);
    const auto again = parseIndexPlays(plays.text());
    FUZZ_CHECK(std::holds_alternative<IndexPlays>(again) && std::get<IndexPlays>(again) == plays);
    const IndexTable table(plays);
    for (const IndexPlay& play : plays.plays) {
      FUZZ_CHECK(play.index >= -60 && play.index <= 60);
      FUZZ_CHECK(!table.at(play.hand, play.value, play.upCard).empty());
    }
  }
  const auto tags = parseCountTags(text);
  if (const auto* system = std::get_if<CountSystem>(&tags)) {
    const auto again = parseCountTags(system->tagsText());
    FUZZ_CHECK(std::holds_alternative<CountSystem>(again) &&
               std::get<CountSystem>(again) == *system);
  } else {
    FUZZ_CHECK(!std::get<std::string>(tags).empty());
  }
  return 0;
}
