#include "study/study_figures.h"

#include <algorithm>

namespace {

SideFigures sideFigures(const StudyResult& side) {
  const StudyTally& tally = side.tally;
  SideFigures figures;
  std::transform(tally.counts.begin(), tally.counts.end(), figures.counts.begin(),
                 [&tally](const SeriesTally& count) {
                   return count.rounds > 0 ? std::optional(estimate(count, tally.blocks))
                                           : std::nullopt;
                 });
  figures.overall = estimate(tally.all, tally.blocks);
  figures.weighted = estimate(tally.weighted, tally.blocks);
  if (side.config.ramp) {
    figures.ramp = rampFigures(tally, side.config.ramp->weights(), side.config.bankroll, true);
    figures.rampSeries = estimate(tally.ramp, tally.blocks);
  }
  if (side.config.spots) {
    figures.spots = spotFigures(tally, Ramp{}.weights());
    if (side.config.ramp) {
      figures.rampSpots = spotFigures(tally, side.config.ramp->weights());
    }
  }
  const auto rounds = static_cast<double>(tally.all.rounds);
  figures.decisionsPerRound =
      rounds > 0 ? static_cast<double>(side.events.decisions) / rounds : 0.0;
  // The pace counts every round dealt, a wonging player's watched ones too.
  const auto dealt = static_cast<double>(side.roundsPlayed());
  const double playedAnHour = side.config.roundsPerHour() * (dealt > 0 ? rounds / dealt : 1.0);
  figures.perHour = figures.ramp ? hourlyFigures(figures.ramp->evPerRound, figures.ramp->se,
                                                 figures.ramp->sdPerRound, playedAnHour)
                                 : hourlyFigures(figures.overall.mean, figures.overall.se,
                                                 figures.overall.sd, playedAnHour);
  figures.roundsPerSecond = side.seconds > 0 ? dealt / side.seconds : 0.0;
  if (side.events.shoesCounted && side.events.shoes > 0) {
    figures.roundsPerShoe = dealt / static_cast<double>(side.events.shoes);
  }
  return figures;
}

}  // namespace

StudyFigures figuresOf(const StudyResult& result) {
  StudyFigures figures{sideFigures(result), std::nullopt, std::nullopt};
  if (!result.variant) {
    return figures;
  }
  const StudyTally& a = result.tally;
  const Variant& v = *result.variant;
  const StudyTally& b = v.tally;
  figures.variant = sideFigures(variantSide(result));
  DifferenceFigures& d = figures.difference.emplace();
  for (std::size_t slot = 0; slot < d.counts.size(); ++slot) {
    if (a.counts[slot].rounds > 0 && b.counts[slot].rounds > 0) {
      d.counts[slot] = difference(a.counts[slot], b.counts[slot], v.cross.counts[slot], a.blocks);
    }
  }
  d.overall = difference(a.all, b.all, v.cross.all, a.blocks);
  d.weighted = difference(a.weighted, b.weighted, v.cross.weighted, a.blocks);
  if (result.config.ramp && v.config.ramp) {
    d.ramp = difference(a.ramp, b.ramp, v.cross.ramp, a.blocks);
  }
  return figures;
}
