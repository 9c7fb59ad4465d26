#include "lab/commands.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <exception>
#include <sstream>
#include <thread>
#include <vector>

#include "lab/chart_report.h"
#include "lab/comparison_report.h"
#include "lab/edge_report.h"
#include "lab/message.h"
#include "lab/parallel_run.h"
#include "lab/progress_line.h"
#include "lab/report.h"
#include "lab/result_json.h"
#include "lab/signals.h"
#include "lab/study_files.h"
#include "lab/trip_report.h"
#include "strategy/chart.h"
#include "strategy/player_rule.h"
#include "study/settings.h"

namespace {

// Writes the study to its file (or a saved copy), the CSV, then the table.
Outcome finish(const StudyResult& study, const Outputs& outputs, int threads,
               const ReportOptions& report) {
  const StudyFigures figures = figuresOf(study);
  bool written = true;
  if (outputs.json) {
    const auto saved = saveStudy(studyToJson(study, figures), outputs.json);
    if (saved != outputs.json->path()) {
      written = false;
      say(saved ? "the study is saved in " + *saved : "no file could take the study");
    }
  }
  if (outputs.csv) {
    const std::string csv = study.variant ? comparisonCsv(figures) : studyCsv(figures);
    if (const auto error = outputs.csv->commit(csv)) {
      written = false;
      say(*error);
    }
  }
  std::ostringstream table;
  if (study.variant) {
    printComparisonReport(table, study, figures, threads, report);
  } else {
    printStudyReport(table, study, figures, threads, report);
  }
  if (!writeAll(STDOUT_FILENO, table.str())) {
    say(std::string("cannot write the table to standard output: ") + std::strerror(errno));
    written = false;
  }
  return written ? Outcome::Done : Outcome::WriteFailed;
}

Outcome saveInterrupted(const StudyResult& study, const Outputs& outputs,
                        const RunRequest& request) {
  const auto saved = saveStudy(studyToJson(study, figuresOf(study)), outputs.json);
  const std::string played = std::to_string(study.blocks.size());
  if (!saved) {
    say("interrupted, and no file could take the " + played + " blocks played");
    return Outcome::WriteFailed;
  }
  say("interrupted; " + played + " of " + std::to_string(study.target().size()) +
      " blocks written to " + *saved + "; continue with: truecount-lab " +
      (study.variant ? "compare" : "run") + " --resume " + *saved + " --threads " +
      std::to_string(request.threads) + (request.csv.empty() ? "" : " --csv " + request.csv));
  return Outcome::Interrupted;
}

// Rewrites the study file with the blocks played so far, every interval the
// request asks for: a kill then loses at most that much work. A checkpoint
// that cannot be written is said once; the last one written stays.
std::optional<Checkpoints> checkpointsOf(const RunRequest& request, const Outputs& outputs) {
  if (request.checkpoint.count() == 0 || !outputs.json || !outputs.json->replacedWhole()) {
    return std::nullopt;
  }
  const OutputFile& file = *outputs.json;
  return Checkpoints{request.checkpoint,
                     [failed = false, &file](const StudyResult& partial) mutable {
                       std::optional<std::string> error;
                       try {
                         error = file.commit(studyToJson(partial, figuresOf(partial)));
                       } catch (const std::exception& problem) {
                         error = problem.what();
                       }
                       if (error && !failed) {
                         failed = true;
                         say("checkpoint not written (" + *error +
                             "); the run goes on, keeping the last checkpoint");
                       }
                     }};
}

void stopIfAsked() {
  if (stopRequests().load() != kRunOn) {
    throw Interrupted{};
  }
}

}  // namespace

Outcome runStudy(const RunRequest& request) {
  const std::string jsonPath = !request.json.empty() ? request.json : request.resume;
  const std::vector<std::string> inputs = {request.resume};
  const Outputs outputs = prepareOutputs(jsonPath, request.csv, inputs, request.resume);
  StudyResult study;
  if (request.resume.empty()) {
    study.config = request.config;
    study.shard = request.shard;
    if (request.variant) {
      study.variant = Variant{*request.variant, {}, {}, {}};
    }
  } else {
    study = readStudyFile(request.resume);
    if (study.closed) {
      throw BadInput{request.resume + ": " + *study.closed};
    }
    if (study.variant.has_value() != request.compare) {
      throw BadInput{request.resume + ": " +
                     (study.variant ? "a comparison; resume it with truecount-lab compare --resume"
                                    : "a study; resume it with truecount-lab run --resume")};
    }
  }
  stopIfAsked();
  const BlockSet missing = study.target().without(study.blocks);
  ProgressLine progress(!request.quiet && ::isatty(STDERR_FILENO) == 1, study.roundsPlayed(),
                        study.targetRounds());
  const auto checkpoints = checkpointsOf(request, outputs);
  playBlocks(
      study, missing, request.threads, stopRequests(),
      [&progress](std::uint64_t done) { progress.update(done); }, nullptr,
      checkpoints ? &*checkpoints : nullptr);
  progress.clear();
  if (!study.complete()) {
    return saveInterrupted(study, outputs, request);
  }
  return finish(study, outputs, request.threads, request.report);
}

Outcome generateIndices(const IndicesRequest& request) {
  const Outputs outputs = prepareOutputs("", request.csv, {}, "");
  StudyResult study;
  study.config = request.config;
  DeviationTally deviations;
  ProgressLine progress(!request.quiet && ::isatty(STDERR_FILENO) == 1, 0, study.targetRounds());
  playBlocks(
      study, study.target(), request.threads, stopRequests(),
      [&progress](std::uint64_t done) { progress.update(done); }, &deviations);
  progress.clear();
  const std::vector<GeneratedIndex> indices = generatedIndices(deviations);
  bool written = true;
  if (outputs.csv) {
    if (const auto error = outputs.csv->commit(indexCsv(indices))) {
      written = false;
      say(*error);
    }
  }
  std::ostringstream table;
  printIndexReport(table, study, indices, request.threads);
  if (!writeAll(STDOUT_FILENO, table.str())) {
    say(std::string("cannot write the table to standard output: ") + std::strerror(errno));
    written = false;
  }
  if (!study.complete()) {
    say("interrupted: the indices above are from " + std::to_string(study.blocks.size()) + " of " +
        std::to_string(study.target().size()) + " blocks");
    return Outcome::Interrupted;
  }
  return written ? Outcome::Done : Outcome::WriteFailed;
}

Outcome mergeStudies(const MergeRequest& request) {
  const Outputs outputs = prepareOutputs(request.json, request.csv, request.files, "");
  std::vector<StudyResult> studies;
  for (const std::string& file : request.files) {
    studies.push_back(readStudyFile(file));
    if (studies.back().closed) {
      throw BadInput{file + ": " + *studies.back().closed};
    }
    stopIfAsked();
  }
  StudyResult merged = studies.front();
  for (std::size_t i = 1; i < studies.size(); ++i) {
    if (auto error = mergeInto(merged, studies[i])) {
      // Name the file it conflicts with: the first one for other settings (all
      // merged so far share its settings), else the first that shares blocks.
      const BlockSet blocks = studies[i].studyBlocks();
      const auto shares =
          std::find_if(studies.begin(), studies.begin() + static_cast<std::ptrdiff_t>(i),
                       [&](const auto& s) { return s.studyBlocks().overlaps(blocks); });
      const auto other = firstDifference(merged.config, studies[i].config)
                             ? 0
                             : std::distance(studies.begin(), shares);
      throw BadInput{request.files[i] + " cannot be merged with " +
                     request.files[static_cast<std::size_t>(other)] + ": " + *error};
    }
    stopIfAsked();
  }
  if (!merged.complete()) {
    say("note: the merged study holds " + std::to_string(merged.blocks.size()) + " of " +
        std::to_string(merged.target().size()) + " blocks; " +
        (merged.variant ? "compare" : "run") + " --resume on its file to complete it");
  }
  return finish(merged, outputs, 0, request.report);
}

Outcome printChart(const ChartRequest& request) {
  const Outputs outputs = prepareOutputs("", request.csv, {}, "");
  const GameRules& rules = request.config.rules;
  const StrategyChart chart = chartOf(BasicStrategy(rules), rules);
  const GameValue game = gameValue(rules, CardCounts::shoe(rules.decks), ExactPlay::TotalDependent);
  bool written = true;
  if (outputs.csv) {
    if (const auto error = outputs.csv->commit(chartCsv(chart))) {
      written = false;
      say(*error);
    }
  }
  if (!writeAll(STDOUT_FILENO, chartText(chart, request.config) + chartEdgeLine(game))) {
    say(std::string("cannot write the chart to standard output: ") + std::strerror(errno));
    written = false;
  }
  return written ? Outcome::Done : Outcome::WriteFailed;
}

namespace {

// Writes `text` to `file` when one was asked for; false, said, when it fails.
bool commitIfAsked(const std::optional<OutputFile>& file, const std::string& text) {
  if (file) {
    if (const auto error = file->commit(text)) {
      say(*error);
      return false;
    }
  }
  return true;
}

}  // namespace

Outcome computeEdge(const EdgeRequest& request) {
  const Outputs outputs = prepareOutputs(request.json, request.csv, {}, "");
  const EdgeQuestion& question = request.question;
  const GameRules& rules = question.config.rules;
  const GameValue game =
      gameValue(rules, CardCounts::shoe(rules.decks).minus(question.removed), question.play);
  bool written = true;
  const auto commit = [&written](const std::optional<OutputFile>& file, const std::string& text) {
    written = commitIfAsked(file, text) && written;
  };
  commit(outputs.json, edgeJson(game, question));
  commit(outputs.csv, edgeCsv(game));
  if (!writeAll(STDOUT_FILENO, edgeText(game, question))) {
    say(std::string("cannot write the answer to standard output: ") + std::strerror(errno));
    written = false;
  }
  return written ? Outcome::Done : Outcome::WriteFailed;
}

Outcome findRamp(const RampRequest& request) {
  const StudyResult study = readStudyFile(request.file);
  if (study.variant) {
    throw BadInput{request.file +
                   ": a comparison; the ramp is found from a study's counts (run --json)"};
  }
  if (study.tally.all.rounds == 0) {
    throw BadInput{request.file + ": no round played, so no count has a mean to bet by"};
  }
  RampRequest sized = request;
  sized.sizing.minRounds = request.minRounds.value_or(defaultMinRounds(study.tally));
  const Ramp ramp = kellyRamp(study.tally, sized.sizing);
  std::ostringstream text;
  printKellyRamp(text, study, sized, ramp);
  if (!writeAll(STDOUT_FILENO, text.str())) {
    say(std::string("cannot write the ramp to standard output: ") + std::strerror(errno));
    return Outcome::WriteFailed;
  }
  return Outcome::Done;
}

namespace {

// Plays trips on `threads` workers, each taking the next trip until none is
// left or a stop is asked: every trip finished has its outcome.
std::vector<std::optional<TripOutcome>> playTripsOn(const TripRequest& request,
                                                    const TripPlan& plan, ProgressLine& progress) {
  std::vector<std::optional<TripOutcome>> outcomes(request.trips);
  std::atomic<std::uint64_t> next{0};
  std::atomic<std::uint64_t> dealt{0};
  std::atomic<int> running{request.threads};
  const std::atomic<int>& stop = stopRequests();
  const auto work = [&] {
    BlockPlayer player(request.config);
    for (std::uint64_t trip = next++; trip < request.trips && stop.load() == kRunOn;
         trip = next++) {
      outcomes[trip] = player.playTrip(trip, plan, stop);
      if (!outcomes[trip]) {
        break;
      }
      dealt += outcomes[trip]->dealt;
    }
    --running;
  };
  std::vector<std::jthread> workers;
  workers.reserve(static_cast<std::size_t>(request.threads));
  for (int worker = 0; worker < request.threads; ++worker) {
    workers.emplace_back(work);
  }
  while (running.load() > 0) {
    progress.update(dealt.load());
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
  }
  return outcomes;
}

}  // namespace

Outcome playTrips(const TripRequest& request) {
  const Outputs outputs = prepareOutputs(request.json, request.csv, {}, "");
  const TripPlan plan = tripPlan(request.config, *request.config.bankroll, request.hours);
  const auto started = std::chrono::steady_clock::now();
  ProgressLine progress(!request.quiet && ::isatty(STDERR_FILENO) == 1, 0,
                        request.trips * plan.rounds);
  const auto outcomes = playTripsOn(request, plan, progress);
  progress.clear();
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - started;
  std::vector<TripOutcome> played;
  for (const auto& outcome : outcomes) {
    if (outcome) {
      played.push_back(*outcome);
    }
  }
  const TripFigures figures = tripFigures(played, plan);
  const TripReport report{request.config, plan,          request.hours,
                          request.trips,  played.size(), figures};
  bool written = true;
  const auto commit = [&written](const std::optional<OutputFile>& file, const std::string& text) {
    written = commitIfAsked(file, text) && written;
  };
  commit(outputs.json, tripToJson(report));
  commit(outputs.csv, tripCsv(figures));
  std::ostringstream text;
  printTripReport(text, report, seconds.count(), request.threads);
  if (!writeAll(STDOUT_FILENO, text.str())) {
    say(std::string("cannot write the report to standard output: ") + std::strerror(errno));
    written = false;
  }
  if (played.size() < request.trips) {
    say("interrupted: the figures above are from " + std::to_string(played.size()) + " of " +
        std::to_string(request.trips) + " trips");
    return Outcome::Interrupted;
  }
  return written ? Outcome::Done : Outcome::WriteFailed;
}
