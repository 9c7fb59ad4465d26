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
  // An index file's rows, on the one line.
  for (auto at = line.find('\n'); at != std::string::npos; at = line.find('\n', at)) {
    line.replace(at, 1, at + 1 == line.size() || line[at + 1] == ',' ? "" : "; ");
  }
  return line;
}
