#pragma once

#include "table/rules.h"

// The player's composition-dependent strategy: builds the decision table for
// the dealer's up card from the live shoe and resolves its advice for this hand.
int PlayerRule(DecisionContext context);
