#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "study/study_result.h"

// Values of the command line, each read with a message that says what was
// wrong and what is accepted.
template <typename T>
using Parsed = std::variant<T, std::string>;

// A round count: plain digits, a decimal with an exponent (1e8) or a suffix
// k, M or G (250k, 100M, 1.5G); a whole number from 1 to kMaxRounds.
inline constexpr std::uint64_t kMaxRounds = StudyConfig::kMaxRounds;
Parsed<std::uint64_t> parseRounds(std::string_view text);

// A whole number from `low` to `high`, plain digits with an optional '-'.
Parsed<std::int64_t> parseWhole(std::string_view text, std::int64_t low, std::int64_t high);

// "K/N": the blocks b with b mod N = K, 0 <= K < N.
Parsed<ShardSpec> parseShard(std::string_view text);
