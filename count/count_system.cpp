#include "count/count_system.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <utility>

#include "text/number_text.h"

namespace {

constexpr int kMaxTagHalves = 20;

struct NamedCount {
  std::string_view name;
  // Half points for A, 2, ..., 9, 10.
  std::array<int, 10> halves;
};

// The published tags of each count (docs/counting.md: "Counts").
constexpr std::array<NamedCount, 7> kNamedCounts{{
    {"hilo", {-2, 2, 2, 2, 2, 2, 0, 0, 0, -2}},
    {"ko", {-2, 2, 2, 2, 2, 2, 2, 0, 0, -2}},
    {"hiopt1", {0, 0, 2, 2, 2, 2, 0, 0, 0, -2}},
    {"hiopt2", {0, 2, 2, 4, 4, 2, 2, 0, 0, -4}},
    {"omega2", {0, 2, 2, 4, 4, 4, 2, 0, -2, -4}},
    {"zen", {-2, 2, 2, 4, 4, 4, 2, 0, 0, -4}},
    {"halves", {-2, 1, 2, 2, 3, 2, 1, 0, -1, -2}},
}};

constexpr std::array<std::string_view, kNamedCounts.size()> kNames = [] {
  std::array<std::string_view, kNamedCounts.size()> names{};
  for (std::size_t i = 0; i < names.size(); ++i) {
    names[i] = kNamedCounts[i].name;
  }
  return names;
}();

CountSystem systemOf(const std::array<int, 10>& halves) {
  CountSystem system;
  for (int value = 1; value <= 10; ++value) {
    system.halfTags[value] = halves[value - 1];
  }
  return system;
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// "A" for the ace, 2..10: the card value, or 0.
int cardValueOf(std::string_view text) {
  if (text == "A" || text == "a") {
    return 1;
  }
  return static_cast<int>(readWhole(text, 2, 10).value_or(0));
}

// A whole or half point, as half points: "-1", "+1.5", "0.5".
std::optional<int> halvesOf(std::string_view text) {
  auto decimal = readDecimal(text);
  if (!decimal) {
    return std::nullopt;
  }
  ++decimal->exponent;  // in tenths of a point, five to a half point
  const auto tenths = decimal->wholePart(std::uint64_t{5} * kMaxTagHalves);
  if (!tenths || decimal->hasFraction() || *tenths % 5 != 0) {
    return std::nullopt;
  }
  const auto halves = static_cast<int>(*tenths / 5);
  return decimal->negative ? -halves : halves;
}

}  // namespace

int CountSystem::deckHalves() const {
  int sum = 0;
  for (int value = 1; value <= 9; ++value) {
    sum += 4 * halfTags[value];
  }
  return sum + 16 * halfTags[10];
}

int CountSystem::initialHalves(int decks) const {
  return -deckHalves() * (decks - 1);
}

std::string CountSystem::tagsText() const {
  std::string text;
  for (int value = 1; value <= 10; ++value) {
    const int h = halfTags[value];
    text += value == 1 ? "A" : "," + std::to_string(value);
    text += ':';
    text += h < 0 ? "-" : "";
    text += std::to_string(std::abs(h) / 2);
    text += std::abs(h) % 2 != 0 ? ".5" : "";
  }
  return text;
}

std::span<const std::string_view> countNames() {
  return kNames;
}

std::optional<CountSystem> countNamed(std::string_view name) {
  for (const NamedCount& count : kNamedCounts) {
    if (count.name == name) {
      return systemOf(count.halves);
    }
  }
  return std::nullopt;
}

std::string_view nameOfCount(const CountSystem& system) {
  for (const NamedCount& count : kNamedCounts) {
    if (systemOf(count.halves) == system) {
      return count.name;
    }
  }
  return {};
}

std::variant<CountSystem, std::string> parseCountTags(std::string_view text) {
  CountSystem system;
  std::array<bool, 11> given{};
  while (!text.empty()) {
    const auto comma = text.find(',');
    const std::string_view item = trimmed(text.substr(0, comma));
    text = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    const auto colon = item.find(':');
    if (colon == std::string_view::npos) {
      return "\"" + std::string(item) + "\" is not CARD:TAG";
    }
    const int value = cardValueOf(trimmed(item.substr(0, colon)));
    const auto halves = halvesOf(trimmed(item.substr(colon + 1)));
    if (value == 0) {
      return "\"" + std::string(item) + "\": the card must be A or 2 to 10";
    }
    if (!halves || std::abs(*halves) > kMaxTagHalves) {
      return "\"" + std::string(item) + "\": the tag must be a whole or half point from -10 to 10";
    }
    if (given[value]) {
      return "\"" + std::string(item) + "\": a card tagged twice";
    }
    given[value] = true;
    system.halfTags[value] = *halves;
  }
  for (int value = 1; value <= 10; ++value) {
    if (!given[value]) {
      return std::string("every card A, 2 to 9 and 10 needs a tag; ") +
             (value == 1 ? "A" : std::to_string(value)) + " has none";
    }
  }
  return system;
}
