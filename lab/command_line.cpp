#include "lab/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <thread>

#include "lab/study_files.h"
#include "lab/table_text.h"
#include "study/games.h"
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

// A trip of more hours than a month of days would be a typing error.
constexpr double kMaxTripHours = 1000;
constexpr std::int64_t kMaxTrips = 1'000'000;
// The bankrolls kept hour by hour, one per trip and hour, within memory.
constexpr double kMaxTripMarks = 5e7;

Parsed<double> parseHours(std::string_view text) {
  auto hours = parsePositive(text);
  if (std::holds_alternative<std::string>(hours) || std::get<double>(hours) > kMaxTripHours) {
    return std::string("expected a number of hours above 0 and at most 1000, such as 4 or 2.5");
  }
  return hours;
}

Parsed<std::int64_t> parseTrips(std::string_view text) {
  return parseWhole(text, 1, kMaxTrips);
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

// A parse error in the program's words: what was wrong and where to find
// what is accepted (`help`, the command whose --help lists it).
std::string refusal(const CLI::App& app, const CLI::ParseError& error, const std::string& help) {
  const std::string what = error.what();
  const std::string name = what.substr(0, what.find(':'));
  std::vector<const CLI::App*> commands = app.get_subcommands({});
  commands.push_back(&app);
  for (const CLI::App* command : commands) {
    const CLI::Option* option = command->get_option_no_throw(name);
    if (option == nullptr || (command != &app && !command->parsed())) {
      continue;
    }
    const std::string see =
        " (see " + help + (command == &app ? "" : " " + command->get_name()) + " --help)";
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
      return std::string(name)
          .append(" needs a value, ")
          .append(option->get_type_name())
          .append(see);
    }
    return what + see;
  }
  return what + " (see " + help + " --help)";
}

// Refuses words the command does not take and options given twice (the
// parser keeps the last of them); `name` is how the command is typed.
void refuseExtrasAndRepeats(const CLI::App& command, const std::string& name,
                            const std::string& help) {
  const auto extras = command.remaining();
  if (!extras.empty()) {
    const std::string& word = extras.front();
    // A newcomer's house rule may be one --game already sets.
    const std::string games = command.get_option_no_throw("--game") != nullptr
                                  ? "; --game NAME sets every house rule at once"
                                  : "";
    throw BadInput{"\"" + printable(word) +
                   "\": " + (word.rfind('-', 0) == 0 ? "no option of " : "not taken by ") + name +
                   " (see " + help + " --help" + games + ")"};
  }
  for (const CLI::Option* option : command.get_options()) {
    if (option->count() > 1 && option->get_items_expected_max() <= 1) {
      throw BadInput{option->get_name() + " is given " + std::to_string(option->count()) +
                     " times: give it once"};
    }
  }
}

void addReportOptions(CLI::App& command, ReportOptions& report) {
  command.add_flag("--summary", report.summaryOnly,
                   "Print the settings and the answer alone: the edge and the ramp's figures");
  command.add_flag("--weighted", report.weighted,
                   "Print truecount's count-weighted line (2 units per count above zero) in any "
                   "game and count, not only in truecount's own");
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
            std::error_code ignored;
            if (!std::filesystem::exists(text, ignored)) {
              return "\"" + printable(text) + "\": no index set of that name and no such file; " +
                     *setting.read(text, scratch);
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

std::optional<std::string> gameText(std::string_view text) {
  if (text.empty()) {
    return std::string("expected a game's name or a game file");
  }
  if (gameNamed(text) != nullptr) {
    return std::nullopt;
  }
  const auto game = parseGameFile(text);
  const auto* error = std::get_if<std::string>(&game);
  return error != nullptr ? std::optional(*error) : std::nullopt;
}

// --game names a built-in game or a game file: the file's text, read and
// checked here, is what the option holds.
CLI::Validator gameFileText() {
  return {[](std::string& text) -> std::string {
            if (text.empty() || gameNamed(text) != nullptr) {
              return {};
            }
            std::error_code ignored;
            if (!std::filesystem::exists(text, ignored)) {
              std::string names;
              for (const NamedGame& game : namedGames()) {
                names += (names.empty() ? "" : ", ") + std::string(game.name);
              }
              return "\"" + printable(text) +
                     "\": no game of that name and no such file; expected " + names +
                     ", or a game file of SETTING = VALUE lines";
            }
            std::string content;
            try {
              content = readGameFile(text);
            } catch (const BadInput& bad) {
              return bad.message;
            }
            if (const auto error = gameText(content)) {
              return printable(text) + ": " + *error;
            }
            text = content;
            return {};
          },
          ""};
}

GameRules gameRulesOf(std::string_view text) {
  if (const NamedGame* named = gameNamed(text)) {
    return named->rules;
  }
  return std::get<GameRules>(parseGameFile(text));
}

// How deep the shoe is dealt as players say it: a share of it, "75%", or the
// decks dealt, "4.5".
struct Penetration {
  double value;
  bool percent;
};

Parsed<Penetration> parsePenetration(std::string_view text) {
  const bool percent = !text.empty() && text.back() == '%';
  const auto number = parsePositive(percent ? text.substr(0, text.size() - 1) : text);
  const auto* value = std::get_if<double>(&number);
  if (value == nullptr || *value > (percent ? 100.0 : StudyConfig::kMaxDecks)) {
    return std::string(
        "expected the share of the shoe dealt before the reshuffle, such as 75%, or the decks "
        "dealt, such as 4.5");
  }
  return Penetration{*value, percent};
}

// The cards gone at the reshuffle, to the nearest card.
int reshuffleAfter(const std::string& text, int decks) {
  const auto penetration = std::get<Penetration>(parsePenetration(text));
  const double cards =
      penetration.percent ? penetration.value * 52 * decks / 100 : penetration.value * 52;
  const int dealt = static_cast<int>(std::lround(cards));
  const int shoe = 52 * decks;
  const int latest = shoe - StudyConfig::kPlayableShoe;
  if (dealt > latest) {
    throw BadInput{"--penetration " + text + ": dealing " + std::to_string(dealt) +
                   " of the shoe's " + std::to_string(shoe) + " cards leaves fewer than " +
                   std::to_string(StudyConfig::kPlayableShoe) + " for a round; at most " +
                   std::to_string(latest) + " cards (" +
                   format("%.1f", std::floor(1000.0 * latest / shoe) / 10) + "%) can be dealt"};
  }
  return dealt;
}

// A ramp of one step above the lowest count, "1:12", bets its stake at every
// count: people write a spread so, and a flat bet is clearer as -60:STAKE.
void refuseOneStepRamp(const Setting& setting, const StudyConfig& config) {
  if (setting.key != "ramp" || !config.ramp || config.ramp->steps.size() != 1 ||
      config.ramp->steps.front().fromCount == kLowestCount) {
    return;
  }
  const std::string stake = std::to_string(config.ramp->steps.front().value);
  throw BadInput{"--ramp " + config.ramp->text() + " is one step: " + stake +
                 " units at every count, below its count too; a ramp is COUNT:STAKE steps "
                 "such as \"-60:1,1:2,2:4,3:8,4:12\" (truecount-lab ramp finds one for a "
                 "spread), a flat bet -60:" +
                 stake};
}

// Study settings as typed on a command, before they are read into a
// configuration; a setting the command does not take has no option.
struct SettingTexts {
  std::vector<std::string> values = std::vector<std::string>(studySettings().size());
  std::vector<CLI::Option*> options = std::vector<CLI::Option*>(studySettings().size());
  std::string game;  // a game's name, or a game file's text
  std::string penetration;
  CLI::Option* gameOption = nullptr;
  CLI::Option* penetrationOption = nullptr;

  // What the settings not given stand at.
  StudyConfig base;

  // The game's house rules over the base, the settings given over them, the
  // penetration on the decks that result; the whole then validated.
  StudyConfig config() const {
    StudyConfig config = base;
    const auto settings = studySettings();
    const auto given = [this](std::size_t i) {
      return options[i] != nullptr && options[i]->count() > 0;
    };
    if (gameOption != nullptr && gameOption->count() > 0) {
      applyGame(gameRulesOf(game), config, [this, settings](const Setting& setting) {
        return options[static_cast<std::size_t>(&setting - settings.data())] != nullptr;
      });
    }
    for (std::size_t i = 0; i < settings.size(); ++i) {
      if (given(i)) {
        settings[i].read(values[i], config);
        refuseOneStepRamp(settings[i], config);
      }
    }
    if (penetrationOption != nullptr && penetrationOption->count() > 0) {
      const auto reshuffle = std::find_if(settings.begin(), settings.end(), [](const Setting& s) {
        return s.key == "reshuffle_after";
      });
      if (given(static_cast<std::size_t>(reshuffle - settings.begin()))) {
        throw BadInput{
            "--penetration and --reshuffle-after set the reshuffle point twice: give one"};
      }
      config.rules.reshuffleAfter = reshuffleAfter(penetration, config.rules.decks);
    }
    if (const auto problem = validate(config)) {
      throw BadInput{*problem};
    }
    return config;
  }
};

// An option per setting that `takes` accepts, with its accepted values, its
// default and the table's own check; --game before the house rules it sets,
// and --penetration beside --reshuffle-after.
void addSettingOptions(CLI::App& command, SettingTexts& texts,
                       const std::function<bool(const Setting&)>& takes) {
  const StudyConfig defaults;
  const auto settings = studySettings();
  for (std::size_t i = 0; i < settings.size(); ++i) {
    const Setting& setting = settings[i];
    if (!takes(setting)) {
      continue;
    }
    if (isHouseRule(setting) && texts.gameOption == nullptr) {
      texts.gameOption =
          command
              .add_option("--game", texts.game,
                          "Every house rule below at once: a game's name (listed at the end) or "
                          "a game file, one SETTING = VALUE line per house rule, as the study "
                          "file names them; a house rule given beside it overrides it (default "
                          "truecount)")
              ->type_name("NAME|FILE")
              ->group(std::string(setting.group))
              ->check(checkedBy(gameText))
              ->transform(gameFileText());
      command.footer("Games for --game, and their house rules:\n" + gameList());
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
    if (setting.key == "reshuffle_after") {
      texts.penetrationOption =
          command
              .add_option("--penetration", texts.penetration,
                          "The reshuffle point as players say it: the share of the shoe dealt, "
                          "such as 75%, or the decks dealt, such as 4.5, to the nearest card; "
                          "instead of --reshuffle-after")
              ->type_name("P%|DECKS")
              ->group(std::string(setting.group))
              ->check(checkedBy(readerOf(parsePenetration)));
    }
  }
}

// The options of `run` and `compare` as typed, before they are read into a
// request.
struct RunTexts {
  SettingTexts settings;
  // The options that define a study, which a resumed study takes from its file.
  std::vector<CLI::Option*> defining;
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
  options.allow_extras();
  options.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  SettingTexts texts;
  texts.base = study;
  addSettingOptions(options, texts, [](const Setting&) { return true; });
  // CLI11 takes a list of arguments last first.
  std::reverse(words->begin(), words->end());
  StudyConfig variant;
  try {
    options.parse(*words);
    refuseExtrasAndRepeats(options, "--with", "truecount-lab compare");
    variant = texts.config();
  } catch (const CLI::ParseError& error) {
    throw BadInput{quoted + refusal(options, error, "truecount-lab compare")};
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
  addFile(run, "--resume", texts.request.resume,
          "Play the blocks the study in FILE lacks and write it back (or to --json); its "
          "settings hold, so no setting and no --blocks may be given");
  run.add_option("--checkpoint", texts.checkpoint,
                 "Rewrite the --json (or --resume) file every S seconds as a resumable partial "
                 "study of the blocks played, so that a kill loses at most that much work; 0 "
                 "never (default " +
                     std::to_string(kDefaultCheckpoint.count()) + ")")
      ->type_name("S")
      ->check(checkedBy(readerOf(parseCheckpoint)));
  run.add_flag("--quiet", texts.request.quiet, "No progress line on standard error");
  addReportOptions(run, texts.request.report);
  for (CLI::Option* setting : texts.settings.options) {
    if (setting != nullptr) {
      texts.defining.push_back(setting);
    }
  }
  texts.defining.insert(texts.defining.end(),
                        {texts.settings.gameOption, texts.settings.penetrationOption, blocks});
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
      }));
  texts.defining.push_back(compare.get_option("--with"));
}

RunRequest runRequest(RunTexts& texts) {
  RunRequest& request = texts.request;
  for (const CLI::Option* option : texts.defining) {
    if (!request.resume.empty() && option->count() > 0) {
      const std::string given = option->get_name();
      throw BadInput{"--resume completes its file's study under the file's settings: give no " +
                     given + " beside it"};
    }
  }
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

// The options of `trip` as typed: the game, count and ramp of a study, whose
// size a trip's hours take the place of.
struct TripTexts {
  SettingTexts settings;
  std::string hours;
  std::string trips;
  std::string threads;
  TripRequest request;
};

void addTripOptions(CLI::App& trip, TripTexts& texts) {
  trip.add_option("--hours", texts.hours, "Hours a trip lasts, at the table's pace (required)")
      ->type_name("H")
      ->check(checkedBy(readerOf(parseHours)));
  trip.add_option("--trips", texts.trips, "Trips played, 1 to 1000000 (default 10000)")
      ->type_name("N")
      ->check(checkedBy(readerOf(parseTrips)));
  addSettingOptions(trip, texts.settings, [](const Setting& setting) {
    return setting.group != kStudyGroup || setting.key == "seed";
  });
  trip.add_option("--threads", texts.threads, "Worker threads (default: every core)")
      ->type_name("T")
      ->check(checkedBy(readerOf(parseThreads)));
  addFile(trip, "--json", texts.request.json,
          "Write the answer to FILE: the plan, the ruin with its interval and the diffusion "
          "approximation's, the result's quantiles and the bankroll's hour by hour");
  addFile(trip, "--csv", texts.request.csv,
          "Write one row per hour to FILE: hour,p5,p25,p50,p75,p95 of the bankroll");
  trip.add_flag("--quiet", texts.request.quiet, "No progress line on standard error");
}

TripRequest tripRequest(TripTexts& texts) {
  TripRequest& request = texts.request;
  request.config = texts.settings.config();
  const StudyConfig& c = request.config;
  if (!c.ramp) {
    throw BadInput{"trip needs --ramp: a trip bets the ramp's stakes"};
  }
  if (!c.bankroll) {
    throw BadInput{"trip needs --bankroll UNITS: the bankroll each trip starts with"};
  }
  const CountWeights stakes = c.ramp->weights();
  const std::int64_t least = *std::min_element(stakes.begin(), stakes.end());
  if (*c.bankroll < static_cast<double>(least)) {
    throw BadInput{"--bankroll " + shortestText(*c.bankroll) + " is less than the ramp's least " +
                   "stake of " + std::to_string(least) + " units: no bet could be made"};
  }
  if (texts.hours.empty()) {
    throw BadInput{"trip needs --hours H: the hours a trip lasts"};
  }
  request.hours = std::get<double>(parseHours(texts.hours));
  if (!texts.trips.empty()) {
    request.trips = static_cast<std::uint64_t>(std::get<std::int64_t>(parseTrips(texts.trips)));
  }
  if (static_cast<double>(request.trips) * std::floor(request.hours) > kMaxTripMarks) {
    throw BadInput{std::to_string(request.trips) + " trips of " + shortestText(request.hours) +
                   " hours keep too many hourly bankrolls; give at most 50000000 trips times "
                   "hours"};
  }
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
      ->check(checkedBy(fileName));
  ramp.add_option("--spread", texts.spread,
                  "The least and the most stake, whole units, such as 1-12 (or 1:12)")
      ->type_name("MIN-MAX")
      ->check(checkedBy(readerOf(parseSpread)));
  ramp.add_option("--bankroll", texts.bankroll, "The bankroll the stakes are sized for, in units")
      ->type_name("UNITS")
      ->check(checkedBy(readerOf(parsePositive)));
  ramp.add_option("--kelly", texts.kelly, "The fraction of the Kelly stake to bet (default 1)")
      ->type_name("F")
      ->check(checkedBy(readerOf(parseKelly)));
  ramp.add_option("--min-rounds", texts.minRounds,
                  "Pass over counts with fewer rounds (digits, 1e4 or 10k), whose mean is mostly "
                  "noise: each bets as the count below it (default one in a thousand of the "
                  "rounds played)")
      ->type_name("N")
      ->check(checkedBy(readerOf(parseMinRounds)));
  ramp.add_flag("--may-fall", texts.request.sizing.mayFall,
                "Let a count bet less than a lower one, each count at its own Kelly stake "
                "(otherwise counts that would are pooled with those below them)");
}

RampRequest rampRequest(RampTexts& texts) {
  if (texts.request.file.empty() || texts.spread.empty() || texts.bankroll.empty()) {
    throw BadInput{
        "ramp needs a study file, --spread and --bankroll: truecount-lab ramp FILE --spread "
        "MIN-MAX --bankroll UNITS, such as truecount-lab ramp study.json --spread 1-12 "
        "--bankroll 10000"};
  }
  KellySizing& sizing = texts.request.sizing;
  sizing.spread = std::get<Spread>(parseSpread(texts.spread));
  sizing.bankroll = std::get<double>(parsePositive(texts.bankroll));
  if (!texts.kelly.empty()) {
    sizing.fraction = std::get<double>(parseKelly(texts.kelly));
  }
  if (!texts.minRounds.empty()) {
    texts.request.minRounds =
        static_cast<std::int64_t>(std::get<std::uint64_t>(parseMinRounds(texts.minRounds)));
  }
  return texts.request;
}

// Fewer cards could run out within a round.
constexpr int kLeastCardsLeft = 26;

// The options of `edge` as typed: house rules, strategy, insurance, cards out.
struct EdgeTexts {
  SettingTexts settings;
  std::string removed;
  EdgeRequest request;
};

constexpr const char* kEdgeTakes =
    "edge values one round dealt from a full shoe (or one with --removed cards out) and takes "
    "the house rules, --split-pricing, --strategy basic|composition, --insurance "
    "never|composition, --removed, --json and --csv";

void addEdgeOptions(CLI::App& edge, EdgeTexts& texts) {
  texts.settings.base.strategy = Strategy::Basic;
  texts.settings.base.rules.reshuffleAfter = 0;  // off the top
  // Every study setting is taken, so that one meaning nothing off the top is
  // refused with what edge takes rather than as an unknown option.
  addSettingOptions(edge, texts.settings, [](const Setting&) { return true; });
  edge.add_option("--removed", texts.removed,
                  "Take these cards out of the shoe first, such as A,10,10,5 (A, 2 to 10, T, J, "
                  "Q or K); at least 26 cards must remain")
      ->type_name("CARDS")
      ->check(checkedBy(readerOf(parseCards)));
  addFile(edge, "--json", texts.request.json,
          "Write the answer to FILE: expected_return (the player's, per initial stake), the "
          "house edge in per cent, the chances of a win, push and loss, and by_up_card");
  addFile(edge, "--csv", texts.request.csv,
          "Write one row per original hand and up card to FILE: its chance, each allowed "
          "action's value per initial stake, the action played");
}

EdgeRequest edgeRequest(EdgeTexts& texts) {
  const auto settings = studySettings();
  for (std::size_t i = 0; i < settings.size(); ++i) {
    const Setting& setting = settings[i];
    const bool takes =
        shapesTheChart(setting) || setting.key == "strategy" || setting.key == "insurance";
    if (!takes && texts.settings.options[i]->count() > 0) {
      throw BadInput{std::string(setting.option) + " means nothing off the top: " + kEdgeTakes};
    }
  }
  EdgeQuestion& question = texts.request.question;
  question.config = texts.settings.config();
  const GameRules& rules = question.config.rules;
  if (question.config.strategy == Strategy::Visible) {
    throw BadInput{
        "--strategy visible: edge plays basic (the full shoe's total-dependent strategy) or "
        "composition (each hand by its own cards)"};
  }
  if (rules.insurance == Insurance::Count) {
    throw BadInput{"--insurance count: needs a count, which a fresh shoe does not have: " +
                   std::string(kEdgeTakes)};
  }
  question.play = question.config.strategy == Strategy::Basic ? ExactPlay::TotalDependent
                                                              : ExactPlay::Composition;
  if (!texts.removed.empty()) {
    question.removed = std::get<CardCounts>(parseCards(texts.removed));
    question.removedText = texts.removed;
    const CardCounts shoe = CardCounts::shoe(rules.decks);
    for (int v = 1; v <= CardCounts::kValues; ++v) {
      if (question.removed[v] > shoe[v]) {
        throw BadInput{"--removed " + printable(texts.removed) + " takes out " +
                       std::to_string(question.removed[v]) + " cards of value " +
                       (v == 1 ? std::string("A") : std::to_string(v)) + ", but " +
                       std::to_string(rules.decks) + " decks hold " + std::to_string(shoe[v])};
      }
    }
    if (shoe.total() - question.removed.total() < kLeastCardsLeft) {
      throw BadInput{"--removed " + printable(texts.removed) + " leaves " +
                     std::to_string(shoe.total() - question.removed.total()) + " cards; at least " +
                     std::to_string(kLeastCardsLeft) + " must remain"};
    }
  }
  return texts.request;
}

}  // namespace

std::variant<RunRequest, MergeRequest, IndicesRequest, ChartRequest, EdgeRequest, RampRequest,
             TripRequest, Outcome>
readCommandLine(int argc, char** argv) {
  CLI::App app{
      "truecount-lab: blackjack studies of the payoff by true count, with exact tallies and "
      "standard errors.\nPlays truecount's own game unless --game names another, such as "
      "6d-s17-ls or 8d-h17 (truecount-lab run --help lists them with their rules), in fixed "
      "blocks of rounds, each from a fresh shoe seeded from the study's seed and the block's "
      "number, so a "
      "study's result depends only on its settings, seed and blocks: not on threads, order or "
      "machines.\nExit status: 0 done, 1 a result could not be written, 2 bad input (nothing "
      "written), 130 interrupted (the blocks done so far written, resumable).",
      "truecount-lab"};
  app.formatter(std::make_shared<LabFormatter>());
  app.set_version_flag("--version", kVersion);
  app.require_subcommand(0, 1);
  // Unknown words and repeated options are refused after the parse, in the
  // program's words rather than the parser's.
  app.allow_extras();
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
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
      ->check(checkedBy(fileName));
  addFile(*mergeCommand, "--json", merge.json, "Write the merged study to FILE");
  addFile(*mergeCommand, "--csv", merge.csv, "Write one row per count to FILE");
  addReportOptions(*mergeCommand, merge.report);
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
  EdgeTexts edgeTexts;
  CLI::App* edge = app.add_subcommand(
      "edge",
      "The exact house edge of a game off the top (a freshly shuffled shoe, or one with "
      "--removed cards out): every card removed as it is dealt, the round played by the shoe's "
      "total-dependent basic strategy (--strategy basic, the default) or by each hand's own "
      "cards (--strategy composition); with the chances of a win, push and loss and the "
      "return by up card");
  addEdgeOptions(*edge, edgeTexts);
  RampTexts rampTexts;
  CLI::App* ramp = app.add_subcommand(
      "ramp",
      "Find the stake per count that makes a bankroll grow fastest on a study's counts: the "
      "fraction F of the Kelly stake, bankroll x mean / second moment of a round's payoff at "
      "each count, in whole units within the spread, the least stake where the mean is not "
      "positive. Prints it as a --ramp that run takes, with its figures");
  addRampOptions(*ramp, rampTexts);
  TripTexts tripTexts;
  CLI::App* trip = app.add_subcommand(
      "trip",
      "Play trips of --hours hours at the table's pace from a --bankroll, each round staked by "
      "the --ramp at its count, a trip ending early (ruined) when the bankroll cannot cover the "
      "next stake; print the chance of ruin with its interval and the diffusion "
      "approximation's, the quantiles of a trip's result and the bankroll's hour by hour. Trip "
      "K is dealt the shoes of the study's block K, so trips depend only on their settings");
  addTripOptions(*trip, tripTexts);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) {
      app.exit(error);
      return Outcome::Done;
    }
    throw BadInput{refusal(app, error, "truecount-lab")};
  }
  const auto commands = app.get_subcommands();
  if (commands.empty()) {
    const auto words = app.remaining();
    throw BadInput{(words.empty() ? std::string("no command")
                                  : "\"" + printable(words.front()) + "\" is no command") +
                   ": give run, compare, merge, indices, strategy, edge, ramp or trip (see "
                   "truecount-lab --help)"};
  }
  const std::string typed = "truecount-lab " + commands.front()->get_name();
  refuseExtrasAndRepeats(*commands.front(), typed, typed);
  if (mergeCommand->parsed() && merge.files.empty()) {
    throw BadInput{
        "merge needs the study files to unite: truecount-lab merge FILE... [--json FILE]"};
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
  if (edge->parsed()) {
    return edgeRequest(edgeTexts);
  }
  if (trip->parsed()) {
    return tripRequest(tripTexts);
  }
  return merge;
}
