#include "table/rules.h"

const GameRules& DecisionContext::gameRules() const {
  return rules != nullptr ? *rules : kHouseRules;
}

ActionSet DecisionContext::allowed() const {
  return tableAllowed == ActionSet{} ? allowedActions(player, handsInRound, firstDecision, gameRules())
                                     : tableAllowed;
}

int DealerRule(DecisionContext context) {
  bool soft = false;
  const int total = context.player.total(soft);
  const int lastDrawingTotal = soft && context.gameRules().dealerHitsSoft17 ? 17 : 16;
  return total <= lastDrawingTotal ? Hit : Stand;
}

double BetRule(const Deck* /*deck*/) {
  return 1.0;
}
