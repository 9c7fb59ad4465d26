#pragma once

#include <initializer_list>

#include "table/game_rules.h"
#include "table/hand.h"

// Decision codes returned by the rules. The decision table advises only Stand,
// Hit, DoubleElseHit and DoubleElseStand; rules return Stand, Hit, Double,
// Split or Surrender, the actions the table plays.
enum Action : int {
  Stand = 0,
  Hit = 1,
  Double = 2,
  DoubleElseHit = 3,
  DoubleElseStand = 4,
  Split = 5,
  Surrender = 6,
};

// A set of action codes; codes outside 0..7 are never in it.
class ActionSet {
 public:
  constexpr ActionSet() = default;
  constexpr ActionSet(std::initializer_list<int> actions) {
    for (const int action : actions) {
      *this = with(action);
    }
  }

  constexpr bool contains(int action) const {
    return action >= 0 && action < kCodes && ((bits_ >> action) & 1U) != 0;
  }
  constexpr ActionSet with(int action) const {
    ActionSet set = *this;
    if (action >= 0 && action < kCodes) {
      set.bits_ |= 1U << action;
    }
    return set;
  }
  constexpr ActionSet without(int action) const {
    ActionSet set = *this;
    if (action >= 0 && action < kCodes) {
      set.bits_ &= ~(1U << action);
    }
    return set;
  }
  constexpr bool operator==(const ActionSet&) const = default;

 private:
  static constexpr int kCodes = 8;
  unsigned bits_ = 0;
};

// What a hand may do besides standing and hitting.
struct Permissions {
  bool canDouble = true;
  bool canSplit = true;
};

// The permissions of the two hands a pair splits into: the hand the pair came
// from (keeping its first card) and the new one.
struct SplitPermissions {
  Permissions first;
  Permissions added;
};

// The after-split rule applied to a pair whose hand had `parent`.
SplitPermissions splitPermissions(AfterSplit rule, Permissions parent);

// Whether a two-card total may double under the rule: soft totals only under
// DoubleOn::Any.
bool mayDoubleOn(int total, bool soft, DoubleOn rule);

// The actions a live hand may take: the one list both the strategies and the
// table read. Standing is always allowed; hitting but for a one-card split
// ace; doubling a two-card hand whose permissions and total allow it (never a
// one-card ace); splitting a pair that may split, in a round of fewer hands
// than the limit (a pair of aces on a split hand only where aces resplit);
// surrendering the original two-card hand at its first decision. Inline: the
// table asks it before every decision.
inline ActionSet allowedActions(const Hand& hand, int handsInRound, bool firstDecision,
                                const GameRules& rules) {
  const bool twoCards = hand.cards().size() == 2;
  const bool splitAce = hand.fromSplit && !hand.cards().empty() && hand.cards()[0] == 1;
  const bool oneCardAce = splitAce && rules.splitAces == SplitAces::OneCard;
  ActionSet allowed{Stand};
  if (!oneCardAce) {
    allowed = allowed.with(Hit);
  }
  if (twoCards && hand.canDouble && !oneCardAce) {
    bool soft = false;
    const bool anyTotal = rules.doubleOn == DoubleOn::Any;
    if (anyTotal || mayDoubleOn(hand.total(soft), soft, rules.doubleOn)) {
      allowed = allowed.with(Double);
    }
  }
  if (twoCards && hand.canSplit && hand.cards()[0] == hand.cards()[1] &&
      handsInRound < rules.handLimit() && (!splitAce || rules.resplitAces)) {
    allowed = allowed.with(Split);
  }
  if (firstDecision && twoCards && !hand.fromSplit && rules.surrender != SurrenderRule::None) {
    allowed = allowed.with(Surrender);
  }
  return allowed;
}
