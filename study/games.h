#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "study/settings.h"
#include "study/study_config.h"

// A common game by the name players know it by. Only its house rules count:
// insurance and split pricing are the player's, not the house's.
struct NamedGame {
  std::string_view name;
  GameRules rules;
};

// truecount's own game first, then the common casino games.
std::span<const NamedGame> namedGames();
const NamedGame* gameNamed(std::string_view name);

// Whether a setting is a house rule, which a game sets.
bool isHouseRule(const Setting& setting);

// Reads a game file: one `key = value` per line, the study file's keys and
// values, every house rule once and nothing else; blank lines and lines that
// start with # are passed over. Gives the game's rules, or what was wrong (on
// which line) and what is accepted.
std::variant<GameRules, std::string> parseGameFile(std::string_view text);

// Sets the house rules of `config` that `takes` selects to the game's.
void applyGame(const GameRules& game, StudyConfig& config,
               const std::function<bool(const Setting&)>& takes);

// The house rules of `config` that `shown` selects, as players name them: the
// named game fewest of them apart (the first listed on a tie) and those in
// which `config` differs from it: "game 6d-s17 (dealer h17, surrender late)".
std::string gamePhrase(const StudyConfig& config, bool (*shown)(const Setting&));

// Every game with its house rules spelt out, one line each, for --help.
std::string gameList();
