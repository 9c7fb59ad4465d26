// Index generation priced two ways over the same rounds: basic strategy in
// the Illustrious 18's game (six decks dealt to 75%, the dealer standing on
// soft 17, double after split, no surrender, Hi-Lo), every decision priced
// from the proportions of the unseen cards or exactly, every card removed as
// it is dealt. Both price the same decisions (basic strategy's), so a seed
// and a number of blocks fix the rounds; prints the Illustrious 18's rows as
// generated: how far exact pricing moves each index.
//
//   truecount_exact_indices BLOCKS exact|proportions [SEED]   (blocks of 10,000 rounds)
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "count/card_counter.h"
#include "count/count_system.h"
#include "deck/random_source.h"
#include "strategy/deviation_pricer.h"
#include "strategy/deviation_tally.h"
#include "strategy/index_plays.h"
#include "study/games.h"
#include "table/rules.h"
#include "table/simulator.h"

namespace {

constexpr int kRoundsPerBlock = 10'000;

const GeneratedIndex* generatedFor(const std::vector<GeneratedIndex>& indices,
                                   const IndexPlay& play) {
  for (const GeneratedIndex& index : indices) {
    const DeviationKey& key = index.key;
    const int alternative = play.hand == IndexHand::Insurance ? Hit : play.action;
    if (key.hand == play.hand && key.value == play.value && key.upCard == play.upCard &&
        key.alternative == alternative && index.atOrAbove == play.atOrAbove) {
      return &index;
    }
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s BLOCKS exact|proportions [SEED]\n", argv[0]);
    return 2;
  }
  const long blocks = std::atol(argv[1]);
  const DeviationPricing pricing =
      std::strcmp(argv[2], "exact") == 0 ? DeviationPricing::Exact : DeviationPricing::Proportions;
  const auto seed = static_cast<std::uint64_t>(argc > 3 ? std::atoll(argv[3]) : 1);
  const GameRules rules = gameNamed("6d-s17")->rules;
  CardCounter counter(*countNamed("hilo"), rules.decks, TrueCountConversion{});
  DeviationTally tally;
  DeviationPricer pricer(rules, counter, tally, pricing);
  for (long block = 0; block < blocks; ++block) {
    StreamRandom random(seed, static_cast<std::uint64_t>(block));
    Simulator table(DealerRule, pricer, BetRule, rules, random);
    counter.shuffled();
    table.showCardsTo(counter);
    for (int round = 0; round < kRoundsPerBlock; ++round) {
      table.playRound(0, false);
    }
    tally.endBlock();
  }
  const std::vector<GeneratedIndex> indices = generatedIndices(tally);
  std::printf("hand up action index ci95_low ci95_high\n");
  const IndexPlays i18 = *indexSetNamed("i18");
  for (const IndexPlay& play : i18.plays) {
    const GeneratedIndex* found = generatedFor(indices, play);
    std::printf("%d/%d %d %d %s", static_cast<int>(play.hand), play.value, play.upCard, play.action,
                found == nullptr ? "none\n" : "");
    if (found != nullptr) {
      std::printf("%.2f %.2f %.2f\n", found->index, found->low.value_or(NAN),
                  found->high.value_or(NAN));
    }
  }
  return 0;
}
