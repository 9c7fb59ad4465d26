// Strategy engine: a value-mode shoe of 1 to 8 decks shaped by normal and
// forced deals and by taking out every card of chosen values, down to a few
// cards or a single value; then dealerOutcomes and buildDecisionTable for every
// up card, both dealer modes and both hole-card rules, PlayerRule on hands and
// house rules made from the input through the settings table, and the expected
// counts of a split.
// Probabilities must be finite and add up to 1, values stay within their stake
// and every advice and action is one the table knows and the hand may take; a
// table built down to some bounds matches the full one there, and the rule
// decides as the full table prices the hand.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "deck/deck.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_rules.h"
#include "strategy/dealer_outcomes.h"
#include "strategy/decision_table.h"
#include "strategy/player_rule.h"
#include "strategy/pricing.h"
#include "strategy/split_value.h"

namespace {

constexpr double kSlack = 1e-12;  // a few ulps of rounding around the exact bounds

bool within(double value, double bound) {
  return std::isfinite(value) && value >= -bound - kSlack && value <= bound + kSlack;
}

void checkOutcomes(const DealerOutcomes& d, bool cardsLeft) {
  double sum = 0.0;
  for (int total = 0; total < DealerOutcomes::kTotals; ++total) {
    FUZZ_CHECK(within(d[total], 1.0) && (total >= 17 || d[total] == 0.0));
    sum += d[total];
  }
  FUZZ_CHECK(!cardsLeft || std::fabs(sum - 1.0) <= 1e-9);
}

void checkTable(const DecisionTable& table) {
  for (int total = 0; total < DecisionTable::kRows; ++total) {
    for (const DecisionEntry& e : {table[total].hard, table[total].soft}) {
      FUZZ_CHECK(within(e.standValue, 1.0) && within(e.hitValue, 1.0) && within(e.bestValue, 1.0) &&
                 within(e.doubleValue, 2.0));
      FUZZ_CHECK(total > DecisionTable::kTopTotal || e.action == Stand || e.action == Hit ||
                 e.action == DoubleElseHit || e.action == DoubleElseStand);
    }
    FUZZ_CHECK(within(table[total].splitValue, 2.0));
  }
}

void checkRule(const Deck& deck, FuzzedDataProvider& in) {
  const GameRules rules = fuzzedRules(in);
  DecisionContext context{&deck, Hand{}, Hand{}, &rules};
  for (int n = in.ConsumeIntegralInRange(0, 2); n > 0; --n) {
    context.dealer.addCard(in.ConsumeIntegralInRange(-1, 12));
  }
  for (int n = in.ConsumeIntegralInRange(0, 5); n > 0; --n) {
    context.player.addCard(in.ConsumeIntegralInRange(-1, 12));
  }
  context.player.canDouble = in.ConsumeBool();
  context.player.canSplit = in.ConsumeBool();
  context.player.fromSplit = in.ConsumeBool();
  context.handsInRound = in.ConsumeIntegralInRange(1, GameRules::kHandGuard);
  context.firstDecision = in.ConsumeBool();
  const Hand hand = context.player;
  const ActionSet allowed = context.allowed();
  const int action = PlayerRule(context);
  FUZZ_CHECK(allowed.contains(action));
  FUZZ_CHECK(hand.total() <= DecisionTable::kTopTotal || action == Stand);
  bool soft = false;
  const int total = hand.total(soft);
  if (context.dealer.cards().empty() || total > DecisionTable::kTopTotal) {
    return;
  }
  // The rule may build only the rows it reads, but must decide as the full table does.
  const int upCard = context.dealer.cards()[0] == 1 ? 11 : context.dealer.cards()[0];
  const DrawProbabilities p = drawProbabilities(deck);
  const DecisionTable full = buildDecisionTable(p, upCard, dealerGameOf(rules));
  const ActionPrices prices = priceActions(full, p, hand, allowed, context.handsInRound, rules);
  FUZZ_CHECK(bestAction(prices) == action);
  FUZZ_CHECK(std::isfinite(prices.split) && std::isfinite(prices.surrender));
}

// The expected counts of a split at any chance of the pair card and any room.
void checkSplitCounts(FuzzedDataProvider& in) {
  const double q = in.ConsumeProbability<double>();
  const int room = in.ConsumeIntegralInRange(0, GameRules::kHandGuard - 2);
  const auto resplits = static_cast<Resplits>(in.ConsumeIntegralInRange(0, 2));
  const SplitCounts counts = expectedSplitCounts(q, room, resplits, in.ConsumeBool());
  for (int kind = 0; kind < 2; ++kind) {
    FUZZ_CHECK(within(counts.draws[kind], 2.0 + 2.0 * room));
    FUZZ_CHECK(counts.draws[kind] >= 0.0 && counts.pairs[kind] >= -kSlack * (1.0 + room));
    FUZZ_CHECK(counts.pairs[kind] <= counts.draws[kind] + kSlack * (1.0 + room));
  }
}

// A table built down to some bounds holds the full table's rows from there up.
void checkBounded(const DecisionTable& full, const DecisionTable& part, DecisionBounds bounds) {
  const auto same = [](const DecisionEntry& a, const DecisionEntry& b) {
    return a.standValue == b.standValue && a.hitValue == b.hitValue && a.bestValue == b.bestValue &&
           a.doubleValue == b.doubleValue && a.action == b.action;
  };
  for (int total = 0; total <= DecisionTable::kTopTotal; ++total) {
    FUZZ_CHECK(total < bounds.lowestHard || same(full[total].hard, part[total].hard));
    FUZZ_CHECK(total < bounds.lowestSoft || same(full[total].soft, part[total].soft));
  }
}

void checkStrategy(const Deck& deck, FuzzedDataProvider& in) {
  const DrawProbabilities p = drawProbabilities(deck);
  for (int upCard = 2; upCard <= 11; ++upCard) {
    for (int mode = 0; mode <= 1; ++mode) {
      checkOutcomes(deck.dealerOutcomes(upCard, upCard == 11, mode), deck.cardsLeft() > 0);
      for (const bool peeks : {true, false}) {
        const DealerGame game{mode, peeks};
        const DecisionTable full = buildDecisionTable(p, upCard, game);
        checkTable(full);
        const DecisionBounds bounds = DecisionBounds::covering(in.ConsumeIntegralInRange(0, 22),
                                                               in.ConsumeIntegralInRange(0, 22));
        checkBounded(full, buildDecisionTable(p, upCard, game, bounds), bounds);
      }
    }
  }
  for (int n = in.ConsumeIntegralInRange(0, 8); n > 0; --n) {
    checkRule(deck, in);
  }
  checkSplitCounts(in);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  NullBuffer sink;
  const StreamRedirect dropOut(std::cout, &sink);
  const StreamRedirect dropErr(std::cerr, &sink);
  std::srand(in.ConsumeIntegral<unsigned>());
  Deck deck(in.ConsumeIntegralInRange(1, 8), true, CLibraryRandom::shared());
  for (int checks = 0; checks < 3 && in.remaining_bytes() > 0;) {
    const int floor = in.ConsumeIntegralInRange(0, 3);  // cards to leave at least
    switch (in.ConsumeIntegralInRange(0, 4)) {
      case 0:
        deck.deal();
        break;
      case 1:
        deck.dealForced(in.ConsumeIntegralInRange(-1, 13));
        break;
      case 2:  // every card of one value out
        for (const int value = in.ConsumeIntegralInRange(1, 10);
             deck.cardsLeft() > floor && deck.stackNext(std::span(&value, 1));) {
          deck.deal();
        }
        break;
      case 3:  // down to a few cards
        for (const int left = in.ConsumeIntegralInRange(floor, 20); deck.cardsLeft() > left;) {
          deck.deal();
        }
        break;
      default:
        checkStrategy(deck, in);
        ++checks;
        break;
    }
  }
  checkStrategy(deck, in);
  return 0;
}
