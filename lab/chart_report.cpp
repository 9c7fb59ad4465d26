#include "lab/chart_report.h"

#include <array>
#include <cstdio>

#include "study/games.h"
#include "study/settings.h"

namespace {

constexpr std::array<const char*, 10> kUpCards = {"2", "3", "4", "5",  "6",
                                                  "7", "8", "9", "10", "A"};

std::string cell(const char* text, int width) {
  std::array<char, 16> buffer{};
  std::snprintf(buffer.data(), buffer.size(), "%*s", width, text);
  return buffer.data();
}

void addRows(std::string& text, const char* title, const std::vector<ChartRow>& rows) {
  text += std::string(title) + "\n";
  for (const ChartRow& row : rows) {
    text += cell(row.hand.c_str(), 6);
    for (const ChartCode code : row.codes) {
      text += cell(std::string(letterOf(code)).c_str(), 4);
    }
    text += "\n";
  }
}

}  // namespace

std::string rulesLine(const StudyConfig& config) {
  std::string line = gamePhrase(config, shapesTheChart);
  for (const Setting& setting : studySettings()) {
    if (shapesTheChart(setting) && !isHouseRule(setting) &&
        setting.print(config) != setting.print(StudyConfig{})) {
      line += ", " + phraseOf(setting, config);
    }
  }
  return line;
}

std::string chartText(const StrategyChart& chart, const StudyConfig& config) {
  std::string text = "Basic strategy for " + rulesLine(config) + "\n";
  text +=
      "The original two-card hand against the dealer's up card. H hit, S stand, D double "
      "else hit, Ds double else stand, P split, R surrender else hit, Rs surrender else "
      "stand, Rp surrender else split, Rd surrender else double else hit, Rds surrender "
      "else double else stand.\n\n";
  text += cell("hand", 6);
  for (const char* up : kUpCards) {
    text += cell(up, 4);
  }
  text += "\n";
  addRows(text, "Hard", chart.hard);
  addRows(text, "Soft", chart.soft);
  addRows(text, "Pairs", chart.pairs);
  return text;
}

std::string chartCsv(const StrategyChart& chart) {
  std::string csv = "hand";
  for (const char* up : kUpCards) {
    csv += std::string(",") + up;
  }
  csv += "\n";
  for (const auto* rows : {&chart.hard, &chart.soft, &chart.pairs}) {
    for (const ChartRow& row : *rows) {
      const bool comma = row.hand.find(',') != std::string::npos;
      csv += comma ? "\"" + row.hand + "\"" : row.hand;
      for (const ChartCode code : row.codes) {
        csv += "," + std::string(letterOf(code));
      }
      csv += "\n";
    }
  }
  return csv;
}
