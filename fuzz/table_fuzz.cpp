// Round simulator: a Simulator with every house rule of the settings table
// (decks, reshuffle point, split permissions, payouts, insurance, ...) from the
// input, plays up to 20 rounds under rules that answer from the input: any
// action code (Split on a non-pair, Surrender at any time, stalling codes, the
// real PlayerRule now and then), any stake including NaN and infinities. Once
// the input runs out the player rule repeats its last answer for ever. Every
// round must end, with a bounded number of decisions, be booked in range, and
// carry the same payoff in payoff units as in the double it books.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_rules.h"
#include "strategy/player_rule.h"
#include "table/payoff_unit.h"
#include "table/rules.h"
#include "table/simulator.h"

namespace {

constexpr int kMaxRounds = 20;
constexpr int kAskPlayerRule = -2;
constexpr std::array<int, 9> kAnswers{Stand,           Hit, Double,         Split,  Surrender,
                                      DoubleElseStand, -1,  kAskPlayerRule, 1 << 30};
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::array<double, 8> kStakes{1.0, 2.0,   0.0,  -1.0,
                                        1.5, 1e300, kInf, std::numeric_limits<double>::quiet_NaN()};
constexpr long kMaxRuleCalls = Simulator::kMaxHands * (Simulator::kMaxDecisions + 1);

FuzzedDataProvider* input = nullptr;
const Deck* liveDeck = nullptr;
int lastAnswer = Stand;
long ruleCalls = 0;  // player rule calls in the current round

int FuzzPlayerRule(DecisionContext context) {
  FUZZ_CHECK(context.deck == liveDeck && ++ruleCalls <= kMaxRuleCalls);
  const GameRules& rules = context.gameRules();
  FUZZ_CHECK(context.player.total() <= 21);
  // The dealer shows his hole card only where he peeks, and a blackjack he
  // peeks at ends the round, but for the early surrender asked before it.
  FUZZ_CHECK(context.dealer.cards().size() == (rules.peeks() ? 2U : 1U));
  FUZZ_CHECK(!context.dealer.isBlackjack() ||
             (context.firstDecision && rules.surrender == SurrenderRule::Early));
  FUZZ_CHECK(context.tableAllowed ==
             allowedActions(context.player, context.handsInRound, context.firstDecision, rules));
  if (input->remaining_bytes() > 0) {
    lastAnswer = kAnswers[input->ConsumeIntegralInRange<std::size_t>(0, kAnswers.size() - 1)];
  }
  if (lastAnswer != kAskPlayerRule) {
    return lastAnswer;
  }
  const ActionSet allowed = context.allowed();
  const int action = PlayerRule(context);
  FUZZ_CHECK(allowed.contains(action));
  return action;
}

int FuzzDealerRule(DecisionContext context) {
  FUZZ_CHECK(context.deck == liveDeck && context.dealer.total() <= 21);
  return input->remaining_bytes() > 0 ? input->ConsumeIntegralInRange(-1, 2) : DealerRule(context);
}

double FuzzBetRule(const Deck* deck) {
  FUZZ_CHECK(deck == liveDeck);
  ruleCalls = 0;  // a new round starts
  return kStakes[input->ConsumeIntegralInRange<std::size_t>(0, kStakes.size() - 1)];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  input = &in;
  lastAnswer = Stand;
  NullBuffer sink;
  const StreamRedirect dropOut(std::cout, &sink);
  const StreamRedirect dropErr(std::cerr, &sink);
  std::srand(in.ConsumeIntegral<unsigned>());
  const GameRules rules = fuzzedRules(in);
  Simulator simulator(FuzzDealerRule, FuzzPlayerRule, FuzzBetRule, rules, CLibraryRandom::shared());
  liveDeck = &simulator.deck();
  int played = 0;
  do {
    if (in.ConsumeBool()) {
      simulator.newRound();
    }
    const int rounds = in.ConsumeIntegralInRange(-1, kMaxRounds - played);
    simulator.simulate(rounds, in.ConsumeBool());
    played += rounds > 0 ? rounds : 0;
    FUZZ_CHECK(simulator.hands().size() <= static_cast<std::size_t>(rules.handLimit()));
    if (played < kMaxRounds && in.ConsumeBool()) {
      // One round unbooked: its two payoffs agree to the rounding of the double.
      const RoundResult result = simulator.playRound(0, false);
      const double exact = static_cast<double>(result.payoffUnits) / kPayoffUnitsPerStake;
      FUZZ_CHECK(std::fabs(result.payoff - exact) <= 1e-9 * (1.0 + std::fabs(exact)));
      FUZZ_CHECK(result.decisions <= static_cast<int>(kMaxRuleCalls));
    }
    double booked = 0.0;
    for (int count = -60; count <= 60; ++count) {
      FUZZ_CHECK(std::isfinite(simulator.payoffAt(count)));
      booked += simulator.frequencyAt(count);
    }
    FUZZ_CHECK(booked == played);
  } while (in.remaining_bytes() > 0 && played < kMaxRounds);
  return 0;
}
