#include "lab/comparison_report.h"

#include <cmath>
#include <optional>

#include "lab/table_text.h"
#include "study/settings.h"

namespace {

// What the variant changes, by its phrases: "strategy visible".
std::string changesLine(const StudyConfig& study, const StudyConfig& variant) {
  std::string line;
  for (const Setting& setting : studySettings()) {
    if (setting.print(study) != setting.print(variant)) {
      line += (line.empty() ? "" : ", ") + phraseOf(setting, variant);
    }
  }
  return oneLine(line);
}

std::string side(const std::optional<Estimate>& e) {
  if (!e) {
    return format("%13s %10s %9s", "-", "-", "-");
  }
  return format("%13.0f %10s %9s", static_cast<double>(e->rounds), figure(e->mean, "%+.5f").c_str(),
                figure(e->se, "%.5f").c_str());
}

std::string row(const std::string& label, const std::optional<Estimate>& study,
                const std::optional<Estimate>& variant, const std::optional<Difference>& d) {
  std::string text = format("%8s ", label.c_str()) + side(study) + " " + side(variant);
  if (d) {
    text += format(" %10s %9s%s [%s, %s]", figure(d->mean, "%+.5f").c_str(),
                   figure(d->se, "%.5f").c_str(), d->clustered ? " " : "*",
                   figure(d->ciLow, "%+.5f").c_str(), figure(d->ciHigh, "%+.5f").c_str());
  }
  return text;
}

// How far the pairing cut the error of a difference: the rounds two
// independent studies would need for the same error, as a multiple.
std::string pairingLine(const char* what, const Difference& d) {
  return format(
      "%s, variant - study: %s per round, SE %s %s; two independent studies of these rounds "
      "would leave SE %s, so the pairing is worth %s times the rounds\n",
      what, figure(d.mean, "%+.6f").c_str(), figure(d.se, "%.6f").c_str(),
      d.clustered ? "from the paired block results" : "as if rounds were independent",
      figure(d.seUnpaired, "%.6f").c_str(),
      figure((d.seUnpaired / d.se) * (d.seUnpaired / d.se), "%.1f").c_str());
}

// The answer of a comparison: both sides and the variant's difference with
// its 95% interval, in per cent of a unit or units per 100 rounds.
std::string summaryLine(const char* what, const char* unit, double scale, double study,
                        double variant, const Difference& d) {
  const auto shown = [unit, scale](double value) { return figure(scale * value, "%+.3f") + unit; };
  return std::string(what) + ": study " + shown(study) + ", variant " + shown(variant) +
         "; variant - study " + shown(d.mean) + ", 95% interval [" + shown(d.ciLow) + ", " +
         shown(d.ciHigh) + "]\n";
}

// Each side's hour at its own pace: the sides may deal at different paces, so
// the line gives no paired difference.
std::string hourLine(const SideFigures& study, const SideFigures& variant) {
  const auto side = [](const HourlyFigures& h) {
    return format("%s units, 95%% interval [%s, %s], SD %s over %s rounds played",
                  figure(h.win, "%+.2f").c_str(), figure(h.win - kZ95 * h.winSe, "%+.2f").c_str(),
                  figure(h.win + kZ95 * h.winSe, "%+.2f").c_str(), figure(h.sd, "%.2f").c_str(),
                  figure(h.roundsPerHour, "%.5g").c_str());
  };
  return "Per hour: study " + side(study.perHour) + "; variant " + side(variant.perHour) + "\n";
}

// A wonging side's watched rounds are in no tally, so the line says them.
std::string eventsLine(const char* name, const SideFigures& figures, const EventCounts& events,
                       const StudyConfig& config) {
  const std::string watched =
      config.wong != WongLimits{} ? "; rounds watched " + std::to_string(events.roundsWatched) : "";
  const std::string perShoe =
      figures.roundsPerShoe ? format("rounds per shoe %.2f; ", *figures.roundsPerShoe) : "";
  const std::string hands =
      figures.spots
          ? format("hands a round %.4f, their covariance %s of a round's variance; ",
                   figures.spots->averageHands,
                   figure(100.0 * figures.spots->covariance / figures.spots->variance, "%.1f%%")
                       .c_str())
          : "";
  return format("  %-8s decisions per round %.4f; %s%sexhausted shoes in mid-round ", name,
                figures.decisionsPerRound, hands.c_str(), perShoe.c_str()) +
         std::to_string(events.shoeExhausted) + "; hands ended at the decision limit " +
         std::to_string(events.overlongHands) + watched + "\n";
}

}  // namespace

void printComparisonReport(std::ostream& out, const StudyResult& comparison,
                           const StudyFigures& figures, int threads, const ReportOptions& options) {
  const StudyConfig& c = comparison.config;
  const Variant& variant = *comparison.variant;
  const SideFigures& a = figures.study;
  const SideFigures& b = *figures.variant;
  const DifferenceFigures& d = *figures.difference;
  out << "truecount-lab comparison: " << comparison.roundsPlayed() << " of " << c.rounds
      << " rounds in " << comparison.blocks.size() << " of " << c.blockCount()
      << " blocks, each block dealt to both sides from the same shoe\n";
  out << "Study:   " << settingsLine(c) << "\n";
  out << "Variant: " << changesLine(c, variant.config) << "\n\n";
  out << summaryLine("Flat-bet edge", "%", 100, a.overall.mean, b.overall.mean, d.overall);
  if (d.ramp) {
    out << summaryLine("Ramps", " units per 100 rounds", 100, d.ramp->studyMean,
                       d.ramp->variantMean, *d.ramp);
  }
  out << hourLine(a, b);
  if (options.summaryOnly) {
    return;
  }
  out << "\n";
  const bool weighted = showsWeighted(c, options) || showsWeighted(variant.config, options);
  out << format("%8s %34s %34s %s\n", "", "study", "variant", "   variant - study");
  out << format("%8s %13s %10s %9s %13s %10s %9s %10s %9s  %s\n", "count", "rounds", "mean", "se",
                "rounds", "mean", "se", "mean", "se", "95% interval");
  bool anyMarked = false;
  for (std::size_t slot = 0; slot < d.counts.size(); ++slot) {
    const auto& study = a.counts[slot];
    if (study || b.counts[slot]) {
      out << row(std::to_string(static_cast<int>(slot) + kLowestCount), study, b.counts[slot],
                 d.counts[slot])
          << "\n";
      anyMarked = anyMarked || (d.counts[slot] && !d.counts[slot]->clustered);
    }
  }
  out << row("all", a.overall, b.overall, d.overall) << "\n";
  if (weighted) {
    out << row("weighted", a.weighted, b.weighted, d.weighted) << "\n";
  }
  if (d.ramp) {
    out << row("ramp", a.rampSeries, b.rampSeries, d.ramp) << "\n";
  }
  if (anyMarked || !d.overall.clustered) {
    out << "* SE as if rounds were independent: a side's rounds fall in fewer than "
        << kMinClusterBlocks << " blocks\n";
  }
  if (!c.booksLike(variant.config)) {
    out << "The sides book by different counts: a row pairs the same number of two counts, not "
           "the same situations; the all, weighted and ramp rows are the whole studies\n";
  }
  out << "\n" << pairingLine("Flat-bet edge", d.overall);
  if (weighted) {
    out << pairingLine("Count-weighted (truecount's stakes)", d.weighted);
  }
  if (d.ramp) {
    out << pairingLine("Ramps", *d.ramp);
  }
  out << "Events:\n"
      << eventsLine("study", a, comparison.events, c)
      << eventsLine("variant", b, variant.events, variant.config);
  out << paceLine(a.roundsPerSecond, " on each side", comparison.seconds, threads);
}

std::string comparisonCsv(const StudyFigures& figures) {
  const auto value = [](double v) { return std::isfinite(v) ? format("%.9g", v) : std::string(); };
  const auto sideFields = [&value](const std::optional<Estimate>& e) {
    return e ? std::to_string(static_cast<std::uint64_t>(e->rounds)) + "," + value(e->mean) + "," +
                   value(e->se)
             : std::string(",,");
  };
  std::string csv =
      "count,study_rounds,study_mean,study_se,variant_rounds,variant_mean,variant_se,difference,"
      "se,se_unpaired,ci95_low,ci95_high,se_method\n";
  for (std::size_t slot = 0; slot < kCountSlots; ++slot) {
    const auto& study = figures.study.counts[slot];
    const auto& variant = figures.variant->counts[slot];
    if (!study && !variant) {
      continue;
    }
    const auto& d = figures.difference->counts[slot];
    csv += std::to_string(static_cast<int>(slot) + kLowestCount) + "," + sideFields(study) + "," +
           sideFields(variant) + ",";
    csv += d ? value(d->mean) + "," + value(d->se) + "," + value(d->seUnpaired) + "," +
                   value(d->ciLow) + "," + value(d->ciHigh) + "," +
                   (d->clustered ? "cluster" : "naive")
             : std::string(",,,,,");
    csv += "\n";
  }
  return csv;
}
