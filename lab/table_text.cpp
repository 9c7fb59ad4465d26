#include "lab/table_text.h"

#include <cmath>

#include "study/settings.h"

std::string figure(double value, const char* pattern) {
  return std::isfinite(value) ? format(pattern, value) : std::string("n/a");
}

std::string settingsLine(const StudyConfig& c) {
  std::string line;
  for (const Setting& setting : studySettings()) {
    line += (line.empty() ? "" : ", ") + phraseOf(setting, c);
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
