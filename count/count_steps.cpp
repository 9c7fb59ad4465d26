#include "count/count_steps.h"

#include "count/true_count.h"
#include "text/number_text.h"

namespace {

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

std::variant<std::vector<CountStep>, std::string> parseCountSteps(std::string_view text,
                                                                  const StepsForm& form) {
  const std::string what(form.what);
  if (trimmed(text).empty()) {
    return "empty " + what + ": give " + std::string(form.item) + " steps such as " +
           std::string(form.example);
  }
  std::vector<CountStep> steps;
  for (std::size_t number = 1;; ++number) {
    const auto comma = text.find(',');
    const std::string_view item = trimmed(text.substr(0, comma));
    const std::string where =
        what + " step " + std::to_string(number) + " (\"" + std::string(item) + "\"): ";
    const auto colon = item.find(':');
    if (colon == std::string_view::npos) {
      return where + "each step must be " + std::string(form.item) + ", steps separated by commas";
    }
    const auto count = readWhole(trimmed(item.substr(0, colon)), -kCountLimit, kCountLimit);
    if (!count) {
      return where + "counts must be whole numbers from " + std::to_string(-kCountLimit) + " to " +
             std::to_string(kCountLimit);
    }
    if (!steps.empty() && *count <= steps.back().fromCount) {
      return where + "counts must be strictly ascending, after " +
             std::to_string(steps.back().fromCount);
    }
    const auto value = readWhole(trimmed(item.substr(colon + 1)), form.leastValue, form.mostValue);
    if (!value) {
      return where + std::string(form.valueRule);
    }
    steps.push_back({static_cast<int>(*count), *value});
    if (comma == std::string_view::npos) {
      return steps;
    }
    text.remove_prefix(comma + 1);
  }
}

std::string countStepsText(const std::vector<CountStep>& steps) {
  std::string out;
  for (const CountStep& step : steps) {
    if (!out.empty()) {
      out += ',';
    }
    out += std::to_string(step.fromCount) + ':' + std::to_string(step.value);
  }
  return out;
}
