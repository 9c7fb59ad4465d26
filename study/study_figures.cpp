#include "study/study_figures.h"

StudyFigures figuresOf(const StudyResult& result) {
  const StudyTally& tally = result.tally;
  StudyFigures figures;
  auto figure = figures.counts.begin();
  for (const SeriesTally& count : tally.counts) {
    if (count.rounds > 0) {
      *figure = estimate(count, tally.blocks);
    }
    ++figure;
  }
  figures.overall = estimate(tally.all, tally.blocks);
  figures.weighted = estimate(tally.weighted, tally.blocks);
  if (result.config.ramp) {
    figures.ramp = rampFigures(tally, result.config.ramp->weights(), result.config.bankroll);
  }
  const auto rounds = static_cast<double>(tally.all.rounds);
  figures.decisionsPerRound =
      rounds > 0 ? static_cast<double>(result.events.decisions) / rounds : 0.0;
  figures.roundsPerSecond = result.seconds > 0 ? rounds / result.seconds : 0.0;
  return figures;
}
