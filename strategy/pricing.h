#pragma once

#include "strategy/decision_table.h"
#include "strategy/draw_probabilities.h"
#include "table/actions.h"
#include "table/game_rules.h"
#include "table/hand.h"

// The values of a hand's allowed actions per unit staked, in the units of the
// decision table they come from: given no dealer blackjack where the dealer
// peeks, over every dealer hand where he does not. Actions outside `allowed`
// keep a value of zero.
struct ActionPrices {
  ActionSet allowed;
  double stand = 0.0;
  double hit = 0.0;
  double doubleDown = 0.0;
  double split = 0.0;
  double surrender = 0.0;
};

// The best allowed action. Ties resolve as they always have: hitting wins a
// tie with standing and doubling every tie; a split must be strictly better
// than keeping the pair, and a surrender strictly better than every other
// allowed action.
int bestAction(const ActionPrices& prices);

// Surrender's value in the table's units given the chance `dealerBlackjack`
// that the dealer holds one. Late, after the peek: -0.5. Early, before it:
// -0.5 against playing on at -h + (1 - h) x (the value given no blackjack),
// so (h - 0.5) / (1 - h) in the units of values given none. With no hole card,
// early surrender keeps half the stake whatever comes, while a late one loses
// it all to a blackjack that then appears: -0.5 - 0.5 h.
double surrenderValue(const GameRules& rules, double dealerBlackjack);

// Insurance per unit of the main stake: half a unit that wins 2:1 when the
// hole card is a ten, with `unseen` the chance of each value among the cards
// the player cannot see.
double insuranceValue(const DrawProbabilities& unseen);

// The rows a decision on `hand` (of total `total`, soft or not) reads: its own
// and, where it may split, those its split is priced from.
DecisionBounds rowsRead(const Hand& hand, int total, bool soft, ActionSet allowed,
                        const GameRules& rules);

// Every allowed action of `hand` priced from `table` (computed at least down
// to rowsRead), the draw probabilities it was computed from, and the rules.
// Splits are priced by truecount's formula or as played (see SplitPricing).
ActionPrices priceActions(const DecisionTable& table, const DrawProbabilities& p, const Hand& hand,
                          ActionSet allowed, int handsInRound, const GameRules& rules);

// The composition-dependent decision: the best allowed action of `hand`
// against the dealer's up card, every value computed from `p`. Stand where
// there is nothing to decide (a bust hand, no up card).
int pricedDecision(const DrawProbabilities& p, const Hand& dealer, const Hand& hand,
                   ActionSet allowed, int handsInRound, const GameRules& rules);
