#include "driver/program.h"

#include <cstdlib>
#include <ctime>
#include <iostream>
#include <locale>

#include "driver/console_observer.h"
#include "driver/payoff_report.h"
#include "strategy/player_rule.h"
#include "table/rules.h"
#include "table/simulator.h"

namespace {

constexpr int kCompleteRunStatus = 1;

void printBanner() {
  std::cout << "Start to simulate " << run_config::kRounds << " games." << std::endl;
  std::cout << "  Number of decks: " << kHouseRules.decks << std::endl;
  std::cout << "  Shuffle after " << kHouseRules.reshuffleAfter << " cards" << std::endl;
}

unsigned clockSeed() {
  return static_cast<unsigned>(std::time(nullptr));
}

}  // namespace

void configureStreams() {
  std::cout.imbue(std::locale::classic());
  std::cerr.imbue(std::locale::classic());
  std::cerr.tie(&std::cout);
  std::cerr.setf(std::ios::unitbuf);
}

int runProgram(const ProgramOptions& options) {
  configureStreams();
  if (!options.selfTests()) {
    std::cerr << "FAIL ONE OR MORE TESTS!" << std::endl;
  }
  std::srand(options.seed.value_or(clockSeed()));
  printBanner();
  {
    ConsoleObserver console;
    Simulator simulator(DealerRule, PlayerRule, BetRule, kHouseRules, CLibraryRandom::shared(),
                        console);
    simulator.newRound();
    simulator.simulate(run_config::kRounds, run_config::kTrace);
    printPayoffReport(simulator.payoffTable());
  }
  return kCompleteRunStatus;
}
