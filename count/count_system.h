#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

// A card-counting system: a tag per card value, added to the running count for
// every card the player sees. Tags are held in half points, so that Wong
// Halves stays exact in integers.
struct CountSystem {
  // Index 1..10 by card value (1 the ace, 10 every ten-valued card); 0 unused.
  std::array<int, 11> halfTags{};

  // The tags of one 52-card deck added up: zero for a balanced count.
  int deckHalves() const;
  bool balanced() const { return deckHalves() == 0; }
  // The running count of a fresh shoe. Balanced counts start at zero; an
  // unbalanced one at -(its deck sum) x (decks - 1), so that the count of a
  // whole shoe seen ends at one deck's sum: KO's conventional 4 - 4 x decks.
  int initialHalves(int decks) const;
  // "A:-1,2:1,...,10:-1" with halves as ".5": what parseCountTags reads back.
  std::string tagsText() const;
  bool operator==(const CountSystem&) const = default;
};

// The counts known by name: hilo, ko, hiopt1, hiopt2, omega2, zen, halves.
std::span<const std::string_view> countNames();
std::optional<CountSystem> countNamed(std::string_view name);
// The name of a system with the tags of a named count, or empty.
std::string_view nameOfCount(const CountSystem& system);

// Reads "A:-1,2:1,...": every value A, 2..9, 10 exactly once, in any order,
// each tag a whole or half point from -10 to 10 ("0.5", "-1.5"). Gives the
// system or what was wrong.
std::variant<CountSystem, std::string> parseCountTags(std::string_view text);
