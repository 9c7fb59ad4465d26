#pragma once

#include <string>

#include "exact/game_analysis.h"
#include "study/study_config.h"

// What an `edge` answer is about: the game, how it is played and which cards
// are out of the shoe (as the user wrote them, empty for none).
struct EdgeQuestion {
  StudyConfig config;
  ExactPlay play = ExactPlay::TotalDependent;
  CardCounts removed;
  std::string removedText;
};

// The answer first: the house edge and the player's return in per cent, the
// game, the chances of a win, push and loss; then the return by up card.
std::string edgeText(const GameValue& game, const EdgeQuestion& question);

// The same as a JSON object: `expected_return` (the player's, per initial
// stake), `house_edge_percent`, the chances, and `by_up_card`.
std::string edgeJson(const GameValue& game, const EdgeQuestion& question);

// One row per original hand and up card: its chance given the up card, each
// allowed action's value per initial stake (empty where not allowed), the
// action played, whether insurance is taken, and the hand's value as played.
std::string edgeCsv(const GameValue& game);

// The last line of a chart: the game's exact house edge under it.
std::string chartEdgeLine(const GameValue& game);
