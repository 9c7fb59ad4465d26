#include "table/rules.h"

const GameRules& DecisionContext::gameRules() const {
  return rules != nullptr ? *rules : kHouseRules;
}

ActionSet DecisionContext::allowed() const {
  return tableAllowed == ActionSet{}
             ? allowedActions(player, handsInRound, firstDecision, gameRules())
             : tableAllowed;
}

bool dealerHits(const Hand& dealer, const GameRules& rules) {
  bool soft = false;
  const int total = dealer.total(soft);
  const int lastDrawingTotal = soft && rules.dealerHitsSoft17 ? 17 : 16;
  return total <= lastDrawingTotal;
}

int DealerRule(DecisionContext context) {
  return dealerHits(context.player, context.gameRules()) ? Hit : Stand;
}

double BetRule(const Deck* /*deck*/) {
  return 1.0;
}
