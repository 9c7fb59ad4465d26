#pragma once

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

// What a player or dealer rule sees: the live shoe and copies of the hands, so
// nothing a rule does to them reaches the table. For the dealer rule both hands
// are copies of the dealer's.
struct DecisionContext {
  const Deck* deck = nullptr;
  Hand dealer;
  Hand player;
};

using PlayerRuleFn = int (*)(DecisionContext context);
using DealerRuleFn = int (*)(DecisionContext context);
using BetRuleFn = double (*)(const Deck* deck);

// The house rule: the dealer draws to 16 and hits soft 17.
int DealerRule(DecisionContext context);
// A flat bet of one unit, whatever the shoe holds.
double BetRule(const Deck* deck);
