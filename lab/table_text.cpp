#include "lab/table_text.h"

#include <cmath>

#include "study/games.h"
#include "study/settings.h"

std::string figure(double value, const char* pattern) {
  return std::isfinite(value) ? format(pattern, value) : std::string("n/a");
}

bool showsWeighted(const StudyConfig& c, const ReportOptions& options) {
  return options.weighted || (!c.countSystem() && gamePhrase(c, isHouseRule) == "game truecount");
}

std::string percent(double fraction) {
  return figure(100 * fraction, "%+.3f%%");
}

std::string riskText(double risk) {
  return figure(risk, risk < 1e-3 ? "%.1e" : "%.4f");
}

std::string settingsLine(const StudyConfig& c, bool withSize) {
  const StudyConfig defaults;
  std::string line;
  for (const Setting& setting : studySettings()) {
    std::string phrase;
    if (!withSize && (setting.key == "rounds" || setting.key == "block_size")) {
      continue;
    }
    if (isHouseRule(setting)) {
      // The house rules as one phrase, where the first of them stands.
      phrase = line.find("game ") == std::string::npos ? gamePhrase(c, isHouseRule) : "";
    } else if (setting.group == kStudyGroup || setting.key == "strategy" ||
               setting.key == "count" || setting.print(c) != setting.print(defaults)) {
      phrase = phraseOf(setting, c);
    }
    line += (line.empty() || phrase.empty() ? "" : ", ") + phrase;
  }
  return oneLine(line);
}

std::string oneLine(std::string text) {
  // An index file's rows end in a newline each.
  for (auto at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) {
    text.replace(at, 1, at + 1 == text.size() || text[at + 1] == ',' ? "" : "; ");
  }
  return text;
}

std::string paceLine(double roundsPerSecond, const char* side, double seconds, int threads) {
  if (threads > 0) {
    return format("Pace: %.0f rounds per second%s in %.1f s on %d thread%s\n", roundsPerSecond,
                  side, seconds, threads, threads == 1 ? "" : "s");
  }
  return format("Pace: %.0f rounds per second%s over the %.1f s the runs took\n", roundsPerSecond,
                side, seconds);
}
