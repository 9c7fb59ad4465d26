#include "lab/lab_app.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "lab/arguments.h"
#include "lab/output_file.h"
#include "lab/parallel_run.h"
#include "lab/report.h"
#include "lab/result_json.h"

namespace {

constexpr const char* kVersion = "truecount-lab 1.0";
constexpr int kDone = 0;
constexpr int kWriteFailed = 1;
constexpr int kBadInput = 2;
constexpr int kInterrupted = 130;
constexpr int kPlayableShoe = StudyConfig::kPlayableShoe;
constexpr auto kMaxBlockSize = static_cast<std::int64_t>(StudyConfig::kMaxBlockSize);
constexpr std::int64_t kMaxThreads = 1024;

// Set from the signal handler; the workers stop taking blocks once it is set.
std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void requestStop(int /*signal*/) {
  g_stop.store(true);
}

void installStopHandlers() {
  struct sigaction action {};
  action.sa_handler = requestStop;
  // Interrupted writes resume, so no notice is lost to a half-done write.
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

// A refusal: one line naming what was wrong, exit status 2.
struct BadInput {
  std::string message;
};

template <typename T>
T valueOrRefuse(Parsed<T> parsed, const std::string& what) {
  if (auto* error = std::get_if<std::string>(&parsed)) {
    throw BadInput{what + ": " + *error};
  }
  return std::get<T>(parsed);
}

std::string quoted(const std::string& option, const std::string& value) {
  return option + " \"" + value + "\"";
}

struct RunOptions {
  std::string rounds, seed, threads, blocks, blockSize, json, csv, resume;
  std::string decks, reshuffleAfter, dealer, afterSplit, split21, strategy, ramp, bankroll;
  bool quiet = false;
};

struct MergeOptions {
  std::vector<std::string> files;
  std::string json, csv;
};

// The options that define a study, which a resumed study already fixes.
struct DefiningOption {
  const char* name;
  std::string RunOptions::*value;
};
constexpr std::array<DefiningOption, 12> kDefiningOptions{{
    {"--rounds", &RunOptions::rounds},
    {"--seed", &RunOptions::seed},
    {"--blocks", &RunOptions::blocks},
    {"--block-size", &RunOptions::blockSize},
    {"--decks", &RunOptions::decks},
    {"--reshuffle-after", &RunOptions::reshuffleAfter},
    {"--dealer", &RunOptions::dealer},
    {"--after-split", &RunOptions::afterSplit},
    {"--split-21", &RunOptions::split21},
    {"--strategy", &RunOptions::strategy},
    {"--ramp", &RunOptions::ramp},
    {"--bankroll", &RunOptions::bankroll},
}};

void readRules(const RunOptions& o, GameRules& rules) {
  if (!o.decks.empty()) {
    rules.decks =
        static_cast<int>(valueOrRefuse(parseWhole(o.decks, 1, 8), quoted("--decks", o.decks)));
  }
  const int latest = StudyConfig::latestReshuffle(rules.decks);
  if (!o.reshuffleAfter.empty()) {
    rules.reshuffleAfter = static_cast<int>(valueOrRefuse(
        parseWhole(o.reshuffleAfter, 0, latest), quoted("--reshuffle-after", o.reshuffleAfter) +
                                                     " with " + std::to_string(rules.decks) +
                                                     " decks (a reshuffle must leave at least " +
                                                     std::to_string(kPlayableShoe) + " cards)"));
  } else if (rules.reshuffleAfter > latest) {
    throw BadInput{"--decks " + std::to_string(rules.decks) + " leaves fewer than " +
                   std::to_string(kPlayableShoe) + " cards at the default reshuffle point of " +
                   std::to_string(rules.reshuffleAfter) + " cards; give --reshuffle-after up to " +
                   std::to_string(latest)};
  }
  if (!o.dealer.empty()) {
    if (o.dealer != "h17" && o.dealer != "s17") {
      throw BadInput{quoted("--dealer", o.dealer) + ": expected h17 or s17"};
    }
    rules.dealerHitsSoft17 = o.dealer == "h17";
  }
  if (!o.afterSplit.empty()) {
    const auto rule = afterSplitNamed(o.afterSplit);
    if (!rule) {
      throw BadInput{quoted("--after-split", o.afterSplit) +
                     ": expected truecount, none, das or das-resplit"};
    }
    rules.afterSplit = *rule;
  }
  if (!o.split21.empty()) {
    if (o.split21 != "3:2" && o.split21 != "1:1") {
      throw BadInput{quoted("--split-21", o.split21) + ": expected 3:2 or 1:1"};
    }
    rules.splitTwentyOnePaysBlackjack = o.split21 == "3:2";
  }
}

void readBetting(const RunOptions& o, StudyConfig& config) {
  if (!o.ramp.empty()) {
    auto ramp = parseRamp(o.ramp);
    if (auto* error = std::get_if<std::string>(&ramp)) {
      throw BadInput{quoted("--ramp", o.ramp) + ": " + *error};
    }
    config.ramp = std::get<Ramp>(ramp);
  }
  if (!o.bankroll.empty()) {
    if (!config.ramp) {
      throw BadInput{"--bankroll needs --ramp: the risk of ruin is that of a ramp"};
    }
    char* end = nullptr;
    const double bankroll = std::strtod(o.bankroll.c_str(), &end);
    if (end != o.bankroll.c_str() + o.bankroll.size() || !(bankroll > 0) ||
        !std::isfinite(bankroll)) {
      throw BadInput{quoted("--bankroll", o.bankroll) + ": expected a positive number of units"};
    }
    config.bankroll = bankroll;
  }
}

StudyResult newStudy(const RunOptions& o) {
  StudyResult study;
  StudyConfig& config = study.config;
  if (!o.rounds.empty()) {
    config.rounds = valueOrRefuse(parseRounds(o.rounds), quoted("--rounds", o.rounds));
  }
  if (!o.seed.empty()) {
    config.seed = static_cast<std::uint64_t>(
        valueOrRefuse(parseWhole(o.seed, 0, INT64_MAX), quoted("--seed", o.seed)));
  }
  if (!o.blockSize.empty()) {
    config.blockSize = static_cast<std::uint64_t>(valueOrRefuse(
        parseWhole(o.blockSize, 1, kMaxBlockSize), quoted("--block-size", o.blockSize)));
  }
  if (const std::string problem = config.sizeProblem(); !problem.empty()) {
    throw BadInput{"--rounds and --block-size: " + problem};
  }
  readRules(o, config.rules);
  if (!o.strategy.empty()) {
    const auto strategy = strategyNamed(o.strategy);
    if (!strategy) {
      throw BadInput{quoted("--strategy", o.strategy) + ": expected composition, visible or basic"};
    }
    config.strategy = *strategy;
  }
  readBetting(o, config);
  if (!o.blocks.empty()) {
    study.shard = valueOrRefuse(parseShard(o.blocks), quoted("--blocks", o.blocks));
    if (study.shard->shard >= config.blockCount()) {
      throw BadInput{quoted("--blocks", o.blocks) + ": the study has only " +
                     std::to_string(config.blockCount()) + " blocks, so this shard has none"};
    }
  }
  return study;
}

StudyResult readStudy(const std::string& path) {
  // Far above any study file (121 counts of a few hundred bytes each), far
  // below what reading /dev/zero or a wrong file could exhaust.
  constexpr std::size_t kMaxFileBytes = 64 << 20;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw BadInput{path + ": cannot be read"};
  }
  std::string text(kMaxFileBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) {
    throw BadInput{path + ": cannot be read"};
  }
  if (static_cast<std::size_t>(in.gcount()) > kMaxFileBytes) {
    throw BadInput{path + ": larger than any study file (" + std::to_string(kMaxFileBytes >> 20) +
                   " MiB)"};
  }
  text.resize(static_cast<std::size_t>(in.gcount()));
  auto parsed = studyFromJson(text);
  if (auto* error = std::get_if<std::string>(&parsed)) {
    throw BadInput{path + ": " + *error};
  }
  return std::get<StudyResult>(std::move(parsed));
}

StudyResult resumedStudy(const RunOptions& o) {
  for (const DefiningOption& option : kDefiningOptions) {
    if (!(o.*option.value).empty()) {
      throw BadInput{std::string(option.name) +
                     " cannot be combined with --resume: a resumed study keeps the settings it "
                     "was started with"};
    }
  }
  return readStudy(o.resume);
}

int threadCount(const RunOptions& o) {
  if (o.threads.empty()) {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? static_cast<int>(cores) : 1;
  }
  return static_cast<int>(
      valueOrRefuse(parseWhole(o.threads, 1, kMaxThreads), quoted("--threads", o.threads)));
}

OutputFile openOutput(const std::string& path) {
  OutputFile file;
  if (auto error = OutputFile::open(path, file)) {
    throw BadInput{*error};
  }
  return file;
}

std::string minutesAndSeconds(double seconds) {
  const long long whole = std::llround(seconds);
  std::ostringstream text;
  text << whole / 60 << ':' << (whole % 60 < 10 ? "0" : "") << whole % 60;
  return text.str();
}

// Redraws one line on a terminal's standard error, at most four times a
// second (the pace playBlocks calls it at).
class ProgressLine {
 public:
  ProgressLine(bool shown, std::uint64_t roundsBefore, std::uint64_t roundsTotal)
      : shown_(shown), before_(roundsBefore), total_(roundsTotal) {}

  void update(std::uint64_t roundsDone) {
    if (!shown_ || total_ == 0) {
      return;
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - started_;
    const double rate = elapsed.count() > 0 ? static_cast<double>(roundsDone) / elapsed.count() : 0;
    const double share = static_cast<double>(before_ + roundsDone) / static_cast<double>(total_);
    const std::uint64_t left = total_ - before_ - roundsDone;
    std::array<char, 160> line{};
    std::snprintf(line.data(), line.size(), "\r%5.1f%% done, %.0f rounds per second, %s left ",
                  100.0 * share, rate,
                  rate > 0 ? minutesAndSeconds(static_cast<double>(left) / rate).c_str() : "?:??");
    std::cerr << line.data() << std::flush;
    drawn_ = true;
  }
  void clear() const {
    if (drawn_) {
      std::cerr << "\r\033[K" << std::flush;
    }
  }

 private:
  bool shown_;
  bool drawn_ = false;
  std::uint64_t before_;
  std::uint64_t total_;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
};

// Writes the result to its file, or reports why it could not.
bool writeFile(OutputFile& file, const std::string& text) {
  if (auto error = file.commit(text)) {
    std::cerr << "truecount-lab: " << *error << "\n";
    return false;
  }
  return true;
}

// Where an interrupted run without --json keeps its blocks: the working
// folder, or else the temporary folder.
std::optional<OutputFile> fallbackOutput() {
  const std::string name = "truecount-lab-interrupted-" + std::to_string(::getpid()) + ".json";
  std::error_code error;
  const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
  for (const std::string& path : {name, (temporary / name).string()}) {
    OutputFile file;
    if (!OutputFile::open(path, file)) {
      return file;
    }
  }
  return std::nullopt;
}

int saveInterrupted(StudyResult& study, std::optional<OutputFile>& json, const RunOptions& o) {
  if (!json) {
    json = fallbackOutput();
    if (!json) {
      std::cerr << "truecount-lab: interrupted, and no file could be made to keep the "
                << study.blocks.size() << " blocks played; run with --json FILE\n";
      return kWriteFailed;
    }
  }
  const std::string path = json->path();
  if (!writeFile(*json, studyToJson(study, figuresOf(study)))) {
    return kWriteFailed;
  }
  std::cerr << "truecount-lab: interrupted; " << study.blocks.size() << " of "
            << study.target().size() << " blocks written to " << path
            << "; continue with: truecount-lab run --resume " << path;
  for (const auto& [option, value] : {std::pair{"--threads", o.threads}, {"--csv", o.csv}}) {
    if (!value.empty()) {
      std::cerr << ' ' << option << ' ' << value;
    }
  }
  std::cerr << "\n";
  return kInterrupted;
}

int finish(const StudyResult& study, std::optional<OutputFile>& json,
           std::optional<OutputFile>& csv, int threads) {
  const StudyFigures figures = figuresOf(study);
  bool written = true;
  if (json) {
    written = writeFile(*json, studyToJson(study, figures)) && written;
  }
  if (csv) {
    written = writeFile(*csv, studyCsv(study, figures)) && written;
  }
  printStudyReport(std::cout, study, figures, threads);
  std::cout << std::flush;
  return written ? kDone : kWriteFailed;
}

int runCommand(const RunOptions& o) {
  StudyResult study = o.resume.empty() ? newStudy(o) : resumedStudy(o);
  const int threads = threadCount(o);
  const std::string jsonPath = !o.json.empty() ? o.json : o.resume;
  if (!o.csv.empty() && o.csv == jsonPath) {
    throw BadInput{"--csv " + o.csv + " is also the study file; give them different names"};
  }
  std::optional<OutputFile> json;
  std::optional<OutputFile> csv;
  if (!jsonPath.empty()) {
    json = openOutput(jsonPath);
  }
  if (!o.csv.empty()) {
    csv = openOutput(o.csv);
  }
  const std::vector<std::uint64_t> blocks = study.target().missingFrom(study.blocks);
  ProgressLine progress(!o.quiet && ::isatty(STDERR_FILENO) == 1, study.roundsPlayed(),
                        study.targetRounds());
  playBlocks(study, blocks, threads, g_stop,
             [&progress](std::uint64_t done) { progress.update(done); });
  progress.clear();
  if (!study.complete()) {
    return saveInterrupted(study, json, o);
  }
  return finish(study, json, csv, threads);
}

int mergeCommand(const MergeOptions& o) {
  if (!o.csv.empty() && o.csv == o.json) {
    throw BadInput{"--csv " + o.csv + " is also the study file; give them different names"};
  }
  std::vector<StudyResult> studies;
  for (const std::string& file : o.files) {
    studies.push_back(readStudy(file));
  }
  StudyResult merged = studies.front();
  for (std::size_t i = 1; i < studies.size(); ++i) {
    if (auto error = mergeInto(merged, studies[i])) {
      // Name the file it conflicts with: the first one for other settings (all
      // merged so far share its settings), else the first that shares blocks.
      std::size_t other = 0;
      while (other < i && !studies[other].blocks.overlaps(studies[i].blocks)) {
        ++other;
      }
      other = other < i && merged.config.firstDifference(studies[i].config).empty() ? other : 0;
      throw BadInput{o.files[i] + " cannot be merged with " + o.files[other] + ": " + *error};
    }
  }
  std::optional<OutputFile> json;
  std::optional<OutputFile> csv;
  if (!o.json.empty()) {
    json = openOutput(o.json);
  }
  if (!o.csv.empty()) {
    csv = openOutput(o.csv);
  }
  if (!merged.complete()) {
    std::cerr << "truecount-lab: note: the merged study holds " << merged.blocks.size() << " of "
              << merged.target().size() << " blocks; run --resume on its file to complete it\n";
  }
  return finish(merged, json, csv, 0);
}

void addRunOptions(CLI::App& run, RunOptions& o) {
  run.add_option("--rounds", o.rounds,
                 "Rounds of the study (default 10000000); digits, 1e8 or 100M, up to 1e12")
      ->type_name("N");
  run.add_option("--seed", o.seed,
                 "Seed of the study (default 1); the same seed, configuration and blocks give the "
                 "same result")
      ->type_name("S");
  run.add_option("--threads", o.threads, "Worker threads (default: every core)")->type_name("T");
  run.add_option("--blocks", o.blocks,
                 "Play only the blocks b with b mod N = K: one shard of a study, for merge")
      ->type_name("K/N");
  run.add_option(
         "--block-size", o.blockSize,
         "Rounds per block, each block from a fresh shoe with its own generator (default 100000)")
      ->type_name("N");
  run.add_option("--json", o.json,
                 "Write the study (configuration, blocks, exact tallies, figures) to FILE")
      ->type_name("FILE");
  run.add_option("--csv", o.csv, "Write one row per count to FILE")->type_name("FILE");
  run.add_option("--resume", o.resume,
                 "Play the blocks the study in FILE lacks and write it back (or to --json)")
      ->type_name("FILE");
  run.add_flag("--quiet", o.quiet, "No progress line on standard error");
  run.add_option("--decks", o.decks, "Decks in the shoe, 1 to 8 (default 2)")
      ->type_name("N")
      ->group("House rules");
  run.add_option("--reshuffle-after", o.reshuffleAfter,
                 "Reshuffle at a round's start once CARDS are gone (default 60); at least 15 cards "
                 "must remain")
      ->type_name("CARDS")
      ->group("House rules");
  run.add_option("--dealer", o.dealer, "h17: the dealer hits soft 17 (default); s17: stands on it")
      ->type_name("RULE")
      ->group("House rules");
  run.add_option("--after-split", o.afterSplit,
                 "What split hands may do: truecount (default: the first hand keeps doubling and "
                 "splitting, the new one may do neither), none, das (both may double), das-resplit "
                 "(both may double and split again)")
      ->type_name("RULE")
      ->group("House rules");
  run.add_option("--split-21", o.split21,
                 "What a two-card 21 after a split pays: 3:2 (default) or 1:1")
      ->type_name("PAYOUT")
      ->group("House rules");
  run.add_option("--strategy", o.strategy,
                 "composition (default: expected values over the undealt cards, which lack the "
                 "already dealt hole card: more than a player can know), visible (the undealt "
                 "cards plus the hole card: what a player can "
                 "know), basic (fixed tables from a full shoe)")
      ->type_name("NAME")
      ->group("Strategy and betting");
  run.add_option("--ramp", o.ramp,
                 "Stake per true count, COUNT:STAKE steps ascending, each from its count upward, "
                 "such as \"-60:1,1:2,2:4,3:8,4:12\"; stakes whole units. Every round is still "
                 "played at one unit; the ramp is priced from the per-count tallies")
      ->type_name("RAMP")
      ->group("Strategy and betting");
  run.add_option("--bankroll", o.bankroll, "Bankroll in units, for the ramp's risk of ruin")
      ->type_name("UNITS")
      ->group("Strategy and betting");
}

}  // namespace

int runLab(int argc, char** argv) {
  CLI::App app{
      "truecount-lab: blackjack studies of the payoff by true count, with exact tallies and "
      "standard errors.\nPlays truecount's game (or house rules you set) in fixed blocks of "
      "rounds, each from a fresh shoe seeded from the study's seed and the block's number, so a "
      "study's result depends only on its settings, seed and blocks: not on threads, order or "
      "machines.\nExit status: 0 done, 1 a result could not be written, 2 bad input (nothing "
      "written), 130 interrupted (the blocks done so far written, resumable).",
      "truecount-lab"};
  app.set_version_flag("--version", kVersion);
  app.require_subcommand(1, 1);
  RunOptions runOptions;
  CLI::App* run = app.add_subcommand("run", "Play a study (or a shard of one) and print its table");
  addRunOptions(*run, runOptions);
  MergeOptions mergeOptions;
  CLI::App* merge = app.add_subcommand(
      "merge", "Unite results of one study with disjoint blocks and print the table");
  merge->add_option("FILE", mergeOptions.files, "Study files written by run --json")->required();
  merge->add_option("--json", mergeOptions.json, "Write the merged study to FILE")
      ->type_name("FILE");
  merge->add_option("--csv", mergeOptions.csv, "Write one row per count to FILE")
      ->type_name("FILE");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) {
      return app.exit(error);
    }
    std::cerr << "truecount-lab: " << error.what() << " (see truecount-lab --help)\n";
    return kBadInput;
  }
  // Before any file is made: a signal then only asks the work to stop, and
  // every temporary file is removed or renamed as the program ends.
  installStopHandlers();
  try {
    return run->parsed() ? runCommand(runOptions) : mergeCommand(mergeOptions);
  } catch (const BadInput& bad) {
    std::cerr << "truecount-lab: " << bad.message << "\n";
    return kBadInput;
  }
}
