#include "lab/report.h"

#include <cmath>
#include <string>

#include "lab/table_text.h"
#include "study/text_values.h"

namespace {

std::string row(const std::string& label, const Estimate& e, double total) {
  const auto rounds = static_cast<double>(e.rounds);
  return format("%7s %13.0f %8s %10s %8s %9s%s [%s, %s]", label.c_str(), rounds,
                figure(100.0 * rounds / total, "%.3f%%").c_str(), figure(e.mean, "%+.5f").c_str(),
                figure(e.sd, "%.4f").c_str(), figure(e.se, "%.5f").c_str(), e.clustered ? " " : "*",
                figure(e.ciLow, "%+.5f").c_str(), figure(e.ciHigh, "%+.5f").c_str());
}

void printScore(std::ostream& out, const RampFigures& ramp) {
  out << format(
      "  DI %s (1000 EV / SD); SCORE %s (the expected win per 100 rounds with this ramp's shape "
      "scaled to its growth-optimal size for a bankroll of %lld units)\n",
      figure(ramp.di, "%.2f").c_str(), figure(ramp.score, "%.2f").c_str(),
      static_cast<long long>(kScoreBankroll));
}

void printRamp(std::ostream& out, const StudyResult& result, const RampFigures& ramp) {
  out << "Ramp " << result.config.ramp->text() << " (stake per count, from each count upward)\n";
  out << format(
      "  average initial bet %.4f units; expected win %+.5f per round (SE %.5f), %+.3f per "
      "100 rounds; SD %.4f per round\n",
      ramp.averageBet, ramp.evPerRound, ramp.se, ramp.evPer100, ramp.sdPerRound);
  out << "  N0 (rounds until the expected win equals one SD): " << figure(ramp.n0, "%.0f") << "\n";
  printScore(out, ramp);
  if (ramp.riskOfRuin) {
    out << format(
        "  risk of ruin with a bankroll of %.0f units, playing for ever: %s "
        "(diffusion approximation exp(-2 EV B / SD^2))\n",
        *result.config.bankroll, riskText(*ramp.riskOfRuin).c_str());
  }
}

// An hour's win with its interval, its SD and, when it wins, N0 in hours.
void printHour(std::ostream& out, const HourlyFigures& hour, const char* play) {
  out << format("Per hour, %s rounds %s: %s units, 95%% interval [%s, %s]; SD %s units",
                figure(hour.roundsPerHour, "%.5g").c_str(), play, figure(hour.win, "%+.2f").c_str(),
                figure(hour.win - kZ95 * hour.winSe, "%+.2f").c_str(),
                figure(hour.win + kZ95 * hour.winSe, "%+.2f").c_str(),
                figure(hour.sd, "%.2f").c_str());
  if (hour.win > 0) {
    out << "; N0 " << figure(hour.n0Hours, "%.1f") << " hours";
  }
  out << "\n";
}

// The answer: the flat-bet edge in per cent and what the ramp earns, at what
// risk.
void printSummary(std::ostream& out, const StudyResult& result, const SideFigures& figures) {
  const Estimate& e = figures.overall;
  out << "Flat-bet edge " << percent(e.mean) << " per round, 95% interval [" << percent(e.ciLow)
      << ", " << percent(e.ciHigh) << "]\n";
  if (figures.ramp) {
    const RampFigures& r = *figures.ramp;
    out << format(
        "Ramp: %s units per 100 rounds, 95%% interval [%s, %s]; average bet %.3f units; SD %.3f "
        "per round\n",
        figure(r.evPer100, "%+.3f").c_str(),
        figure(r.evPer100 - 100 * kZ95 * r.se, "%+.3f").c_str(),
        figure(r.evPer100 + 100 * kZ95 * r.se, "%+.3f").c_str(), r.averageBet, r.sdPerRound);
    out << "  N0 " << figure(r.n0, "%.0f") << " rounds; SCORE " << figure(r.score, "%.2f")
        << "; DI " << figure(r.di, "%.2f");
    if (r.riskOfRuin) {
      out << "; risk of ruin " << riskText(*r.riskOfRuin) << " with a bankroll of "
          << shortestText(*result.config.bankroll) << " units";
    }
    out << "\n";
  }
  printHour(out, figures.perHour, figures.ramp ? "of the ramp" : "at a flat bet");
}

// The hands of a spread round and what their covariance adds to its variance,
// at `stake` (one unit a hand, or the ramp's stakes).
void printSpots(std::ostream& out, const SpotFigures& spots, const char* stake) {
  out << format(
      "  %s: %.3f units staked a round, %s per unit staked; the hands' covariance adds %s to a "
      "round's variance of %s (%s)\n",
      stake, spots.averageStake, figure(100.0 * spots.perHand, "%+.3f%%").c_str(),
      figure(spots.covariance, "%.4f").c_str(), figure(spots.variance, "%.4f").c_str(),
      figure(100.0 * spots.covariance / spots.variance, "%.1f%%").c_str());
}

// The flat-bet, count-weighted and ramp figures of a study with rounds.
void printEdges(std::ostream& out, const StudyResult& result, const SideFigures& figures,
                const ReportOptions& options) {
  const bool clustered = figures.overall.clustered;
  out << format("Flat-bet edge: %+.5f per round, SE %.5f (%s; independent-rounds SE %.5f)\n",
                figures.overall.mean, figures.overall.se,
                clustered ? "from the spread of block results"
                          : "as if rounds were independent: too few blocks",
                figures.overall.seNaive);
  if (showsWeighted(result.config, options)) {
    out << format(
        "Count-weighted (bet 2 units per count above zero, 1 otherwise): %+.5f per "
        "round, SE %.5f\n",
        figures.weighted.mean, figures.weighted.se);
  }
  if (figures.ramp) {
    printRamp(out, result, *figures.ramp);
  }
  if (figures.spots) {
    out << format("Spots %s: %.4f hands a round on average\n", result.config.spots->text().c_str(),
                  figures.spots->averageHands);
    printSpots(out, *figures.spots, "one unit a hand");
    if (figures.rampSpots) {
      printSpots(out, *figures.rampSpots, "the ramp's stake a hand");
    }
  }
}

void printEvents(std::ostream& out, const StudyResult& result, const SideFigures& figures,
                 int threads) {
  out << format("Decisions per round: %.4f\n", figures.decisionsPerRound);
  if (figures.roundsPerShoe) {
    out << format("Rounds per shoe: %.2f\n", *figures.roundsPerShoe);
  }
  out << "Exhausted shoes in mid-round: " << result.events.shoeExhausted
      << "; hands ended at the decision limit: " << result.events.overlongHands << "\n";
  out << paceLine(figures.roundsPerSecond, "", result.seconds, threads);
}

}  // namespace

void printStudyReport(std::ostream& out, const StudyResult& result, const StudyFigures& figures,
                      int threads, const ReportOptions& options) {
  const StudyConfig& c = result.config;
  const SideFigures& study = figures.study;
  const auto total = static_cast<double>(study.overall.rounds);
  out << "truecount-lab study: " << result.roundsPlayed() << " of " << c.rounds << " rounds in "
      << result.blocks.size() << " of " << c.blockCount() << " blocks\n";
  if (c.wong != WongLimits{}) {
    out << "Rounds played " << toDecimal(result.tally.all.rounds) << ", watched "
        << result.events.roundsWatched << " (wonging): the figures cover the rounds played\n";
  }
  out << "Settings: " << settingsLine(c) << "\n\n";
  if (result.tally.all.rounds != 0) {
    printSummary(out, result, study);
    out << (options.summaryOnly ? "" : "\n");
  } else if (options.summaryOnly) {
    out << "No round played, so no figures\n";
  }
  if (options.summaryOnly) {
    return;
  }
  out << format("%7s %13s %8s %10s %8s %9s  %s\n", "count", "rounds", "share", "mean", "sd", "se",
                "95% interval");
  bool anyMarked = !study.overall.clustered;
  int count = kLowestCount;
  for (const std::optional<Estimate>& e : study.counts) {
    if (e) {
      out << row(std::to_string(count), *e, total) << "\n";
      anyMarked = anyMarked || !e->clustered;
    }
    ++count;
  }
  out << row("all", study.overall, total) << "\n";
  if (anyMarked) {
    out << "* SE as if rounds were independent: the rounds fall in fewer than " << kMinClusterBlocks
        << " blocks\n";
  }
  out << "\n";
  if (result.tally.all.rounds == 0) {
    out << "No round played, so no figures"
        << (c.wong != WongLimits{} ? ": every round dealt was watched" : "") << "\n";
  } else {
    printEdges(out, result, study, options);
  }
  printEvents(out, result, study, threads);
}

namespace {

// A generated index's row, as the table and the CSV name them.
struct IndexRow {
  std::string hand;
  std::string upCard;
  std::string basic;
  std::string deviation;
  std::string index;
  std::string low;
  std::string high;
  std::string decisions;
  std::string direction;
};

IndexRow indexRow(const GeneratedIndex& found) {
  const DeviationKey& key = found.key;
  const bool insurance = key.hand == IndexHand::Insurance;
  const auto count = [](const std::optional<double>& value) {
    return value ? format("%.2f", *value) : std::string();
  };
  return {handText(key.hand, key.value),
          upCardText(key.upCard),
          insurance ? "decline" : std::string(actionWord(key.basic)),
          insurance ? "insure" : std::string(actionWord(key.alternative)),
          format("%.2f", found.index),
          count(found.low),
          count(found.high),
          toDecimal(found.decisions),
          found.atOrAbove ? ">=" : "<="};
}

}  // namespace

void printIndexReport(std::ostream& out, const StudyResult& study,
                      const std::vector<GeneratedIndex>& indices, int threads) {
  const StudyConfig& c = study.config;
  out << "truecount-lab indices: " << study.roundsPlayed() << " of " << c.rounds << " rounds in "
      << study.blocks.size() << " of " << c.blockCount() << " blocks, " << study.events.decisions
      << " decisions priced\n";
  out << "Settings: " << settingsLine(c) << "\n";
  out << "The deviation is better than basic strategy at true counts at or above (>=) or at or "
         "below (<=) the index: where the mean price difference crosses zero, with the counts "
         "where mean +- 1.96 se cross it\n\n";
  out << format("%-9s %-2s %-9s %-9s %2s %7s  %-17s %12s\n", "hand", "up", "basic", "deviation", "",
                "index", "95% interval", "decisions");
  for (const GeneratedIndex& found : indices) {
    const IndexRow r = indexRow(found);
    const std::string interval =
        "[" + (r.low.empty() ? "n/a" : r.low) + ", " + (r.high.empty() ? "n/a" : r.high) + "]";
    out << format("%-9s %-2s %-9s %-9s %2s %7s  %-17s %12s\n", r.hand.c_str(), r.upCard.c_str(),
                  r.basic.c_str(), r.deviation.c_str(), r.direction.c_str(), r.index.c_str(),
                  interval.c_str(), r.decisions.c_str());
  }
  if (threads > 0 && study.seconds > 0) {
    out << format("Pace: %.0f rounds, %.0f decisions priced per second in %.1f s on %d thread%s\n",
                  static_cast<double>(study.roundsPlayed()) / study.seconds,
                  static_cast<double>(study.events.decisions) / study.seconds, study.seconds,
                  threads, threads == 1 ? "" : "s");
  }
}

std::string indexCsv(const std::vector<GeneratedIndex>& indices) {
  std::string csv = "hand,up_card,basic,deviation,index,ci95_low,ci95_high,decisions,direction\n";
  for (const GeneratedIndex& found : indices) {
    const IndexRow r = indexRow(found);
    const std::string hand = r.hand.find(',') != std::string::npos ? "\"" + r.hand + "\"" : r.hand;
    csv += hand + "," + r.upCard + "," + r.basic + "," + r.deviation + "," + r.index + "," + r.low +
           "," + r.high + "," + r.decisions + "," + r.direction + "\n";
  }
  return csv;
}

std::string studyCsv(const StudyFigures& figures) {
  const auto total = static_cast<double>(figures.study.overall.rounds);
  std::string csv = "count,rounds,share,mean,sd,se,se_naive,ci95_low,ci95_high,se_method\n";
  for (int slot = 0; slot < kCountSlots; ++slot) {
    const auto& e = figures.study.counts[static_cast<std::size_t>(slot)];
    if (!e) {
      continue;
    }
    const auto value = [](double v) {
      return std::isfinite(v) ? format("%.9g", v) : std::string();
    };
    csv += std::to_string(slot + kLowestCount) + "," +
           std::to_string(static_cast<std::uint64_t>(e->rounds)) + "," +
           value(static_cast<double>(e->rounds) / total) + "," + value(e->mean) + "," +
           value(e->sd) + "," + value(e->se) + "," + value(e->seNaive) + "," + value(e->ciLow) +
           "," + value(e->ciHigh) + "," + (e->clustered ? "cluster" : "naive") + "\n";
  }
  return csv;
}

void printKellyRamp(std::ostream& out, const StudyResult& study, const RampRequest& request,
                    const Ramp& ramp) {
  const StudyTally& tally = study.tally;
  const KellySizing& sizing = request.sizing;
  const CountWeights stakes = ramp.weights();
  const RampFigures f = rampFigures(tally, stakes, sizing.bankroll, false);
  out << "--ramp " << ramp.text() << "\n";
  out << "Growth-optimal stakes for a bankroll of " << shortestText(sizing.bankroll)
      << " units: " << shortestText(sizing.fraction) << " of the Kelly stake, "
      << sizing.spread.least << " to " << sizing.spread.most << " units, counts of "
      << sizing.minRounds << " rounds or more"
      << (sizing.mayFall ? ", each at its own stake"
                         : ", a count pooled with those below it where its stake would fall")
      << "; from the " << toDecimal(tally.all.rounds) << " rounds played of " << request.file
      << "\n";
  out << "Settings: " << settingsLine(study.config) << "\n\n";
  out << format("%7s %13s %10s %8s %10s %6s\n", "count", "rounds", "mean", "E[x^2]", "Kelly",
                "stake");
  constexpr double kUnitsSquared = kPayoffUnitsPerStake * kPayoffUnitsPerStake;
  for (int count = kLowestCount; count <= kHighestCount; ++count) {
    const SeriesTally& t = tally.counts[countSlot(count)];
    if (t.rounds == 0) {
      continue;
    }
    const auto rounds = static_cast<double>(t.rounds);
    out << format("%7d %13.0f %+10.5f %8.4f %10.2f %6lld%s\n", count, rounds,
                  estimate(t, tally.blocks).mean,
                  static_cast<double>(t.sumSquares) / (kUnitsSquared * rounds),
                  kellyStake(t, sizing), static_cast<long long>(stakes[countSlot(count)]),
                  t.rounds < sizing.minRounds ? " (passed over: fewer rounds)" : "");
  }
  out << format(
      "\nAverage initial bet %.4f units; expected win %+.3f per 100 rounds, 95%% interval "
      "[%s, %s] (from each count's standard error, the counts treated as independent); SD "
      "%.4f per round\n",
      f.averageBet, f.evPer100, figure(f.evPer100 - 100 * kZ95 * f.seByCount, "%+.3f").c_str(),
      figure(f.evPer100 + 100 * kZ95 * f.seByCount, "%+.3f").c_str(), f.sdPerRound);
  printScore(out, f);
  out << "  N0 (rounds until the expected win equals one SD): " << figure(f.n0, "%.0f") << "\n";
  out << "  risk of ruin with a bankroll of " << shortestText(sizing.bankroll)
      << " units, playing for ever: " << riskText(*f.riskOfRuin)
      << " (diffusion approximation exp(-2 EV B / SD^2))\n";
}
