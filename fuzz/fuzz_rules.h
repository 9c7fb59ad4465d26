#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <string>

#include "study/settings.h"

// House rules made from the input through the settings table, so that a rule
// is fuzzed as soon as it is a setting: every setting takes one of its names,
// or a whole number (mostly a small one, as decks and hand limits are) for a
// setting of numbers; a value it refuses leaves its default. Only the rules
// are kept, so the settings that make no rule cost a byte or two of input.
inline GameRules fuzzedRules(FuzzedDataProvider& in) {
  StudyConfig config;
  for (const Setting& setting : studySettings()) {
    if (!setting.names.empty()) {
      setting.read(
          setting.names[in.ConsumeIntegralInRange<std::size_t>(0, setting.names.size() - 1)],
          config);
    } else {
      const int most = in.ConsumeBool() ? 10 : 52 * StudyConfig::kMaxDecks;
      setting.read(std::to_string(in.ConsumeIntegralInRange(0, most)), config);
    }
  }
  return config.rules;
}
