// Plays a given number of rounds with the program's real rules and a fixed
// seed, without progress output, and reports how many player
// decisions they took: the whole-loop workload for profilers such as callgrind.
#include <cstdlib>
#include <iostream>

#include "strategy/player_rule.h"
#include "table/rules.h"
#include "table/simulator.h"

namespace {

long long decisions = 0;

int countingPlayerRule(DecisionContext context) {
  ++decisions;
  return PlayerRule(context);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::atoi(argv[1]) : 5000;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 1U;
  std::srand(seed);
  Simulator simulator(DealerRule, countingPlayerRule, BetRule, kHouseRules,
                      CLibraryRandom::shared());
  simulator.newRound();
  simulator.simulate(rounds, false);
  std::cout << rounds << " rounds, " << decisions << " player decisions\n";
  return 0;
}
