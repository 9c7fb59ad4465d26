#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "exact/card_counts.h"

// Values as the command line and the study file write them, each read with a
// message that says what was wrong and what is accepted. Numbers are read as
// text/number_text.h reads them.
template <typename T>
using Parsed = std::variant<T, std::string>;

// A whole number from 1 to `most`: a decimal (250000, 1e8, 2.5e3) or one with
// a suffix k, M or G (250k, 100M, 1.5G). Read exactly: a value with any
// fractional part is refused, however small.
Parsed<std::uint64_t> parseCount(std::string_view text, std::uint64_t most);

// A whole number from `low` to `high`.
Parsed<std::int64_t> parseWhole(std::string_view text, std::int64_t low, std::int64_t high);

// A positive decimal such as 1000, 2.5 or 1e6, as the nearest double.
Parsed<double> parsePositive(std::string_view text);

// Cards by their faces, separated by commas: A, 2 to 10, T, J, Q or K, in
// either case, each as often as it is out (A,10,10,5).
Parsed<CardCounts> parseCards(std::string_view text);

// The shortest text that reads back to the same double: equal values give
// equal text and different values different text (1000 and 1000.0000000001).
std::string shortestText(double value);

// The text with every control character written as an escape (\n, \t, \x1b),
// so that a message quoting it stays on one line.
std::string printable(std::string_view text);
