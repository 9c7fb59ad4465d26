#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "count/card_counter.h"
#include "deck/deck.h"
#include "table/game_rules.h"
#include "table/hand.h"
#include "table/payoff_table.h"
#include "table/player.h"
#include "table/rules.h"
#include "table/spot_rule.h"
#include "table/table_observer.h"

// One round's outcome: the whole count it is booked at (truecount's true count
// truncated toward zero, or the count of the player's counter), whether it
// began a fresh shoe, how many times the player was asked, and its payoff
// twice: exactly,
// as a whole number of kPayoffUnitsPerStake (insurance and surrender
// included), and as the double truecount books, the same items each divided by
// that unit and added in the same order.
struct RoundResult {
  int count = 0;
  bool freshShoe = false;
  double payoff = 0.0;
  std::int64_t payoffUnits = 0;
  int decisions = 0;
  // The player's hands side by side (spots) and, under a spot rule, the sum
  // of each spot's payoff units squared, splits and insurance included.
  int hands = 1;
  std::int64_t handSquares = 0;
};

// The table: one player against the dealer, rounds played from one shoe, each
// round's summed payoff booked at the true count the round started with.
//
// The table shows a counter, when it has one, every card as it becomes
// visible: the player's cards and the up card as they are dealt, the hole card
// when the dealer turns it over at the start of his turn, every card he draws;
// a shuffle resets it. Every round is then booked at the counter's count.
//
// A round: the deal (the dealer's hole card only where he peeks); insurance
// when the up card is an ace and the rules offer it; under early surrender the
// original hand's first decision, taken before the peek; the peek, which ends
// the round on a dealer blackjack; the hands in turn, the hands a split adds
// after the others; under no hole card the dealer's second card; the dealer's
// draws; the settlement. An action the hand may not take (allowedActions) is
// not played: the decision is counted and the player asked again.
//
// Other players may share the table (seatOthers). Each seat is dealt its first
// card in seat order, then the dealer his up card, then each seat its second
// card. After the peek the seats play in order, each hand as `others` decides
// and each card shown to the counter; only the player's hands are booked.
//
// The player may play several hands side by side (spreadBy), each on a seat
// of its own from the player's seat on, each staked alike: each is dealt,
// insured, surrendered early and played as a lone player's, in seat order.
class Simulator {
 public:
  // A plain rule function, or any callable that decides for the player.
  using PlayerDecision = std::function<int(DecisionContext)>;

  // A hand is ended with a warning on the decision after this many.
  static constexpr int kMaxDecisions = 21;
  static constexpr std::size_t kMaxHands = GameRules::kHandGuard;
  static constexpr std::size_t kReservedHands = 8;
  static constexpr int kMaxPlayers = 7;

  // The shoe shuffles from `random` and events go to `observer`; both must
  // outlive the table.
  Simulator(DealerRuleFn dealerRule, PlayerDecision playerRule, BetRuleFn betRule,
            const GameRules& rules, RandomSource& random,
            TableObserver& observer = TableObserver::silent());
  // The same with a player object, which must outlive the table too.
  Simulator(DealerRuleFn dealerRule, Player& player, BetRuleFn betRule, const GameRules& rules,
            RandomSource& random, TableObserver& observer = TableObserver::silent());

  // Shows every card from now on to `counter`, which must outlive the table;
  // given before the first round, on a fresh shoe.
  void showCardsTo(CardCounter& counter) { counter_ = &counter; }
  // Seats `players` (1 to kMaxPlayers) at the table, the player at `seat`
  // (1, first base, to players) and `others` deciding for every other seat;
  // `others` must outlive the table. Given before the first round.
  void seatOthers(Player& others, int players, int seat);
  // Plays as many hands a round as `rule` gives at the round's count; `rule`
  // must outlive the table, and the table must have a seat free for each
  // hand past the first. Given before the first round.
  void spreadBy(const SpotRule& rule);

  // Reshuffles once the reshuffle point is reached and resets the hands.
  void newRound();
  // Plays rounds 1..rounds, booking each in the payoff table, with progress
  // events and, if verbose, a trace.
  void simulate(int rounds, bool verbose);
  // Plays one round without booking it.
  RoundResult playRound(int number, bool verbose);

  void record(int count, double payoff) { payoffs_.record(count, payoff); }
  double payoffAt(int count) const { return payoffs_.payoffAt(count); }
  double frequencyAt(int count) const { return payoffs_.frequencyAt(count); }
  const PayoffTable& payoffTable() const { return payoffs_; }

  const GameRules& rules() const { return rules_; }
  const Hand& dealer() const { return dealer_; }
  const std::vector<Hand>& hands() const { return hands_; }
  // The hands of the player's spot `spot` (0 is the first) in the last round.
  const std::vector<Hand>& spotHands(int spot) const {
    return spot == 0 ? hands_ : extraSpots_[static_cast<std::size_t>(spot - 1)];
  }
  bool insured() const { return insured_; }
  Deck& deck() { return deck_; }
  const Deck& deck() const { return deck_; }

 private:
  static constexpr int kNotAsked = -1;

  // The two cards of every seat and the dealer's up card, in seat order, to
  // the other seats' hands and the player's spots past the first made new.
  void dealSeats();
  // A seat's first hand, the player's spots at the player's seats.
  Hand& seatHand(int seat);
  std::vector<Hand>& spot(int spot) {
    return spot == 0 ? hands_ : extraSpots_[static_cast<std::size_t>(spot - 1)];
  }
  int playPlayerTurn();
  // Plays the hands of a spot past the first, splits included; `answer`,
  // when not kNotAsked, is its first decision, already taken.
  int playSpot(std::vector<Hand>& hands, int answer);
  // The other players' hands, theirs from `first` up to `end` in seat order.
  void playOthers(int first, int end);
  // Plays hand k of `hands`, asking `decide(k, allowed, firstDecision)`.
  template <typename Decide>
  int playHand(std::vector<Hand>& hands, std::size_t k, int answer, Decide decide);
  // The player object by reference, inline: the common case of a study.
  int ask(const std::vector<Hand>& hands, std::size_t k, ActionSet allowed, bool firstDecision) {
    if (player_ != nullptr) {
      return player_->decide(DecisionView{deck_, dealer_, hands[k], rules_,
                                          static_cast<int>(hands.size()), firstDecision, allowed});
    }
    return askRule(hands, k, allowed, firstDecision);
  }
  // The rule function, with copies of the hands in a context.
  int askRule(const std::vector<Hand>& hands, std::size_t k, ActionSet allowed, bool firstDecision);
  void splitHand(std::vector<Hand>& hands, std::size_t k);
  void playDealerTurn();
  void settle(RoundResult& result) const;
  // Adds a spot's hands and insurance to `result`; gives the spot's units.
  std::int64_t settleSpot(const std::vector<Hand>& hands, bool dealerBlackjack, int dealerTotal,
                          RoundResult& result) const;
  // Deals a card to `hand`, shown to the counter when it is dealt face up.
  void dealTo(Hand& hand, bool faceUp = true) {
    if (deck_.cardsLeft() == 0) [[unlikely]] {
      shoeRunsOut();
    }
    const int card = deck_.deal();
    hand.addCard(card);
    if (faceUp && counter_ != nullptr) {
      counter_->see(card);
    }
  }
  // The shoe is empty in mid-round: the next deal reshuffles it.
  void shoeRunsOut();

  Hand dealer_;
  // The player's first spot's hands.
  std::vector<Hand> hands_;
  // The player's other spots' hands, in seat order.
  std::array<std::vector<Hand>, SpotRule::kMostHands - 1> extraSpots_;
  const SpotRule* spotRule_ = nullptr;
  int spots_ = 1;
  // The other seats' hands in seat order, the player's seat left out.
  std::array<std::vector<Hand>, kMaxPlayers - 1> otherHands_;
  Player* others_ = nullptr;
  int players_ = 1;
  int seat_ = 1;
  DealerRuleFn dealerRule_;
  // The player rule, or else the player object.
  PlayerDecision playerRule_;
  Player* player_ = nullptr;
  BetRuleFn betRule_;
  GameRules rules_;
  TableObserver* observer_;
  CardCounter* counter_ = nullptr;
  Deck deck_;
  PayoffTable payoffs_;
  double bet_ = 0.0;
  bool insured_ = false;
};
