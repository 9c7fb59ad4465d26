#include "study/study_figures.h"

#include <algorithm>

StudyFigures figuresOf(const StudyResult& result) {
  const StudyTally& tally = result.tally;
  StudyFigures figures;
  std::transform(tally.counts.begin(), tally.counts.end(), figures.counts.begin(),
                 [&tally](const SeriesTally& count) {
                   return count.rounds > 0 ? std::optional(estimate(count, tally.blocks))
                                           : std::nullopt;
                 });
  figures.overall = estimate(tally.all, tally.blocks);
  figures.weighted = estimate(tally.weighted, tally.blocks);
  if (result.config.ramp) {
    figures.ramp = rampFigures(tally, result.config.ramp->weights(), result.config.bankroll, true);
  }
  const auto rounds = static_cast<double>(tally.all.rounds);
  figures.decisionsPerRound =
      rounds > 0 ? static_cast<double>(result.events.decisions) / rounds : 0.0;
  figures.roundsPerSecond = result.seconds > 0 ? rounds / result.seconds : 0.0;
  return figures;
}
