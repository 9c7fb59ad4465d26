// Every player decision copies both hands and builds a decision table; none of
// that may touch the heap. This binary counts every global allocation.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "deck/deck.h"
#include "strategy/player_rule.h"

static long allocations = 0;

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

TEST(NoAllocation, DecisionsFromTheTableToTheAction) {
  std::srand(3);
  Deck deck(2, true);
  Hand dealer;
  dealer.addCard(deck.deal());
  dealer.addCard(deck.deal());
  int decisions = 0;
  const long before = allocations;
  while (deck.cardsLeft() > 4) {
    Hand player;  // a fresh pair of cards each time, then hits as the rule says
    player.addCard(deck.deal());
    player.addCard(deck.deal());
    for (int action = Hit; action == Hit && player.total() <= 21; ++decisions) {
      action = PlayerRule(DecisionContext{&deck, dealer, player});
      if (action == Hit)
        player.addCard(deck.deal());
    }
  }
  EXPECT_GT(decisions, 20);
  EXPECT_EQ(allocations - before, 0);
}
