#include "table/rules.h"

int DealerRule(DecisionContext context) {
  bool soft = false;
  const int total = context.player.total(soft);
  const int lastDrawingTotal = soft ? 17 : 16;
  return total <= lastDrawingTotal ? Hit : Stand;
}

double BetRule(const Deck* /*deck*/) {
  return 1.0;
}
