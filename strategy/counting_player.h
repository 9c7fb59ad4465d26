#pragma once

#include <span>

#include "count/card_counter.h"
#include "strategy/index_plays.h"
#include "strategy/player_rule.h"

// A counter's game: basic strategy with index plays and insurance at a count,
// every count read from the counter the table shows its cards to.
//
// At a decision the index plays of the hand and up card are looked up first:
// a pair that may split by the pair's plays, and, where basic strategy plays
// the pair as its total, by the total's; any other hand by its hard or soft
// total. The first play whose count holds and whose action the hand may take
// is played; otherwise basic strategy decides. The count is read only where a
// play is found, so a decision without one costs two lookups.
//
// Insurance follows the rules' policy, as for any player (insurance at a count
// is Insurance::Count); an index set's insurance row reaches the rules through
// rulesWithIndexInsurance.
class CountingPlayer final : public Player {
 public:
  // `counter` must outlive the player.
  CountingPlayer(const GameRules& rules, const IndexPlays& plays, const CardCounter& counter);

  int decide(const DecisionView& view) override;

 private:
  // The first play of `plays` that holds at the count and is allowed, or else
  // `basic`. Out of line: most decisions never come here.
  [[gnu::noinline]] int deviationOr(std::span<const IndexPlay> plays, const DecisionView& view,
                                    int basic) const;
  int decidePair(const DecisionView& view, int total, bool soft, int upCard) const;

  BasicStrategy basic_;
  IndexTable indices_;
  const CardCounter* counter_;
};

// The rules a counter plays by: where they take no insurance and the index set
// has an insurance row, insurance at that row's count and above.
GameRules rulesWithIndexInsurance(const GameRules& rules, const IndexPlays& plays);
