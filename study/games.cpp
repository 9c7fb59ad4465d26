#include "study/games.h"

#include <algorithm>
#include <functional>
#include <vector>

namespace {

// The rules most casinos deal a shoe by: double any two cards and after a
// split, resplit to four hands, one card to each split ace, a split 21 is no
// blackjack, 3:2 for a blackjack, a hole card with a peek. `dealt` is the
// share of the shoe dealt before the reshuffle, in per cent.
GameRules casinoGame(int decks, int dealt, bool hitsSoft17, SurrenderRule surrender) {
  GameRules rules;
  rules.decks = decks;
  rules.reshuffleAfter = (52 * decks * dealt + 50) / 100;  // to the nearest card
  rules.dealerHitsSoft17 = hitsSoft17;
  rules.afterSplit = AfterSplit::DoubleAndSplit;
  rules.splitTwentyOnePaysBlackjack = false;
  rules.surrender = surrender;
  rules.splitAces = SplitAces::OneCard;
  rules.resplitAces = false;
  rules.maxHands = 4;
  return rules;
}

std::vector<NamedGame> makeGames() {
  constexpr bool kH17 = true;
  constexpr bool kS17 = false;
  constexpr SurrenderRule kNone = SurrenderRule::None;
  constexpr SurrenderRule kLate = SurrenderRule::Late;
  std::vector<NamedGame> games{
      {"truecount", GameRules{}},
      {"6d-s17", casinoGame(6, 75, kS17, kNone)},
      {"6d-s17-ls", casinoGame(6, 75, kS17, kLate)},
      {"6d-h17", casinoGame(6, 75, kH17, kNone)},
      {"6d-h17-ls", casinoGame(6, 75, kH17, kLate)},
      {"8d-s17", casinoGame(8, 75, kS17, kNone)},
      {"8d-s17-ls", casinoGame(8, 75, kS17, kLate)},
      {"8d-h17", casinoGame(8, 75, kH17, kNone)},
      {"8d-h17-ls", casinoGame(8, 75, kH17, kLate)},
  };
  games.push_back({"2d-h17", casinoGame(2, 65, kH17, kNone)});
  GameRules sixToFive = casinoGame(1, 50, kH17, kNone);
  sixToFive.blackjackPays = BlackjackPays::SixToFive;
  games.push_back({"1d-6to5", sixToFive});
  // No hole card: the dealer's blackjack takes every bet; doubles on 9 to 11
  // and one split, as European tables deal.
  GameRules european = casinoGame(6, 75, kS17, kNone);
  european.holeCard = HoleCard::None;
  european.doubleOn = DoubleOn::NineToEleven;
  european.afterSplit = AfterSplit::DoubleNoSplit;
  european.maxHands = 2;
  games.push_back({"european", european});
  return games;
}

// Without the blanks around it, and a Windows line's carriage return.
std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r";
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string houseKeys() {
  std::string keys;
  for (const Setting& setting : studySettings()) {
    if (isHouseRule(setting)) {
      keys += (keys.empty() ? "" : ", ") + std::string(setting.key);
    }
  }
  return keys;
}

// A game file as read so far: the house rules set, and on which line.
class GameFile {
 public:
  // Reads one `key = value` line; gives what is wrong with it.
  std::optional<std::string> read(std::string_view line, int lineNumber) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
      return std::string("expected SETTING = VALUE, such as \"decks = 6\"");
    }
    const std::string key(trimmed(line.substr(0, equals)));
    const auto setting = std::find_if(settings_.begin(), settings_.end(),
                                      [&key](const Setting& s) { return s.key == key; });
    if (setting == settings_.end() || !isHouseRule(*setting)) {
      return "\"" + key + "\" is " +
             (setting == settings_.end() ? "no setting" : "not a house rule") +
             "; a game file sets the house rules " + houseKeys();
    }
    int& first = setOn_[static_cast<std::size_t>(setting - settings_.begin())];
    if (first != 0) {
      return key + " is set twice (first on line " + std::to_string(first) +
             "): give each house rule once";
    }
    first = lineNumber;
    const std::string_view value = trimmed(line.substr(equals + 1));
    if (const auto error = setting->read(value, config_)) {
      return key + " = \"" + std::string(value) + "\": " + *error;
    }
    return std::nullopt;
  }

  // The game, once every house rule is set and the whole is sound.
  std::variant<GameRules, std::string> rules() const {
    std::string missing;
    for (std::size_t i = 0; i < settings_.size(); ++i) {
      if (isHouseRule(settings_[i]) && setOn_[i] == 0) {
        missing += (missing.empty() ? "" : ", ") + std::string(settings_[i].key);
      }
    }
    if (!missing.empty()) {
      return "no " + missing + ": a game file sets every house rule, " + houseKeys();
    }
    if (const auto problem = validate(config_)) {
      return *problem;
    }
    return config_.rules;
  }

 private:
  std::span<const Setting> settings_ = studySettings();
  std::vector<int> setOn_ = std::vector<int>(studySettings().size(), 0);
  StudyConfig config_;
};

StudyConfig withRules(const GameRules& rules) {
  StudyConfig config;
  config.rules = rules;
  return config;
}

}  // namespace

std::span<const NamedGame> namedGames() {
  static const std::vector<NamedGame> games = makeGames();
  return games;
}

const NamedGame* gameNamed(std::string_view name) {
  const auto games = namedGames();
  const auto found = std::find_if(games.begin(), games.end(),
                                  [name](const NamedGame& game) { return game.name == name; });
  return found == games.end() ? nullptr : &*found;
}

bool isHouseRule(const Setting& setting) {
  return setting.group == kHouseRulesGroup;
}

std::variant<GameRules, std::string> parseGameFile(std::string_view text) {
  GameFile file;
  int lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const auto end = std::min(text.find('\n'), text.size());
    const std::string_view line = trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    if (line.empty() || line.front() == '#') {
      continue;
    }
    if (auto error = file.read(line, lineNumber)) {
      return "line " + std::to_string(lineNumber) + ": " + *error;
    }
  }
  return file.rules();
}

void applyGame(const GameRules& game, StudyConfig& config,
               const std::function<bool(const Setting&)>& takes) {
  const StudyConfig source = withRules(game);
  for (const Setting& setting : studySettings()) {
    if (isHouseRule(setting) && takes(setting)) {
      setting.read(setting.print(source), config);
    }
  }
}

std::string gamePhrase(const StudyConfig& config, bool (*shown)(const Setting&)) {
  const auto differences = [&](const GameRules& rules) {
    const StudyConfig game = withRules(rules);
    std::vector<const Setting*> apart;
    for (const Setting& setting : studySettings()) {
      if (isHouseRule(setting) && shown(setting) && setting.print(game) != setting.print(config)) {
        apart.push_back(&setting);
      }
    }
    return apart;
  };
  const NamedGame* nearest = nullptr;
  std::vector<const Setting*> apart;
  for (const NamedGame& game : namedGames()) {
    auto candidate = differences(game.rules);
    if (nearest == nullptr || candidate.size() < apart.size()) {
      nearest = &game;
      apart = std::move(candidate);
    }
  }
  std::string phrase = "game " + std::string(nearest->name);
  for (std::size_t i = 0; i < apart.size(); ++i) {
    phrase += (i == 0 ? " (" : ", ") + phraseOf(*apart[i], config);
  }
  return phrase + (apart.empty() ? "" : ")");
}

std::string gameList() {
  std::string list;
  for (const NamedGame& game : namedGames()) {
    const StudyConfig config = withRules(game.rules);
    std::string rules;
    for (const Setting& setting : studySettings()) {
      if (isHouseRule(setting)) {
        rules += (rules.empty() ? "" : ", ") + phraseOf(setting, config);
      }
    }
    list += "  " + std::string(game.name) + ": " + rules + "\n";
  }
  return list;
}
