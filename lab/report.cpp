#include "lab/report.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "study/settings.h"

namespace {

// printf-style formatting into a string: the table's columns are fixed-width.
template <typename... Args>
std::string format(const char* pattern, Args... args) {
  std::array<char, 256> buffer{};
  std::snprintf(buffer.data(), buffer.size(), pattern, args...);
  return buffer.data();
}

std::string figure(double value, const char* pattern) {
  return std::isfinite(value) ? format(pattern, value) : std::string("n/a");
}

std::string settingsLine(const StudyConfig& c) {
  std::string line;
  for (const Setting& setting : studySettings()) {
    line += (line.empty() ? "" : ", ") + phraseOf(setting, c);
  }
  // An index file's rows, on the one line.
  for (auto at = line.find('\n'); at != std::string::npos; at = line.find('\n', at)) {
    line.replace(at, 1, at + 1 == line.size() || line[at + 1] == ',' ? "" : "; ");
  }
  return line;
}

std::string row(const std::string& label, const Estimate& e, double total) {
  const auto rounds = static_cast<double>(e.rounds);
  return format("%7s %13.0f %7.3f%% %+10.5f %8s %9s%s [%s, %s]", label.c_str(), rounds,
                100.0 * rounds / total, e.mean, figure(e.sd, "%.4f").c_str(),
                figure(e.se, "%.5f").c_str(), e.clustered ? " " : "*",
                figure(e.ciLow, "%+.5f").c_str(), figure(e.ciHigh, "%+.5f").c_str());
}

void printRamp(std::ostream& out, const StudyResult& result, const RampFigures& ramp) {
  out << "Ramp " << result.config.ramp->text() << " (stake per count, from each count upward)\n";
  out << format(
      "  average initial bet %.4f units; expected win %+.5f per round (SE %.5f), %+.3f per "
      "100 rounds; SD %.4f per round\n",
      ramp.averageBet, ramp.evPerRound, ramp.se, ramp.evPer100, ramp.sdPerRound);
  out << "  N0 (rounds until the expected win equals one SD): " << figure(ramp.n0, "%.0f") << "\n";
  if (ramp.riskOfRuin) {
    out << format(
        "  risk of ruin with a bankroll of %.0f units, playing for ever: %s "
        "(diffusion approximation exp(-2 EV B / SD^2))\n",
        *result.config.bankroll, figure(*ramp.riskOfRuin, "%.4f").c_str());
  }
}

}  // namespace

void printStudyReport(std::ostream& out, const StudyResult& result, const StudyFigures& figures,
                      int threads) {
  const StudyConfig& c = result.config;
  const auto total = static_cast<double>(result.tally.all.rounds);
  out << "truecount-lab study: " << result.roundsPlayed() << " of " << c.rounds << " rounds in "
      << result.blocks.size() << " of " << c.blockCount() << " blocks\n";
  if (c.wong != WongLimits{}) {
    out << "Rounds played " << toDecimal(result.tally.all.rounds) << ", watched "
        << result.events.roundsWatched << " (wonging): the figures cover the rounds played\n";
  }
  out << "Settings: " << settingsLine(c) << "\n\n";
  out << format("%7s %13s %8s %10s %8s %9s  %s\n", "count", "rounds", "share", "mean", "sd", "se",
                "95% interval");
  bool anyMarked = !figures.overall.clustered;
  int count = kLowestCount;
  for (const std::optional<Estimate>& e : figures.counts) {
    if (e) {
      out << row(std::to_string(count), *e, total) << "\n";
      anyMarked = anyMarked || !e->clustered;
    }
    ++count;
  }
  out << row("all", figures.overall, total) << "\n";
  if (anyMarked) {
    out << "* SE as if rounds were independent: the rounds fall in fewer than " << kMinClusterBlocks
        << " blocks\n";
  }
  out << "\n";
  const bool clustered = figures.overall.clustered;
  out << format("Flat-bet edge: %+.5f per round, SE %.5f (%s; independent-rounds SE %.5f)\n",
                figures.overall.mean, figures.overall.se,
                clustered ? "from the spread of block results"
                          : "as if rounds were independent: too few blocks",
                figures.overall.seNaive);
  out << format(
      "Count-weighted (bet 2 units per count above zero, 1 otherwise): %+.5f per "
      "round, SE %.5f\n",
      figures.weighted.mean, figures.weighted.se);
  if (figures.ramp) {
    printRamp(out, result, *figures.ramp);
  }
  out << format("Decisions per round: %.4f\n", figures.decisionsPerRound);
  out << "Exhausted shoes in mid-round: " << result.events.shoeExhausted
      << "; hands ended at the decision limit: " << result.events.overlongHands << "\n";
  if (threads > 0) {
    out << format("Pace: %.0f rounds per second in %.1f s on %d thread%s\n",
                  figures.roundsPerSecond, result.seconds, threads, threads == 1 ? "" : "s");
  } else {
    out << format("Pace: %.0f rounds per second over the %.1f s the runs took\n",
                  figures.roundsPerSecond, result.seconds);
  }
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

std::string studyCsv(const StudyResult& result, const StudyFigures& figures) {
  const auto total = static_cast<double>(result.tally.all.rounds);
  std::string csv = "count,rounds,share,mean,sd,se,se_naive,ci95_low,ci95_high,se_method\n";
  for (int slot = 0; slot < kCountSlots; ++slot) {
    const auto& e = figures.counts[static_cast<std::size_t>(slot)];
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
