#include "study/study_figures.h"

StudyFigures figuresOf(const StudyResult& result) {
  StudyFigures figures;
  const StudyTally& tally = result.tally;
  for (int slot = 0; slot < kCountSlots; ++slot) {
    const SeriesTally& count = tally.counts[static_cast<std::size_t>(slot)];
    if (count.rounds > 0) {
      figures.counts[static_cast<std::size_t>(slot)] = estimate(count, tally.blocks);
    }
  }
  figures.overall = estimate(tally.all, tally.blocks);
  figures.weighted = estimate(tally.weighted, tally.blocks);
  if (result.config.ramp) {
    figures.ramp = rampFigures(tally, result.config.ramp->weights(), result.config.bankroll);
  }
  const auto rounds = static_cast<double>(tally.all.rounds);
  if (rounds > 0) {
    figures.decisionsPerRound = static_cast<double>(result.events.decisions) / rounds;
  }
  if (result.seconds > 0) {
    figures.roundsPerSecond = rounds / result.seconds;
  }
  return figures;
}
