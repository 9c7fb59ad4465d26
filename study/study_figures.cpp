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
  // The pace counts every round dealt, a wonging player's watched ones too.
  const auto dealt = static_cast<double>(result.roundsPlayed());
  figures.roundsPerSecond = result.seconds > 0 ? dealt / result.seconds : 0.0;
  return figures;
}

ComparisonFigures comparisonFiguresOf(const StudyResult& comparison) {
  const StudyTally& a = comparison.tally;
  const Variant& v = *comparison.variant;
  const StudyTally& b = v.tally;
  ComparisonFigures figures{figuresOf(variantSide(comparison)), {}};
  DifferenceFigures& d = figures.difference;
  for (std::size_t slot = 0; slot < d.counts.size(); ++slot) {
    if (a.counts[slot].rounds > 0 && b.counts[slot].rounds > 0) {
      d.counts[slot] = difference(a.counts[slot], b.counts[slot], v.cross.counts[slot], a.blocks);
    }
  }
  d.overall = difference(a.all, b.all, v.cross.all, a.blocks);
  d.weighted = difference(a.weighted, b.weighted, v.cross.weighted, a.blocks);
  if (comparison.config.ramp && v.config.ramp) {
    d.ramp = difference(a.ramp, b.ramp, v.cross.ramp, a.blocks);
  }
  return figures;
}
