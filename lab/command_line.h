#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "lab/edge_report.h"
#include "lab/outcome.h"
#include "lab/table_text.h"
#include "stats/ramp.h"
#include "study/study_config.h"
#include "study/study_result.h"

// How often a run rewrites its study file unless --checkpoint says otherwise.
inline constexpr std::chrono::seconds kDefaultCheckpoint{60};

// `run`: a new study from the settings given, or the study of a file to
// resume; `compare`: the same for a comparison.
struct RunRequest {
  StudyConfig config;  // unused when resuming: the file's settings hold
  bool compare = false;
  std::optional<StudyConfig> variant;  // a new comparison's variant
  std::optional<ShardSpec> shard;
  std::string resume;  // the study file to complete, or empty
  std::string json;
  std::string csv;
  int threads;
  bool quiet = false;
  ReportOptions report;
  // How often the study file is rewritten as a resumable partial study while
  // the blocks are played; zero for never.
  std::chrono::seconds checkpoint{kDefaultCheckpoint};
};

// `trip`: trips of a number of hours from a bankroll (config.bankroll), each
// played with the ramp until the hours are up or the bankroll is ruined.
struct TripRequest {
  StudyConfig config;
  double hours = 0;
  std::uint64_t trips = 10'000;
  std::string json;
  std::string csv;
  int threads;
  bool quiet = false;
};

// `indices`: an index study of basic strategy under the count and rules given.
struct IndicesRequest {
  StudyConfig config;
  std::string csv;
  int threads;
  bool quiet = false;
};

// `merge`: study files to unite.
struct MergeRequest {
  std::vector<std::string> files;
  std::string json;
  std::string csv;
  ReportOptions report;
};

// `strategy`: the basic-strategy chart of a game.
struct ChartRequest {
  StudyConfig config;  // its house rules and split pricing
  std::string csv;
};

// `edge`: the exact value of a round off the top.
struct EdgeRequest {
  EdgeQuestion question;
  std::string json;
  std::string csv;
};

// `ramp`: the growth-optimal ramp of a study's counts.
struct RampRequest {
  std::string file;
  KellySizing sizing;
  // The rounds a count needs for a stake of its own; none for the default
  // rule, which depends on the study's rounds.
  std::optional<std::int64_t> minRounds;
};

// The command line read into a request, or the outcome of a command line that
// asked for no work (--help, --version). Throws BadInput for anything refused.
std::variant<RunRequest, MergeRequest, IndicesRequest, ChartRequest, EdgeRequest, RampRequest,
             TripRequest, Outcome>
readCommandLine(int argc, char** argv);
