#include "lab/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <functional>
#include <thread>

#include "lab/study_files.h"
#include "study/settings.h"
#include "study/text_values.h"

namespace {

constexpr const char* kVersion = "truecount-lab 2";
constexpr std::int64_t kMaxThreads = 1024;
constexpr std::int64_t kMaxCheckpointSeconds = 86'400;

using Reader = std::function<std::optional<std::string>(std::string_view)>;

// A CLI11 check by one of the program's readers, quoting the refused value.
CLI::Validator checkedBy(Reader read) {
  return {[read = std::move(read)](std::string& text) -> std::string {
            const auto error = read(text);
            return error ? "\"" + printable(text) + "\": " + *error : std::string();
          },
          ""};
}

template <typename T>
Reader readerOf(Parsed<T> (*parse)(std::string_view)) {
  return [parse](std::string_view text) -> std::optional<std::string> {
    const auto parsed = parse(text);
    const auto* error = std::get_if<std::string>(&parsed);
    return error ? std::optional(*error) : std::nullopt;
  };
}

std::optional<std::string> fileName(std::string_view text) {
  return text.empty() ? std::optional<std::string>("expected a file name") : std::nullopt;
}

Parsed<std::int64_t> parseThreads(std::string_view text) {
  return parseWhole(text, 1, kMaxThreads);
}

Parsed<std::int64_t> parseCheckpoint(std::string_view text) {
  return parseWhole(text, 0, kMaxCheckpointSeconds);
}

Parsed<std::uint64_t> parseMinRounds(std::string_view text) {
  return parseCount(text, StudyConfig::kMaxRounds);
}

Parsed<double> parseKelly(std::string_view text) {
  auto fraction = parsePositive(text);
  if (std::holds_alternative<std::string>(fraction) || std::get<double>(fraction) > 1.0) {
    return std::string("expected a fraction of the Kelly stake above 0 and at most 1, such as 0.5");
  }
  return fraction;
}

CLI::Option* addFile(CLI::App& app, const std::string& name, std::string& target,
                     const std::string& help) {
  return app.add_option(name, target, help)->type_name("FILE")->check(checkedBy(fileName));
}

// Lists an option by its value's name alone: resume's exclusions and the
// bankroll's need of a ramp are said in the help texts and enforced anyway.
class LabFormatter : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override {
    const std::string& type = option->get_type_name();
    return type.empty() ? std::string() : " " + type;
  }
};

// --indices names a built-in set or an index file: the file's text, read and
// checked here (the library reads no files), is what the setting takes.
CLI::Validator indexFileText() {
  return {[](std::string& text) -> std::string {
            StudyConfig scratch;
            const Setting& setting =
                *std::find_if(studySettings().begin(), studySettings().end(),
                              [](const Setting& s) { return s.key == "indices"; });
            if (text.empty() || !setting.read(text, scratch)) {
              return {};
            }
            std::string content;
            try {
              content = readInputFile(text);
            } catch (const BadInput& bad) {
              return bad.message;
            }
            if (const auto error = setting.read(content, scratch)) {
              return printable(text) + ": " + *error;
            }
            text = content;
            return {};
          },
          ""};
}

// Study settings as typed on a command, before they are read into a
// configuration; a setting the command does not take has no option.
struct SettingTexts {
  std::vector<std::string> values = std::vector<std::string>(studySettings().size());
  std::vector<CLI::Option*> options = std::vector<CLI::Option*>(studySettings().size());

  // What the settings not given stand at.
  StudyConfig base;

  // The settings given, read over the base; the whole then validated.
  StudyConfig config() const {
    StudyConfig config = base;
    const auto settings = studySettings();
    for (std::size_t i = 0; i < settings.size(); ++i) {
      if (options[i] != nullptr && options[i]->count() > 0) {
        settings[i].read(values[i], config);
      }
    }
    if (const auto problem = validate(config)) {
      throw BadInput{*problem};
    }
    return config;
  }
};

// An option per setting that `takes` accepts, with its accepted values, its
// default and the table's own check.
void addSettingOptions(CLI::App& command, SettingTexts& texts,
                       const std::function<bool(const Setting&)>& takes) {
  const StudyConfig defaults;
  const auto settings = studySettings();
  for (std::size_t i = 0; i < settings.size(); ++i) {
    const Setting& setting = settings[i];
    if (!takes(setting)) {
      continue;
    }
    std::string valueName(setting.valueName);
    if (!setting.names.empty()) {
      valueName.clear();
      for (const std::string_view name : setting.names) {
        valueName += (valueName.empty() ? "" : "|") + std::string(name);
      }
    }
    const std::string help =
        std::string(setting.help) + " (default " + setting.print(defaults) + ")";
    texts.options[i] = command.add_option(std::string(setting.option), texts.values[i], help)
                           ->type_name(valueName)
                           ->group(std::string(setting.group))
                           ->check(checkedBy([&setting](std::string_view text) {
                             StudyConfig scratch;
                             return setting.read(text, scratch);
                           }));
    if (setting.key == "indices") {
      texts.options[i]->transform(indexFileText());
    }
  }
}

// The options of `run` and `compare` as typed, before they are read into a
// request.
struct RunTexts {
  SettingTexts settings;
  std::string blocks;
  std::string threads;
  std::string checkpoint;
  std::string with;  // compare's variant
  RunRequest request;
};

int threadsOf(const std::string& text) {
  const unsigned cores = std::thread::hardware_concurrency();
  return text.empty() ? static_cast<int>(cores > 0 ? cores : 1)
                      : static_cast<int>(std::get<std::int64_t>(parseThreads(text)));
}

// Appends to `word` the part of `text` quoted from `open` on: '...' as it
// stands, "..." with \" and \\ escaped. Gives where the quote closes, or none
// when it does not.
std::optional<std::size_t> appendQuoted(std::string_view text, std::size_t open,
                                        std::string& word) {
  const char quote = text[open];
  std::size_t i = open + 1;
  for (; i < text.size() && text[i] != quote; ++i) {
    const bool escaped = quote == '"' && text[i] == '\\' && i + 1 < text.size() &&
                         (text[i + 1] == '"' || text[i + 1] == '\\');
    i += escaped ? 1 : 0;
    word += text[i];
  }
  return i < text.size() ? std::optional(i) : std::nullopt;
}

// The words of a text as a shell splits them: at blanks outside quotes, a
// quoted part as appendQuoted reads it, a backslash elsewhere taking the next
// character as it stands. None when a quote or a backslash is left open.
std::optional<std::vector<std::string>> shellWords(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\n') {
      if (inWord) {
        words.push_back(std::move(word));
        word.clear();
      }
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == '\'' || c == '"') {
      const auto close = appendQuoted(text, i, word);
      if (!close) {
        return std::nullopt;
      }
      i = *close;
    } else if (c == '\\') {
      if (++i == text.size()) {
        return std::nullopt;
      }
      word += text[i];
    } else {
      word += c;
    }
  }
  if (inWord) {
    words.push_back(std::move(word));
  }
  return words;
}

// The study's settings with those of `with`, study options as on the command
// line, read over them: a comparison's variant.
StudyConfig variantOf(const StudyConfig& study, const std::string& with) {
  const std::string quoted = "--with \"" + printable(with) + "\": ";
  auto words = shellWords(with);
  if (!words) {
    throw BadInput{quoted + "a quote or a backslash is left open"};
  }
  CLI::App options{"The variant's settings", "--with"};
  options.set_help_flag();
  SettingTexts texts;
  texts.base = study;
  addSettingOptions(options, texts, [](const Setting&) { return true; });
  // CLI11 takes a list of arguments last first.
  std::reverse(words->begin(), words->end());
  StudyConfig variant;
  try {
    options.parse(*words);
    variant = texts.config();
  } catch (const CLI::ParseError& error) {
    throw BadInput{quoted + error.what()};
  } catch (const BadInput& bad) {
    throw BadInput{quoted + bad.message};
  }
  if (const auto problem = variantProblem(study, variant)) {
    throw BadInput{quoted + *problem};
  }
  return variant;
}

void addRunOptions(CLI::App& run, RunTexts& texts) {
  addSettingOptions(run, texts.settings, [](const Setting&) { return true; });
  CLI::Option* blocks =
      run.add_option("--blocks", texts.blocks,
                     "Play only the blocks b with b mod N = K: one shard of a study, for merge")
          ->type_name("K/N")
          ->check(checkedBy(readerOf(parseShard)));
  run.add_option("--threads", texts.threads, "Worker threads (default: every core)")
      ->type_name("T")
      ->check(checkedBy(readerOf(parseThreads)));
  addFile(run, "--json", texts.request.json,
          "Write the study (settings, blocks, exact tallies, figures) to FILE");
  addFile(run, "--csv", texts.request.csv, "Write one row per count to FILE");
  CLI::Option* resume =
      addFile(run, "--resume", texts.request.resume,
              "Play the blocks the study in FILE lacks and write it back (or to --json); its "
              "settings hold, so no setting and no --blocks may be given");
  run.add_option("--checkpoint", texts.checkpoint,
                 "Rewrite the --json (or --resume) file every S seconds as a resumable partial "
                 "study of the blocks played, so that a kill loses at most that much work; 0 "
                 "never (default 60)")
      ->type_name("S")
      ->check(checkedBy(readerOf(parseCheckpoint)));
  run.add_flag("--quiet", texts.request.quiet, "No progress line on standard error");
  for (CLI::Option* setting : texts.settings.options) {
    if (setting != nullptr) {
      resume->excludes(setting);
    }
  }
  resume->excludes(blocks);
  run.get_option("--bankroll")->needs(run.get_option("--ramp"));
}

// compare's options: run's and the variant's settings.
void addCompareOptions(CLI::App& compare, RunTexts& texts) {
  addRunOptions(compare, texts);
  texts.request.compare = true;
  compare
      .add_option("--with", texts.with,
                  "The variant: study options as on this command line, in one argument, read "
                  "over the study's settings, such as \"--strategy visible\"; any setting but "
                  "--rounds, --block-size and --seed, and one at least must change")
      ->type_name("OPTIONS")
      ->check(checkedBy([](std::string_view text) -> std::optional<std::string> {
        return text.empty() ? std::optional<std::string>(
                                  "expected the variant's options, such as \"--strategy visible\"")
                            : std::nullopt;
      }))
      ->excludes(compare.get_option("--resume"));
}

RunRequest runRequest(RunTexts& texts) {
  RunRequest& request = texts.request;
  request.config = texts.settings.config();
  if (request.compare && request.resume.empty()) {
    if (texts.with.empty()) {
      throw BadInput{"compare needs --with OPTIONS, the variant's settings"};
    }
    request.variant = variantOf(request.config, texts.with);
  }
  if (!texts.blocks.empty()) {
    request.shard = std::get<ShardSpec>(parseShard(texts.blocks));
    if (request.shard->shard >= request.config.blockCount()) {
      throw BadInput{"--blocks " + texts.blocks + ": the study has only " +
                     std::to_string(request.config.blockCount()) +
                     " blocks, so this shard has none"};
    }
  }
  request.threads = threadsOf(texts.threads);
  if (!texts.checkpoint.empty()) {
    if (request.json.empty() && request.resume.empty()) {
      throw BadInput{"--checkpoint needs --json FILE or --resume FILE, the file it rewrites"};
    }
    request.checkpoint =
        std::chrono::seconds(std::get<std::int64_t>(parseCheckpoint(texts.checkpoint)));
  }
  return request;
}

// The options of `indices` as typed: the study's size, rules and count.
struct IndicesTexts {
  SettingTexts settings;
  std::string threads;
  IndicesRequest request;
};

void addIndicesOptions(CLI::App& indices, IndicesTexts& texts) {
  // Basic strategy is what the indices deviate from; betting, index plays and
  // wonging have no part in pricing its decisions.
  texts.settings.base.strategy = Strategy::Basic;
  addSettingOptions(indices, texts.settings, [](const Setting& setting) {
    return setting.group != "Strategy and betting" && setting.key != "indices" &&
           setting.key != "wong_in" && setting.key != "wong_out";
  });
  indices.add_option("--threads", texts.threads, "Worker threads (default: every core)")
      ->type_name("T")
      ->check(checkedBy(readerOf(parseThreads)));
  addFile(indices, "--csv", texts.request.csv,
          "Write the indices to FILE: hand,up_card,basic,deviation,index,ci95_low,ci95_high,"
          "decisions,direction, which --indices reads");
  indices.add_flag("--quiet", texts.request.quiet, "No progress line on standard error");
}

IndicesRequest indicesRequest(IndicesTexts& texts) {
  IndicesRequest& request = texts.request;
  request.config = texts.settings.config();
  request.threads = threadsOf(texts.threads);
  return request;
}

// The options of `ramp` as typed.
struct RampTexts {
  std::string spread;
  std::string bankroll;
  std::string kelly;
  std::string minRounds;
  RampRequest request;
};

void addRampOptions(CLI::App& ramp, RampTexts& texts) {
  ramp.add_option("FILE", texts.request.file, "A study file written by run or merge --json")
      ->required()
      ->check(checkedBy(fileName));
  ramp.add_option("--spread", texts.spread, "The least and the most stake, whole units")
      ->type_name("MIN:MAX")
      ->required()
      ->check(checkedBy(readerOf(parseSpread)));
  ramp.add_option("--bankroll", texts.bankroll, "The bankroll the stakes are sized for, in units")
      ->type_name("UNITS")
      ->required()
      ->check(checkedBy(readerOf(parsePositive)));
  ramp.add_option("--kelly", texts.kelly, "The fraction of the Kelly stake to bet (default 1)")
      ->type_name("F")
      ->check(checkedBy(readerOf(parseKelly)));
  ramp.add_option("--min-rounds", texts.minRounds,
                  "Pass over counts with fewer rounds (digits, 1e4 or 10k), whose mean is mostly "
                  "noise: each bets as the count below it (default 1)")
      ->type_name("N")
      ->check(checkedBy(readerOf(parseMinRounds)));
}

RampRequest rampRequest(RampTexts& texts) {
  KellySizing& sizing = texts.request.sizing;
  sizing.spread = std::get<Spread>(parseSpread(texts.spread));
  sizing.bankroll = std::get<double>(parsePositive(texts.bankroll));
  if (!texts.kelly.empty()) {
    sizing.fraction = std::get<double>(parseKelly(texts.kelly));
  }
  if (!texts.minRounds.empty()) {
    sizing.minRounds =
        static_cast<std::int64_t>(std::get<std::uint64_t>(parseMinRounds(texts.minRounds)));
  }
  return texts.request;
}

}  // namespace

std::variant<RunRequest, MergeRequest, IndicesRequest, ChartRequest, RampRequest, Outcome>
readCommandLine(int argc, char** argv) {
  CLI::App app{
      "truecount-lab: blackjack studies of the payoff by true count, with exact tallies and "
      "standard errors.\nPlays truecount's game (or house rules you set) in fixed blocks of "
      "rounds, each from a fresh shoe seeded from the study's seed and the block's number, so a "
      "study's result depends only on its settings, seed and blocks: not on threads, order or "
      "machines.\nExit status: 0 done, 1 a result could not be written, 2 bad input (nothing "
      "written), 130 interrupted (the blocks done so far written, resumable).",
      "truecount-lab"};
  app.formatter(std::make_shared<LabFormatter>());
  app.set_version_flag("--version", kVersion);
  app.require_subcommand(1, 1);
  RunTexts runTexts;
  CLI::App* run = app.add_subcommand("run", "Play a study (or a shard of one) and print its table");
  addRunOptions(*run, runTexts);
  RunTexts compareTexts;
  CLI::App* compare = app.add_subcommand(
      "compare",
      "Play a study and a variant of it (--with) over the same blocks, each block dealt to both "
      "from the same shoe, and print both and their difference per count with its paired "
      "standard error; shards, merge and --resume as for run");
  addCompareOptions(*compare, compareTexts);
  MergeRequest merge;
  CLI::App* mergeCommand = app.add_subcommand(
      "merge", "Unite results of one study with disjoint blocks and print the table");
  mergeCommand->add_option("FILE", merge.files, "Study or comparison files written by --json")
      ->required()
      ->check(checkedBy(fileName));
  addFile(*mergeCommand, "--json", merge.json, "Write the merged study to FILE");
  addFile(*mergeCommand, "--csv", merge.csv, "Write one row per count to FILE");
  IndicesTexts indicesTexts;
  CLI::App* indices = app.add_subcommand(
      "indices",
      "Generate index plays: play basic strategy under the count and rules given, price every "
      "decision's actions from the cards the player cannot see, and find the count where each "
      "deviation's mean price difference from basic strategy crosses zero. It writes no study "
      "file, so it keeps no checkpoint and cannot be resumed");
  addIndicesOptions(*indices, indicesTexts);
  SettingTexts chartTexts;
  chartTexts.base.rules.reshuffleAfter = 0;  // always sound: the chart does not read it
  ChartRequest chart;
  CLI::App* strategy = app.add_subcommand(
      "strategy",
      "Print the basic-strategy chart of a game: hard totals, soft totals and pairs against each "
      "up card, for the original two-card hand. H hit, S stand, D double else hit, Ds double "
      "else stand, P split, R surrender else hit, Rs surrender else stand, Rp surrender else "
      "split, Rd surrender else double else hit, Rds surrender else double else stand");
  addSettingOptions(*strategy, chartTexts, shapesTheChart);
  addFile(*strategy, "--csv", chart.csv, "Write the chart to FILE, one row per hand");
  RampTexts rampTexts;
  CLI::App* ramp = app.add_subcommand(
      "ramp",
      "Find the stake per count that makes a bankroll grow fastest on a study's counts: the "
      "fraction F of the Kelly stake, bankroll x mean / second moment of a round's payoff at "
      "each count, in whole units within the spread, the least stake where the mean is not "
      "positive. Prints it as a --ramp that run takes, with its figures");
  addRampOptions(*ramp, rampTexts);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) {
      app.exit(error);
      return Outcome::Done;
    }
    throw BadInput{std::string(error.what()) + " (see truecount-lab --help)"};
  }
  if (run->parsed()) {
    return runRequest(runTexts);
  }
  if (indices->parsed()) {
    return indicesRequest(indicesTexts);
  }
  if (compare->parsed()) {
    return runRequest(compareTexts);
  }
  if (strategy->parsed()) {
    chart.config = chartTexts.config();
    return chart;
  }
  if (ramp->parsed()) {
    return rampRequest(rampTexts);
  }
  return merge;
}
