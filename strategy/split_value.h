#pragma once

#include "exact/split_counts.h"
#include "strategy/decision_table.h"
#include "strategy/draw_probabilities.h"
#include "table/actions.h"
#include "table/game_rules.h"

// The value, per unit staked on the pair, of splitting the pair of `pairCard`
// (1 for aces) from a hand with `parent` permissions, as the rules play it:
// every second card that is not the pair card makes a two-card hand played at
// its best allowed value (doubling where its permissions and total allow), or
// standing as a one-card split ace, or paid 3:2 as a split 21 where the rules
// say so; pair cards split again while the rules and the limit allow, and end
// as pairs played at their total when not. Reads the rows DecisionBounds
// covering(pairCard + 2, pairCard + 11) holds (for aces, soft rows 12 up).
double playedSplitValue(const DecisionTable& table, const DrawProbabilities& p, int pairCard,
                        Permissions parent, int handsInRound, const GameRules& rules);
