#include "table/actions.h"

SplitPermissions splitPermissions(AfterSplit rule, Permissions parent) {
  switch (rule) {
    case AfterSplit::KeepFirst:
      return {parent, {false, false}};
    case AfterSplit::NoDoubleNoSplit:
      return {{false, false}, {false, false}};
    case AfterSplit::DoubleNoSplit:
      return {{true, false}, {true, false}};
    case AfterSplit::DoubleAndSplit:
      return {{true, true}, {true, true}};
    case AfterSplit::SplitNoDouble:
      return {{false, true}, {false, true}};
  }
  return {parent, {false, false}};
}

bool mayDoubleOn(int total, bool soft, DoubleOn rule) {
  switch (rule) {
    case DoubleOn::Any:
      return true;
    case DoubleOn::NineToEleven:
      return !soft && total >= 9 && total <= 11;
    case DoubleOn::TenToEleven:
      return !soft && total >= 10 && total <= 11;
  }
  return true;
}

ActionSet allowedActions(const Hand& hand, int handsInRound, bool firstDecision,
                         const GameRules& rules) {
  const bool twoCards = hand.cards.size() == 2;
  const bool splitAce = hand.fromSplit && !hand.cards.empty() && hand.cards[0] == 1;
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
  if (twoCards && hand.canSplit && hand.cards[0] == hand.cards[1] &&
      handsInRound < rules.handLimit() && (!splitAce || rules.resplitAces)) {
    allowed = allowed.with(Split);
  }
  if (firstDecision && twoCards && !hand.fromSplit && rules.surrender != SurrenderRule::None) {
    allowed = allowed.with(Surrender);
  }
  return allowed;
}
