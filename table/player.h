#pragma once

#include "table/actions.h"
#include "table/game_rules.h"
#include "table/hand.h"

class Deck;

// What the player is shown at one decision, by reference: nothing is copied.
// `allowed` is what the table will play (allowedActions of the hand).
struct DecisionView {
  const Deck& deck;
  const Hand& dealer;
  const Hand& hand;
  const GameRules& rules;
  int handsInRound = 1;
  bool firstDecision = false;
  ActionSet allowed{};
};

// Whether the rules' insurance policy takes the side bet, whatever the
// strategy: under Insurance::Composition when the cards the player cannot see
// (the undealt cards, and the hole card when the dealer holds one) hold tens
// more than one in three, decided on exact integers; under Insurance::Count
// when `count`, the whole count the table books by now, is at least the
// rules' insuranceCount.
bool insuranceByPolicy(const Deck& deck, const Hand& dealer, const GameRules& rules, int count);

// The player at the table: an action per decision, and the round's insurance
// choice when the up card is an ace.
class Player {
 public:
  Player() = default;
  Player(const Player&) = default;
  Player& operator=(const Player&) = default;
  virtual ~Player() = default;

  // An action outside view.allowed is not played (see Simulator).
  virtual int decide(const DecisionView& view) = 0;
  // The rules' policy, whatever the strategy, given the table's count now; a
  // player that prices the bet overrides it.
  virtual bool takesInsurance(const Deck& deck, const Hand& dealer, const GameRules& rules,
                              int count) {
    return insuranceByPolicy(deck, dealer, rules, count);
  }
};
