#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "study/study_config.h"

// One setting of a study, described once: the command line, the study file,
// the merge comparison, the table's settings line and the chart's labels all
// read it from here. Adding a setting is one entry of studySettings() plus the
// code of its effect.
struct Setting {
  std::string_view key;        // its name in the study file's "config"
  std::string_view option;     // on the command line
  std::string_view valueName;  // what --help calls its value
  std::string_view group;      // the --help section it is listed in
  std::string_view help;       // what it does; --help adds the default
  // How the settings line and the chart name a value, "{}" standing for the
  // value's text: "dealer {}".
  std::string_view phrase;
  // Whether the chart names a study's series by it (others only tell studies
  // of otherwise equal settings apart).
  bool namesSeries;
  // The accepted values of a setting chosen by name; empty for the others.
  std::vector<std::string_view> names;
  // Sets the setting from its text; gives what was wrong and what is
  // accepted, leaving the configuration unchanged.
  std::optional<std::string> (*read)(std::string_view text, StudyConfig& config);
  // Its canonical text, which `read` takes back: equal values give equal
  // text, different values different text.
  std::string (*print)(const StudyConfig& config);
};

// The group of the settings that say which rounds a study plays: its rounds,
// block size and seed.
inline constexpr std::string_view kStudyGroup = "Study";

// The groups of the settings that make a game and its basic strategy: the
// house rules and how the strategies price a split.
inline constexpr std::string_view kHouseRulesGroup = "House rules";
inline constexpr std::string_view kPricingGroup = "Pricing";
// The group of the settings of the table around the player: the other
// players, the player's seat and the pace of the deal.
inline constexpr std::string_view kTableGroup = "Table";

// Whether a setting shapes a game's basic-strategy chart: the house rules and
// the split pricing, but not the reshuffle point (the chart is of a full shoe).
bool shapesTheChart(const Setting& setting);

// Every setting, in the order of --help, the study file and the settings line.
std::span<const Setting> studySettings();

// What is wrong with a configuration as a whole, the ranges and combinations
// no single setting can check (the reshuffle point against the decks, a
// bankroll without a ramp, the number of blocks); none when it is sound. The
// command line and the study file reader both apply it.
std::optional<std::string> validate(const StudyConfig& config);

// Why a variant's settings cannot make a comparison with a study's: the two
// sides are played over the same blocks and shoes, so a variant keeps the
// study's rounds, block size and seed, and one equal to its study compares
// nothing. None when they can.
std::optional<std::string> variantProblem(const StudyConfig& study, const StudyConfig& variant);

// The first setting in which two configurations differ, named by its option
// with both values ("--dealer: h17 against s17"); none when they are equal.
std::optional<std::string> firstDifference(const StudyConfig& a, const StudyConfig& b);

// The setting's phrase with its value: "dealer h17".
std::string phraseOf(const Setting& setting, const StudyConfig& config);
