// Deck: 1 to 8 decks in rank or value mode, then any sequence of deal,
// dealForced, shuffle, remaining and trueCount with any card codes.
// After every call the counts add up to cardsLeft and stay within 0..4 x decks,
// the true count is finite and within -52..52, a deal removes just the card it
// returns; dealing a copy out proves that the shoe holds exactly the counted
// cards and that the deal after the last one reshuffles, silently: the shoe
// never writes to standard output (the table reports the event).
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "deck/deck.h"
#include "fuzz/fuzz_check.h"

namespace {

using Counts = std::array<int, 16>;  // remaining() of the codes 0..15
std::ostringstream out;              // standard output, which must stay empty

Counts countsOf(const Deck& deck) {
  Counts counts{};
  for (int code = 0; code < 16; ++code) {
    counts[code] = deck.remaining(code);
  }
  return counts;
}

int top(const Deck& deck) {
  return deck.valueMode() ? 10 : 13;
}

void checkCounts(const Deck& deck) {
  const Counts counts = countsOf(deck);
  int sum = 0;
  for (int code = 0; code < 16; ++code) {
    const bool dealt = code >= 1 && code <= top(deck);
    const int perDeck = deck.valueMode() && code == 10 ? 16 : 4;  // tens and faces
    const bool counted = dealt || (deck.valueMode() && code == 11);
    FUZZ_CHECK(counts[code] >= 0 && counts[code] <= (counted ? perDeck * deck.numDecks() : 0));
    sum += dealt ? counts[code] : 0;
  }
  FUZZ_CHECK(deck.cardsLeft() == sum && (!deck.valueMode() || counts[11] == counts[1]));
  const double count = deck.trueCount();
  FUZZ_CHECK(std::isfinite(count) && count >= -52.0 && count <= 52.0);
  FUZZ_CHECK(deck.cardsLeft() > 0 || count == 0.0);
}

// Deals a copy of the shoe to the end: the counted cards, then a reshuffle.
std::vector<int> dealOut(Deck deck) {
  const Counts before = countsOf(deck);
  Counts dealt{};
  std::vector<int> order;
  out.str("");
  while (deck.cardsLeft() > 0) {
    order.push_back(deck.deal());
    FUZZ_CHECK(order.back() >= 1 && order.back() <= top(deck));
    ++dealt[order.back()];
  }
  FUZZ_CHECK(out.str().empty() && std::equal(&dealt[1], &dealt[top(deck) + 1], &before[1]));
  deck.deal();
  FUZZ_CHECK(out.str().empty() && deck.cardsLeft() == Deck::kCardsPerDeck * deck.numDecks() - 1);
  return order;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  NullBuffer sink;
  const StreamRedirect captureOut(std::cout, out.rdbuf());
  const StreamRedirect dropErr(std::cerr, &sink);
  std::srand(in.ConsumeIntegral<unsigned>());
  const int decks = in.ConsumeIntegralInRange(1, 8);
  const int full = Deck::kCardsPerDeck * decks;
  Deck deck(decks, in.ConsumeBool(), CLibraryRandom::shared());
  FUZZ_CHECK(deck.numDecks() == decks && deck.cardsLeft() == full);
  while (in.remaining_bytes() > 0) {
    const Counts before = countsOf(deck);
    const int left = deck.cardsLeft();
    const int code =
        in.ConsumeBool() ? in.ConsumeIntegral<int>() : in.ConsumeIntegralInRange(-1, 14);
    const int rank = deck.valueMode() && code == 11 ? 1 : code;  // what a request asks for
    const bool there = rank >= 1 && rank <= 13 && (left == 0 || before[rank] > 0);
    int card = 0;  // the card dealt, if any
    switch (in.ConsumeIntegralInRange(0, 4)) {
      case 0:
        out.str("");
        card = deck.deal();
        FUZZ_CHECK(out.str().empty());
        break;
      case 1:
        if (const Deck copy = deck; (card = deck.dealForced(code)) == -1) {
          // value mode, no card of that rank: nothing changes
          FUZZ_CHECK(deck.valueMode() && (left == 0 || dealOut(copy) == dealOut(deck)));
          FUZZ_CHECK(!there || rank == 10 || rank > 11);
          card = 0;
        } else {
          FUZZ_CHECK(!(deck.valueMode() || there) ||
                     card == (deck.valueMode() && rank > 10 ? 10 : rank));
        }
        break;
      case 2:
        deck.shuffle();
        FUZZ_CHECK(deck.cardsLeft() == full);
        break;
      case 3:
        FUZZ_CHECK((code >= 0 && code < 16) || deck.remaining(code) == 0);
        break;
      default:
        dealOut(deck);
    }
    if (card != 0) {  // exactly the card returned is gone, or one of a refilled shoe
      FUZZ_CHECK(card >= 1 && card <= top(deck));
      FUZZ_CHECK(deck.cardsLeft() == (left == 0 ? full : left) - 1);
      FUZZ_CHECK(left == 0 || deck.remaining(card) == before[card] - 1);
    }
    checkCounts(deck);
  }
  dealOut(deck);
  return 0;
}
