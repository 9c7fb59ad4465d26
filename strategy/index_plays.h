#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The hands an index play names: a hard total ("16"), a soft total ("A,7"), a
// pair that may split ("8,8"), or the insurance bet.
enum class IndexHand : std::uint8_t { Hard, Soft, Pair, Insurance };

// One deviation from basic strategy: take `action` (Stand, Hit, Double, Split
// or Surrender; nothing for insurance) at whole true counts at or above
// `index`, or at or below it.
struct IndexPlay {
  IndexHand hand = IndexHand::Hard;
  // The hard or soft total, the pair's card (1 for aces), 0 for insurance.
  int value = 0;
  // The dealer's up card, 2..10 or 11 for the ace.
  int upCard = 0;
  int action = 0;
  int index = 0;
  bool atOrAbove = true;
  bool operator==(const IndexPlay&) const = default;
};

// A set of index plays, in the order given: where two plays of one hand and
// up card both apply, the first whose action the hand may take is played.
struct IndexPlays {
  std::vector<IndexPlay> plays;

  // The canonical CSV, header included, which parseIndexPlays reads back to
  // the same set.
  std::string text() const;
  // The insurance row, or null.
  const IndexPlay* insurance() const;
  bool operator==(const IndexPlays&) const = default;
};

// A malformed file: 1-based line and column of the fault, and what it is.
struct IndexFileError {
  int line = 0;
  int column = 0;
  std::string message;
  std::string text() const;
};

// Reads a CSV whose header names the columns hand, up_card, index, direction
// and the action, as `action` or `deviation` (the generated files' name);
// other columns (basic, ci95_low, ...) are ignored and blank lines skipped.
// Hands: hard 4 to 21, soft A,2 to A,10 (a soft 21 of more than two cards,
// or a split ace's 21), pairs A,A and 2,2 to 10,10, and
// `insurance` (up card A, action `insure`). Up cards 2 to 10 and A. Actions
// stand, hit, double, split (pairs only) and surrender. Indexes are counts
// from -60 to 60, whole or decimal: a decimal index is compared with whole
// counts, so ">= 0.4" holds from 1 and "<= -1.5" up to -2. Directions >= and
// <=. A hand, up card and action may appear once.
std::variant<IndexPlays, IndexFileError> parseIndexPlays(std::string_view csv);

// The built-in Hi-Lo sets: `i18` (the Illustrious 18, insurance included) and
// `fab4` (the four late-surrender indices). A comma-separated list of them,
// each once, names their union, in which the Fab 4 decides the hands it names.
std::span<const std::string_view> indexSetNames();
std::optional<IndexPlays> indexSetNamed(std::string_view names);
// The list of built-in sets that makes `plays`, "i18,fab4", or none.
std::optional<std::string> indexSetName(const IndexPlays& plays);

// The plays of each hand and up card, found by lookup at every decision.
class IndexTable {
 public:
  IndexTable() = default;
  explicit IndexTable(const IndexPlays& plays);

  bool empty() const { return plays_.empty(); }
  std::span<const IndexPlay> at(IndexHand hand, int value, int upCard) const {
    const Cell& cell = cells_[static_cast<int>(hand)][value][upCard - 2];
    return {plays_.data() + cell.first, cell.count};
  }

 private:
  static constexpr int kValues = 22;
  static constexpr int kUpCards = 10;
  struct Cell {
    std::uint16_t first = 0;
    std::uint16_t count = 0;
  };
  // [hand kind][value][up card - 2]
  std::array<std::array<std::array<Cell, kUpCards>, kValues>, 4> cells_{};
  std::vector<IndexPlay> plays_;
};

// The whole count from which (>=) or up to which (<=) a decimal index holds.
struct DecimalIndex {
  bool negative = false;
  int whole = 0;
  bool fraction = false;  // a non-zero fractional part
};
int wholeIndex(const DecimalIndex& index, bool atOrAbove);

// The names index files use for actions and up cards.
std::string_view actionWord(int action);
std::string upCardText(int upCard);
std::string handText(IndexHand hand, int value);
