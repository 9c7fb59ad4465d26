#include "lab/edge_report.h"

#include <array>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "lab/chart_report.h"
#include "study/settings.h"

namespace {

constexpr std::array<const char*, 10> kUpCardNames{"A", "2", "3", "4", "5",
                                                   "6", "7", "8", "9", "10"};

std::string percent(double fraction, const char* format = "%.4f%%") {
  std::array<char, 32> text{};
  std::snprintf(text.data(), text.size(), format, 100.0 * fraction);
  return text.data();
}

std::string playName(ExactPlay play) {
  return play == ExactPlay::TotalDependent ? "basic" : "composition";
}

std::string playPhrase(const EdgeQuestion& question) {
  return question.play == ExactPlay::TotalDependent
             ? "total-dependent basic strategy of the full shoe"
             : "composition-dependent strategy (each hand by its own cards)";
}

std::string actionName(const HandRow& row) {
  if (row.natural) {
    return "blackjack";
  }
  switch (row.action) {
    case Hit:
      return "hit";
    case Double:
      return "double";
    case Split:
      return "split";
    case Surrender:
      return "surrender";
    default:
      return "stand";
  }
}

std::string handName(const HandRow& row) {
  return std::string(kUpCardNames[row.first - 1]) + "," + kUpCardNames[row.second - 1];
}

}  // namespace

std::string edgeText(const GameValue& game, const EdgeQuestion& question) {
  const ExpectedResult& round = game.round;
  std::string text = "House edge " + percent(-round.value) + " (the player's expected return " +
                     percent(round.value, "%+.4f%%") +
                     " of the initial stake per round), exact, off the top\n";
  text += "Game: " + rulesLine(question.config) + "\n";
  text += "Played by the " + playPhrase(question);
  text += question.config.rules.insurance == Insurance::Composition
              ? ", insurance when the unseen cards hold tens more than one in three\n"
              : ", no insurance\n";
  if (!question.removedText.empty()) {
    text += "Removed from the shoe first: " + question.removedText + "\n";
  }
  text += "Rounds won " + percent(round.win, "%.2f%%") + ", pushed " +
          percent(round.push, "%.2f%%") + ", lost " + percent(round.loss, "%.2f%%") +
          " (a split round counts its hands' shares)\n\n";
  text += "By the dealer's up card\n  up   chance    return      won   pushed     lost\n";
  for (int up = 2; up <= 11; ++up) {
    const int index = up == 11 ? 0 : up - 1;
    const ExpectedResult& o = game.byUpCard[index];
    std::array<char, 96> line{};
    std::snprintf(line.data(), line.size(), "%4s %7.2f%% %+8.3f%% %7.2f%% %7.2f%% %7.2f%%\n",
                  kUpCardNames[index], 100.0 * game.upCardChance[index], 100.0 * o.value,
                  100.0 * o.win, 100.0 * o.push, 100.0 * o.loss);
    text += line.data();
  }
  return text;
}

std::string edgeJson(const GameValue& game, const EdgeQuestion& question) {
  using Json = nlohmann::ordered_json;
  Json settings = Json::object();
  for (const Setting& setting : studySettings()) {
    if (shapesTheChart(setting) || setting.key == "insurance") {
      settings[std::string(setting.key)] = setting.print(question.config);
    }
  }
  const auto chances = [](const ExpectedResult& o) {
    return Json{{"win", o.win}, {"push", o.push}, {"loss", o.loss}};
  };
  Json byUp = Json::array();
  for (int index = 0; index < 10; ++index) {
    Json up{{"up_card", kUpCardNames[index]},
            {"chance", game.upCardChance[index]},
            {"expected_return", game.byUpCard[index].value}};
    up.update(chances(game.byUpCard[index]));
    byUp.push_back(up);
  }
  Json answer{{"format", "truecount-lab edge"},
              {"version", 1},
              {"settings", settings},
              {"strategy", playName(question.play)},
              {"removed", question.removedText},
              {"expected_return", game.round.value},
              {"house_edge_percent", -100.0 * game.round.value}};
  answer.update(chances(game.round));
  answer["by_up_card"] = byUp;
  return answer.dump(2) + "\n";
}

std::string edgeCsv(const GameValue& game) {
  std::string csv = "up_card,hand,chance,stand,hit,double,split,surrender,action,insured,value\n";
  for (const HandRow& row : game.hands) {
    csv += std::string(kUpCardNames[row.upCard - 1]) + ",\"" + handName(row) + "\"," +
           nlohmann::json(row.chance).dump();
    const std::array<std::pair<int, const ExpectedResult*>, 5> actions{
        {{Stand, &row.values.stand},
         {Hit, &row.values.hit},
         {Double, &row.values.doubleDown},
         {Split, &row.values.split},
         {Surrender, &row.values.surrender}}};
    for (const auto& [action, outcome] : actions) {
      const bool allowed = !row.natural && (action == Stand || row.allowed.contains(action));
      csv += "," + (allowed ? nlohmann::json(outcome->value).dump() : std::string());
    }
    csv += "," + actionName(row) + "," + (row.insured ? "yes" : "no") + "," +
           nlohmann::json(row.played.value).dump() + "\n";
  }
  return csv;
}

std::string chartEdgeLine(const GameValue& game) {
  return "House edge under this chart, exact, off the top: " + percent(-game.round.value) +
         " (the player's expected return " + percent(game.round.value, "%+.4f%%") + ")\n";
}
