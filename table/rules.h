#pragma once

#include "table/game_rules.h"
#include "table/hand.h"

class Deck;

// Decision codes returned by the rules. The decision table advises only Stand,
// Hit, DoubleElseHit and DoubleElseStand; rules return Stand, Hit, Double, Split.
enum Action : int {
  Stand = 0,
  Hit = 1,
  Double = 2,
  DoubleElseHit = 3,
  DoubleElseStand = 4,
  Split = 5,
};

// What a player or dealer rule sees: the live shoe, copies of the hands, so
// nothing a rule does to them reaches the table, and the table's rules (none:
// the house defaults). For the dealer rule both hands are copies of the
// dealer's.
struct DecisionContext {
  const Deck* deck = nullptr;
  Hand dealer;
  Hand player;
  const GameRules* rules = nullptr;

  const GameRules& gameRules() const;
};

using PlayerRuleFn = int (*)(DecisionContext context);
using DealerRuleFn = int (*)(DecisionContext context);
using BetRuleFn = double (*)(const Deck* deck);

// The dealer draws to 16 and hits soft 17, or stands on it where the rules say so.
int DealerRule(DecisionContext context);
// A flat bet of one unit, whatever the shoe holds.
double BetRule(const Deck* deck);
