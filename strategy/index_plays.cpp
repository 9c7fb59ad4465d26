#include "strategy/index_plays.h"

#include <algorithm>
#include <array>
#include <tuple>

#include "count/true_count.h"
#include "table/actions.h"
#include "text/number_text.h"

namespace {

constexpr int kAce = 11;

// The published Hi-Lo sets (docs/counting.md: "Index plays").
constexpr std::string_view kIllustrious18 =
    "hand,up_card,action,index,direction\n"
    "insurance,A,insure,3,>=\n"
    "16,10,stand,0,>=\n"
    "15,10,stand,4,>=\n"
    "\"10,10\",5,split,5,>=\n"
    "\"10,10\",6,split,4,>=\n"
    "10,10,double,4,>=\n"
    "12,3,stand,2,>=\n"
    "12,2,stand,3,>=\n"
    "11,A,double,1,>=\n"
    "9,2,double,1,>=\n"
    "10,A,double,4,>=\n"
    "9,7,double,3,>=\n"
    "16,9,stand,5,>=\n"
    "13,2,hit,-2,<=\n"
    "12,4,hit,-1,<=\n"
    "12,5,hit,-3,<=\n"
    "12,6,hit,-2,<=\n"
    "13,3,hit,-3,<=\n";
constexpr std::string_view kFab4 =
    "hand,up_card,action,index,direction\n"
    "14,10,surrender,3,>=\n"
    // Surrender at 0 and above, as basic strategy does: hit below.
    "15,10,hit,-1,<=\n"
    "15,9,surrender,2,>=\n"
    "15,A,surrender,1,>=\n";

constexpr std::array<std::string_view, 2> kSetNames{"i18", "fab4"};
// The sets in the order they take a cell (a hand and up card) that two name:
// with surrender offered, the Fab 4 decides its hands, where the I18 would
// stand on 15 v 10 from +4 rather than surrender.
constexpr std::array<std::pair<std::string_view, std::string_view>, 2> kSetsByPrecedence{{
    {"fab4", kFab4},
    {"i18", kIllustrious18},
}};

constexpr std::array<std::pair<int, std::string_view>, 5> kActionWords{{
    {Stand, "stand"},
    {Hit, "hit"},
    {Double, "double"},
    {Split, "split"},
    {Surrender, "surrender"},
}};
constexpr std::string_view kInsure = "insure";

struct Field {
  std::string_view text;
  int column = 1;
};

// One line's fields; a field in double quotes may hold commas. Gives the
// column of a quote left open as an error.
std::variant<std::vector<Field>, IndexFileError> fieldsOf(std::string_view line, int lineNumber) {
  std::vector<Field> fields;
  std::size_t at = 0;
  while (true) {
    const int column = static_cast<int>(at) + 1;
    if (at < line.size() && line[at] == '"') {
      const auto close = line.find('"', at + 1);
      if (close == std::string_view::npos) {
        return IndexFileError{lineNumber, column, "a quote is not closed"};
      }
      fields.push_back({line.substr(at + 1, close - at - 1), column});
      at = close + 1;
      if (at < line.size() && line[at] != ',') {
        return IndexFileError{lineNumber, static_cast<int>(at) + 1,
                              "a quoted field must end at a comma"};
      }
    } else {
      const auto comma = std::min(line.find(',', at), line.size());
      fields.push_back({line.substr(at, comma - at), column});
      at = comma;
    }
    if (at >= line.size()) {
      return fields;
    }
    ++at;  // past the comma
  }
}

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) {
    return {};
  }
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<int> wholeNumber(std::string_view text, int low, int high) {
  const auto value = readWhole(text, low, high);
  return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
}

// A card of a hand: A or 2..10, as its value (1 the ace).
std::optional<int> cardOf(std::string_view text) {
  return text == "A" ? std::optional<int>(1) : wholeNumber(text, 2, 10);
}

struct HandKey {
  IndexHand hand;
  int value;
};

std::optional<HandKey> handOf(std::string_view text) {
  if (text == "insurance") {
    return HandKey{IndexHand::Insurance, 0};
  }
  const auto comma = text.find(',');
  if (comma == std::string_view::npos) {
    const auto total = wholeNumber(text, 4, 21);
    return total ? std::optional<HandKey>({IndexHand::Hard, *total}) : std::nullopt;
  }
  const auto first = cardOf(trimmed(text.substr(0, comma)));
  const auto second = cardOf(trimmed(text.substr(comma + 1)));
  if (!first || !second) {
    return std::nullopt;
  }
  if (*first == *second) {
    return HandKey{IndexHand::Pair, *first};
  }
  if (*first == 1) {
    return HandKey{IndexHand::Soft, 11 + *second};
  }
  return std::nullopt;
}

std::optional<int> upCardOf(std::string_view text) {
  if (text == "A") {
    return kAce;
  }
  return wholeNumber(text, 2, 10);
}

std::optional<DecimalIndex> decimalIndexOf(std::string_view text) {
  const auto decimal = readDecimal(text);
  constexpr auto kLimit = static_cast<std::uint64_t>(kCountLimit);
  const auto whole = decimal ? decimal->wholePart(kLimit) : std::nullopt;
  if (!whole || (*whole == kLimit && decimal->hasFraction())) {
    return std::nullopt;
  }
  return DecimalIndex{decimal->negative, static_cast<int>(*whole), decimal->hasFraction()};
}

struct Columns {
  int hand = -1;
  int upCard = -1;
  int action = -1;
  int index = -1;
  int direction = -1;
};

// Each column read, the header names it goes by and how a missing one is named.
struct ColumnName {
  int Columns::*column;
  std::string_view name;
  std::string_view otherName;
  std::string_view missing;
};
constexpr std::array<ColumnName, 5> kColumnNames{{
    {&Columns::hand, "hand", "", "hand"},
    {&Columns::upCard, "up_card", "", "up_card"},
    {&Columns::action, "action", "deviation", "action (or deviation)"},
    {&Columns::index, "index", "", "index"},
    {&Columns::direction, "direction", "", "direction"},
}};

std::variant<Columns, IndexFileError> columnsOf(const std::vector<Field>& header, int line) {
  Columns columns;
  for (std::size_t i = 0; i < header.size(); ++i) {
    const std::string_view name = trimmed(header[i].text);
    for (const ColumnName& known : kColumnNames) {
      if (name != known.name && (known.otherName.empty() || name != known.otherName)) {
        continue;
      }
      if (columns.*known.column >= 0) {
        return IndexFileError{line, header[i].column, "column \"" + std::string(name) + "\" twice"};
      }
      columns.*known.column = static_cast<int>(i);
    }
  }
  for (const ColumnName& known : kColumnNames) {
    if (columns.*known.column < 0) {
      return IndexFileError{line, 1, "the header has no column " + std::string(known.missing)};
    }
  }
  return columns;
}

std::variant<IndexPlay, IndexFileError> playOf(const std::vector<Field>& fields,
                                               const Columns& columns, int line) {
  const auto field = [&](int column) { return trimmed(fields[column].text); };
  const auto fault = [&](int column, std::string message) {
    return IndexFileError{line, fields[column].column, std::move(message)};
  };
  IndexPlay play;
  const auto hand = handOf(field(columns.hand));
  if (!hand) {
    return fault(columns.hand,
                 "the hand must be a hard total 4 to 21, a soft total A,2 to A,10, "
                 "a pair A,A or 2,2 to 10,10, or insurance");
  }
  play.hand = hand->hand;
  play.value = hand->value;
  const auto up = upCardOf(field(columns.upCard));
  if (!up) {
    return fault(columns.upCard, "the up card must be 2 to 10 or A");
  }
  play.upCard = *up;
  const std::string_view word = field(columns.action);
  if (play.hand == IndexHand::Insurance) {
    if (play.upCard != kAce) {
      return fault(columns.upCard, "insurance is offered against an ace only");
    }
    if (word != kInsure) {
      return fault(columns.action, "the insurance row's action is insure");
    }
  } else {
    const auto* found = std::find_if(kActionWords.begin(), kActionWords.end(),
                                     [&](const auto& entry) { return entry.second == word; });
    if (found == kActionWords.end()) {
      return fault(columns.action, "the action must be stand, hit, double, split or surrender");
    }
    if (found->first == Split && play.hand != IndexHand::Pair) {
      return fault(columns.action, "only a pair may split");
    }
    play.action = found->first;
  }
  const std::string_view direction = field(columns.direction);
  if (direction != ">=" && direction != "<=") {
    return fault(columns.direction, "the direction must be >= or <=");
  }
  play.atOrAbove = direction == ">=";
  if (play.hand == IndexHand::Insurance && !play.atOrAbove) {
    return fault(columns.direction, "insurance is taken at its index and above: >=");
  }
  const auto index = decimalIndexOf(field(columns.index));
  if (!index) {
    return fault(columns.index, "the index must be a count from -60 to 60");
  }
  play.index = wholeIndex(*index, play.atOrAbove);
  return play;
}

bool sameCell(const IndexPlay& a, const IndexPlay& b) {
  return a.hand == b.hand && a.value == b.value && a.upCard == b.upCard && a.action == b.action;
}

}  // namespace

int wholeIndex(const DecimalIndex& index, bool atOrAbove) {
  // x >= i holds for whole x from ceil(i); x <= i up to floor(i).
  const int whole = index.negative ? -index.whole : index.whole;
  if (!index.fraction) {
    return whole;
  }
  if (atOrAbove) {
    return index.negative ? whole : whole + 1;
  }
  return index.negative ? whole - 1 : whole;
}

std::string_view actionWord(int action) {
  for (const auto& [code, word] : kActionWords) {
    if (code == action) {
      return word;
    }
  }
  return "?";
}

std::string upCardText(int upCard) {
  return upCard == kAce ? "A" : std::to_string(upCard);
}

std::string handText(IndexHand hand, int value) {
  switch (hand) {
    case IndexHand::Hard:
      return std::to_string(value);
    case IndexHand::Soft:
      return "A," + std::to_string(value - 11);
    case IndexHand::Pair: {
      const std::string card = value == 1 ? "A" : std::to_string(value);
      return card + "," + card;
    }
    case IndexHand::Insurance:
      return "insurance";
  }
  return "?";
}

std::string IndexFileError::text() const {
  return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + message;
}

std::string IndexPlays::text() const {
  std::string csv = "hand,up_card,action,index,direction\n";
  for (const IndexPlay& play : plays) {
    const std::string hand = handText(play.hand, play.value);
    csv += hand.find(',') != std::string::npos ? "\"" + hand + "\"" : hand;
    csv += "," + upCardText(play.upCard) + ",";
    csv += play.hand == IndexHand::Insurance ? kInsure : actionWord(play.action);
    csv += "," + std::to_string(play.index) + (play.atOrAbove ? ",>=\n" : ",<=\n");
  }
  return csv;
}

const IndexPlay* IndexPlays::insurance() const {
  const auto found = std::find_if(plays.begin(), plays.end(), [](const IndexPlay& play) {
    return play.hand == IndexHand::Insurance;
  });
  return found == plays.end() ? nullptr : &*found;
}

std::variant<IndexPlays, IndexFileError> parseIndexPlays(std::string_view csv) {
  IndexPlays result;
  std::optional<Columns> columns;
  std::size_t headerFields = 0;
  int lineNumber = 0;
  while (!csv.empty()) {
    ++lineNumber;
    const auto end = std::min(csv.find('\n'), csv.size());
    std::string_view line = csv.substr(0, end);
    csv.remove_prefix(std::min(end + 1, csv.size()));
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (trimmed(line).empty()) {
      continue;
    }
    auto fields = fieldsOf(line, lineNumber);
    if (auto* error = std::get_if<IndexFileError>(&fields)) {
      return *error;
    }
    const auto& row = std::get<std::vector<Field>>(fields);
    if (!columns) {
      auto found = columnsOf(row, lineNumber);
      if (auto* error = std::get_if<IndexFileError>(&found)) {
        return *error;
      }
      columns = std::get<Columns>(found);
      headerFields = row.size();
      continue;
    }
    if (row.size() != headerFields) {
      return IndexFileError{lineNumber, 1,
                            std::to_string(row.size()) + " fields where the header has " +
                                std::to_string(headerFields) +
                                " (a hand such as A,7 is written in quotes: \"A,7\")"};
    }
    auto play = playOf(row, *columns, lineNumber);
    if (auto* error = std::get_if<IndexFileError>(&play)) {
      return *error;
    }
    const IndexPlay& parsed = std::get<IndexPlay>(play);
    if (std::any_of(result.plays.begin(), result.plays.end(),
                    [&](const IndexPlay& other) { return sameCell(other, parsed); })) {
      return IndexFileError{lineNumber, 1, "this hand, up card and action are given twice"};
    }
    result.plays.push_back(parsed);
  }
  if (!columns) {
    return IndexFileError{lineNumber + 1, 1, "no header: the file is empty"};
  }
  return result;
}

std::span<const std::string_view> indexSetNames() {
  return kSetNames;
}

std::optional<IndexPlays> indexSetNamed(std::string_view names) {
  std::array<bool, kSetNames.size()> wanted{};
  while (true) {
    const std::string_view name = names.substr(0, names.find(','));
    const auto found = static_cast<std::size_t>(
        std::find(kSetNames.begin(), kSetNames.end(), name) - kSetNames.begin());
    if (found == kSetNames.size() || wanted[found]) {
      return std::nullopt;
    }
    wanted[found] = true;
    if (name.size() == names.size()) {
      break;
    }
    names.remove_prefix(name.size() + 1);
  }
  IndexPlays set;
  for (const auto& [name, text] : kSetsByPrecedence) {
    if (!wanted[static_cast<std::size_t>(std::find(kSetNames.begin(), kSetNames.end(), name) -
                                         kSetNames.begin())]) {
      continue;
    }
    const auto earlier = static_cast<std::ptrdiff_t>(set.plays.size());
    const auto parsed = parseIndexPlays(text);
    for (const IndexPlay& play : std::get<IndexPlays>(parsed).plays) {
      if (std::none_of(set.plays.begin(), set.plays.begin() + earlier,
                       [&play](const IndexPlay& other) {
                         return other.hand == play.hand && other.value == play.value &&
                                other.upCard == play.upCard;
                       })) {
        set.plays.push_back(play);
      }
    }
  }
  return set;
}

std::optional<std::string> indexSetName(const IndexPlays& plays) {
  // Every list of built-in sets, each set once, in the order of kSetNames.
  for (unsigned chosen = 1; chosen < (1U << kSetNames.size()); ++chosen) {
    std::string names;
    for (std::size_t i = 0; i < kSetNames.size(); ++i) {
      if (((chosen >> i) & 1U) != 0) {
        names += (names.empty() ? "" : ",") + std::string(kSetNames[i]);
      }
    }
    if (indexSetNamed(names) == plays) {
      return names;
    }
  }
  return std::nullopt;
}

IndexTable::IndexTable(const IndexPlays& plays) {
  // Grouped by cell, each group in the order given.
  for (const IndexPlay& play : plays.plays) {
    const auto after = std::find_if(plays_.rbegin(), plays_.rend(), [&](const IndexPlay& other) {
      return std::tie(other.hand, other.value, other.upCard) <=
             std::tie(play.hand, play.value, play.upCard);
    });
    plays_.insert(after.base(), play);
  }
  for (std::size_t i = 0; i < plays_.size(); ++i) {
    const IndexPlay& play = plays_[i];
    Cell& cell = cells_[static_cast<int>(play.hand)][play.value][play.upCard - 2];
    if (cell.count == 0) {
      cell.first = static_cast<std::uint16_t>(i);
    }
    ++cell.count;
  }
}
