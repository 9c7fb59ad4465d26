// Hand: addCard with any int, copies, moves and assignments between four hands,
// dropping the first card, total, isBlackjack and print. After every call each
// hand must match a plain model of what it holds, so a copy that changes with
// its original, a soft total above 21 or a wrong blackjack is caught.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "table/hand.h"

namespace {

struct Model {
  std::vector<int> cards;
  double stake = 1.0;
  bool canDouble = true;
  bool canSplit = true;
};

void verify(const Hand& hand, const Model& model) {
  FUZZ_CHECK(std::vector<int>(hand.cards().begin(), hand.cards().end()) == model.cards);
  FUZZ_CHECK(hand.stake == model.stake && hand.canDouble == model.canDouble &&
             hand.canSplit == model.canSplit);
  int aces = 0;
  int low = 0;
  std::string line = " -";
  for (const int card : model.cards) {
    aces += card == 1 ? 1 : 0;
    low += card;
    line += card == 1 ? " A" : " " + std::to_string(card);
  }
  const bool expectSoft = aces > 0 && low <= 11;
  bool soft = !expectSoft;
  const int total = hand.total(soft);
  FUZZ_CHECK(soft == expectSoft && total == (soft ? low + 10 : low) && (!soft || total <= 21));
  FUZZ_CHECK(hand.isBlackjack() == (model.cards.size() == 2 && total == 21));
  std::ostringstream printed;
  {
    const StreamRedirect capture(std::cout, printed.rdbuf());
    hand.print();
  }
  FUZZ_CHECK(printed.str() == std::to_string(total) + line + "\n");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  std::array<Hand, 4> hands;
  std::array<Model, 4> models;
  while (in.remaining_bytes() > 0) {
    const auto i = in.ConsumeIntegralInRange<std::size_t>(0, 3);
    const auto j = in.ConsumeIntegralInRange<std::size_t>(0, 3);
    Hand& hand = hands[i];
    Model& model = models[i];
    switch (in.ConsumeIntegralInRange(0, 6)) {
      case 0: {
        const int card =
            in.ConsumeBool() ? in.ConsumeIntegral<int>() : in.ConsumeIntegralInRange(-1, 14);
        hand.addCard(card);
        if (card == 1 || card == 11 || (card >= 2 && card <= 10)) {
          model.cards.push_back(card == 11 ? 1 : card);
        }
        break;
      }
      case 1:  // self-assignment included
        hand = hands[j];
        model = models[j];
        break;
      case 2:
        hand = Hand(hands[j]);
        model = models[j];
        break;
      case 3:  // moved-from, self-move included: some valid hand, whatever it holds
        hand = std::move(hands[j]);
        model = models[j];
        models[j] = {{hands[j].cards().begin(), hands[j].cards().end()},
                     hands[j].stake,
                     hands[j].canDouble,
                     hands[j].canSplit};
        break;
      case 4:
        hand.removeFirstCard();
        model.cards.erase(model.cards.begin(), model.cards.begin() + (model.cards.empty() ? 0 : 1));
        break;
      case 5:
        hand.stake = model.stake = in.ConsumeIntegralInRange(-4, 4) * 0.5;
        hand.canDouble = model.canDouble = in.ConsumeBool();
        hand.canSplit = model.canSplit = in.ConsumeBool();
        break;
      default:
        hand = Hand{};
        model = Model{};
    }
    for (std::size_t k = 0; k < hands.size(); ++k) {
      verify(hands[k], models[k]);
    }
  }
  return 0;
}
