#pragma once

#include "table/actions.h"
#include "table/game_rules.h"
#include "table/hand.h"

class Deck;

// What a player or dealer rule sees: the live shoe, copies of the hands, so
// nothing a rule does to them reaches the table, the table's rules (none: the
// house defaults), how many hands the round holds and whether this is the
// original hand's first decision. For the dealer rule both hands are copies of
// the dealer's.
struct DecisionContext {
  const Deck* deck = nullptr;
  Hand dealer;
  Hand player;
  const GameRules* rules = nullptr;
  int handsInRound = 1;
  bool firstDecision = false;
  // The actions the table will play, as it computed them; empty in a context
  // the table did not build.
  ActionSet tableAllowed{};

  const GameRules& gameRules() const;
  // The actions the table lets this hand take (allowedActions of the fields above).
  ActionSet allowed() const;
};

using PlayerRuleFn = int (*)(DecisionContext context);
using DealerRuleFn = int (*)(DecisionContext context);
using BetRuleFn = double (*)(const Deck* deck);

// Whether the dealer draws to `dealer`: to 16, and on soft 17 unless the
// rules have him stand on it.
bool dealerHits(const Hand& dealer, const GameRules& rules);
// The same as a rule: Hit or Stand for the dealer's hand (the context's player hand).
int DealerRule(DecisionContext context);
// A flat bet of one unit, whatever the shoe holds.
double BetRule(const Deck* deck);
