#include "table/simulator.h"

#include <cmath>
#include <limits>
#include <utility>

#include "table/payoff_unit.h"

namespace {

constexpr int kBlackjackTotal = 21;
constexpr std::int64_t kUnit = kPayoffUnitsPerStake;

// The stake counts as a whole number of units, truncated toward zero. Stakes
// beyond the int range (or NaN) cannot come from a sane bet rule; they are
// clamped rather than converted with undefined behaviour.
std::int64_t wholeStake(double stake) {
  constexpr auto kLimit = static_cast<double>(std::numeric_limits<int>::max());
  if (stake >= -kLimit && stake <= kLimit) {  // every sane stake; never NaN
    return static_cast<std::int64_t>(stake);
  }
  if (std::isnan(stake)) {
    return 0;
  }
  return static_cast<std::int64_t>(std::trunc(std::fmax(-kLimit, std::fmin(kLimit, stake))));
}

std::int64_t blackjackUnits(BlackjackPays pays) {
  switch (pays) {
    case BlackjackPays::ThreeToTwo:
      return kUnit * 3 / 2;
    case BlackjackPays::SixToFive:
      return kUnit * 6 / 5;
    case BlackjackPays::OneToOne:
      return kUnit;
    case BlackjackPays::TwoToOne:
      return kUnit * 2;
  }
  return kUnit * 3 / 2;
}

std::int64_t handUnits(const Hand& hand, bool dealerBlackjack, int dealerTotal,
                       const GameRules& rules) {
  const std::int64_t s = wholeStake(hand.stake);
  if (hand.surrendered) {
    // A late surrender stands against a dealer without a blackjack only: with
    // no hole card, a blackjack that then appears takes the whole stake.
    const bool stands = !dealerBlackjack || rules.surrender != SurrenderRule::Late;
    return stands ? -kUnit / 2 * s : -kUnit * s;
  }
  // An even-money split 21 settles like any other 21; a 3:2 one pays 3:2
  // whatever a blackjack dealt as such pays.
  const bool playerBlackjack =
      hand.isBlackjack() && (!hand.fromSplit || rules.splitTwentyOnePaysBlackjack);
  const int total = hand.total();
  if (dealerBlackjack) {
    return playerBlackjack ? 0 : -kUnit * s;
  }
  if (playerBlackjack) {
    return (hand.fromSplit ? kUnit * 3 / 2 : blackjackUnits(rules.blackjackPays)) * s;
  }
  if (total > kBlackjackTotal) {
    return -kUnit * s;
  }
  if (dealerTotal > kBlackjackTotal || dealerTotal < total) {
    return kUnit * s;
  }
  return dealerTotal > total ? -kUnit * s : 0;
}

}  // namespace

Simulator::Simulator(DealerRuleFn dealerRule, PlayerDecision playerRule, BetRuleFn betRule,
                     const GameRules& rules, RandomSource& random, TableObserver& observer)
    : dealerRule_(dealerRule),
      playerRule_(std::move(playerRule)),
      betRule_(betRule),
      rules_(rules),
      observer_(&observer),
      deck_(rules.decks, true, random) {
  hands_.reserve(kReservedHands);
}

Simulator::Simulator(DealerRuleFn dealerRule, Player& player, BetRuleFn betRule,
                     const GameRules& rules, RandomSource& random, TableObserver& observer)
    : dealerRule_(dealerRule),
      player_(&player),
      betRule_(betRule),
      rules_(rules),
      observer_(&observer),
      deck_(rules.decks, true, random) {
  // Rounds past the first then reuse this storage: more hands than this
  // takes four splits in one round.
  hands_.reserve(kReservedHands);
}

void Simulator::seatOthers(Player& others, int players, int seat) {
  others_ = &others;
  players_ = players;
  seat_ = seat;
  for (int other = 0; other + 1 < players; ++other) {
    otherHands_[other].reserve(kReservedHands);
  }
}

void Simulator::spreadBy(const SpotRule& rule) {
  spotRule_ = &rule;
  for (int added = 1; added < rule.most(); ++added) {
    spot(added).reserve(kReservedHands);
  }
}

void Simulator::newRound() {
  if (deck_.cardsLeft() <= Deck::kCardsPerDeck * deck_.numDecks() - rules_.reshuffleAfter) {
    deck_.shuffle();
    if (counter_ != nullptr) {
      counter_->shuffled();
    }
  }
  dealer_.reset();
  hands_.resize(1);
  hands_[0].reset();
}

Hand& Simulator::seatHand(int seat) {
  if (seat < seat_) {
    return otherHands_[static_cast<std::size_t>(seat - 1)][0];
  }
  if (seat < seat_ + spots_) {
    return spot(seat - seat_)[0];
  }
  return otherHands_[static_cast<std::size_t>(seat - spots_ - 1)][0];
}

void Simulator::dealSeats() {
  const auto renew = [](std::vector<Hand>& hands) {
    hands.resize(1);
    hands[0].reset();
  };
  for (int other = 0; other + 1 < players_; ++other) {
    renew(otherHands_[static_cast<std::size_t>(other)]);
  }
  for (int added = 1; added < spots_; ++added) {
    renew(spot(added));
    spot(added)[0].stake = bet_;
  }
  const int seats = players_ - 1 + spots_;
  for (int seat = 1; seat <= seats; ++seat) {
    dealTo(seatHand(seat));
  }
  dealTo(dealer_);
  for (int seat = 1; seat <= seats; ++seat) {
    dealTo(seatHand(seat));
  }
}

void Simulator::simulate(int rounds, bool verbose) {
  for (int i = 1; i <= rounds; ++i) {
    if (rounds % i == 0) {
      observer_->progress(i, rounds);
    }
    const RoundResult result = playRound(i, verbose);
    record(result.count, result.payoff);
  }
  observer_->simulationDone();
}

RoundResult Simulator::playRound(int number, bool verbose) {
  newRound();
  bet_ = hands_[0].stake = betRule_(&deck_);
  RoundResult result;
  result.count = counter_ != nullptr ? counter_->count(deck_) : truecountCount(deck_);
  result.freshShoe = deck_.cardsLeft() == Deck::kCardsPerDeck * deck_.numDecks();
  spots_ = spotRule_ != nullptr ? spotRule_->handsAt(result.count) : 1;
  if (players_ == 1 && spots_ == 1) {  // the lone player's deal, inline: the common case
    dealTo(hands_[0]);
    dealTo(dealer_);
    dealTo(hands_[0]);
  } else {
    dealSeats();
  }
  if (rules_.peeks()) {
    dealTo(dealer_, false);
  }
  if (verbose) {
    observer_->roundDealt(number, dealer_, hands_[0]);
  }
  if (dealer_.cards()[0] == 1) {
    // A player object is asked at every ace, so that one who prices the bet
    // sees each; the bet is placed only where the rules offer it.
    const int count = counter_ != nullptr ? counter_->count(deck_) : truecountCount(deck_);
    const bool wanted = player_ != nullptr ? player_->takesInsurance(deck_, dealer_, rules_, count)
                                           : insuranceByPolicy(deck_, dealer_, rules_, count);
    insured_ = wanted && rules_.insurance != Insurance::Never;
  } else {
    insured_ = false;
  }
  result.decisions = playPlayerTurn();
  playDealerTurn();
  if (verbose) {
    observer_->roundSettled(dealer_, hands_);
  }
  settle(result);
  return result;
}

void Simulator::shoeRunsOut() {
  observer_->shoeExhausted();
  if (counter_ != nullptr) {
    counter_->shuffled();
  }
}

int Simulator::playPlayerTurn() {
  int answer = kNotAsked;
  // The first decision of each spot past the first, under early surrender.
  std::array<int, SpotRule::kMostHands - 1> answers{};
  const bool early = rules_.peeks() && rules_.surrender == SurrenderRule::Early;
  if (early) {
    answer = ask(hands_, 0, allowedActions(hands_[0], 1, true, rules_), true);
    for (int j = 1; j < spots_; ++j) {
      answers[static_cast<std::size_t>(j - 1)] =
          ask(spot(j), 0, allowedActions(spot(j)[0], 1, true, rules_), true);
    }
  }
  if (rules_.peeks() && dealer_.isBlackjack()) {
    hands_[0].surrendered = answer == Surrender;
    for (int j = 1; j < spots_ && early; ++j) {
      spot(j)[0].surrendered = answers[static_cast<std::size_t>(j - 1)] == Surrender;
    }
    return early ? spots_ : 0;
  }
  if (players_ > 1) {
    playOthers(0, seat_ - 1);
  }
  int decisions = 0;
  const auto decide = [this](std::size_t k, ActionSet allowed, bool first) {
    return ask(hands_, k, allowed, first);
  };
  // Splits append hands; they are played in the same turn, after the others.
  for (std::size_t k = 0; k < hands_.size(); ++k) {
    decisions += playHand(hands_, k, k == 0 ? answer : kNotAsked, decide);
  }
  for (int j = 1; j < spots_; ++j) {
    decisions += playSpot(spot(j), early ? answers[static_cast<std::size_t>(j - 1)] : kNotAsked);
  }
  if (players_ > 1) {
    playOthers(seat_ - 1, players_ - 1);
  }
  return decisions;
}

int Simulator::playSpot(std::vector<Hand>& hands, int answer) {
  const auto decide = [this, &hands](std::size_t k, ActionSet allowed, bool first) {
    return ask(hands, k, allowed, first);
  };
  int decisions = 0;
  for (std::size_t k = 0; k < hands.size(); ++k) {
    decisions += playHand(hands, k, k == 0 ? answer : kNotAsked, decide);
  }
  return decisions;
}

void Simulator::playOthers(int first, int end) {
  for (int other = first; other < end; ++other) {
    std::vector<Hand>& hands = otherHands_[static_cast<std::size_t>(other)];
    const auto decide = [this, &hands](std::size_t k, ActionSet allowed, bool firstDecision) {
      return others_->decide(DecisionView{deck_, dealer_, hands[k], rules_,
                                          static_cast<int>(hands.size()), firstDecision, allowed});
    };
    for (std::size_t k = 0; k < hands.size(); ++k) {
      playHand(hands, k, kNotAsked, decide);
    }
  }
}

// `answer`, when not kNotAsked, is the hand's first decision, already taken.
template <typename Decide>
int Simulator::playHand(std::vector<Hand>& hands, std::size_t k, int answer, Decide decide) {
  int asked = 0;
  int decisions = 0;
  while (hands[k].total() <= kBlackjackTotal) {
    const bool first = k == 0 && asked == 0;
    const ActionSet allowed =
        allowedActions(hands[k], static_cast<int>(hands.size()), first, rules_);
    // A one-card split ace that may not split again has nothing to decide.
    if (allowed == ActionSet{Stand}) {
      return asked;
    }
    const int action =
        answer != kNotAsked ? std::exchange(answer, kNotAsked) : decide(k, allowed, first);
    ++asked;
    switch (allowed.contains(action) ? action : kNotAsked) {
      case Stand:
        return asked;
      case Surrender:
        hands[k].surrendered = true;
        return asked;
      case Double:
        dealTo(hands[k]);
        hands[k].canDouble = false;
        hands[k].stake *= 2;
        return asked;
      case Hit:
        dealTo(hands[k]);
        break;
      case Split:
        splitHand(hands, k);
        break;
      default:
        break;
    }
    if (++decisions > kMaxDecisions) {
      observer_->handTooLong(hands[k]);
      return asked;
    }
  }
  return asked;
}

int Simulator::askRule(const std::vector<Hand>& hands, std::size_t k, ActionSet allowed,
                       bool firstDecision) {
  const int count = static_cast<int>(hands.size());
  return playerRule_(
      DecisionContext{&deck_, dealer_, hands[k], &rules_, count, firstDecision, allowed});
}

void Simulator::splitHand(std::vector<Hand>& hands, std::size_t k) {
  Hand& hand = hands[k];
  const int card = hand.cards()[0];
  hand.removeFirstCard();
  dealTo(hand);
  Hand split;
  split.addCard(card);
  dealTo(split);
  split.stake = hand.stake;
  split.fromSplit = hand.fromSplit = true;
  const SplitPermissions permissions =
      splitPermissions(rules_.afterSplit, {hand.canDouble, hand.canSplit});
  hand.canDouble = permissions.first.canDouble;
  hand.canSplit = permissions.first.canSplit;
  split.canDouble = permissions.added.canDouble;
  split.canSplit = permissions.added.canSplit;
  hands.push_back(split);
}

void Simulator::playDealerTurn() {
  if (!rules_.peeks()) {
    dealTo(dealer_);
  } else if (counter_ != nullptr) {
    counter_->see(dealer_.cards()[1]);  // the hole card, turned over
  }
  // Any answer but Hit ends the turn, so a rule cannot stall it. The house
  // rule is asked without copying the hand into a context: it is the same test.
  const bool houseRule = dealerRule_ == DealerRule;
  while (dealer_.total() <= kBlackjackTotal &&
         (houseRule ? dealerHits(dealer_, rules_)
                    : dealerRule_(DecisionContext{&deck_, dealer_, dealer_, &rules_}) == Hit)) {
    dealTo(dealer_);
  }
}

std::int64_t Simulator::settleSpot(const std::vector<Hand>& hands, bool dealerBlackjack,
                                   int dealerTotal, RoundResult& result) const {
  const std::int64_t before = result.payoffUnits;
  const auto add = [&result](std::int64_t units) {
    result.payoffUnits += units;
    result.payoff += static_cast<double>(units) / kPayoffUnitsPerStake;
  };
  for (const Hand& hand : hands) {
    add(handUnits(hand, dealerBlackjack, dealerTotal, rules_));
  }
  if (insured_) {
    // Half the stake, paid 2:1 on a dealer blackjack.
    const std::int64_t s = wholeStake(bet_);
    add(dealerBlackjack ? kUnit * s : -kUnit / 2 * s);
  }
  return result.payoffUnits - before;
}

// Flattened: a study settles its lone hand at every round.
[[gnu::flatten]] void Simulator::settle(RoundResult& result) const {
  const int dealerTotal = dealer_.total();
  const bool dealerBlackjack = dealer_.isBlackjack();
  if (spotRule_ == nullptr) {
    settleSpot(hands_, dealerBlackjack, dealerTotal, result);
    return;
  }
  // Only a spot rule's stakes, a few units, are squared: truecount's may be
  // any size.
  for (int j = 0; j < spots_; ++j) {
    const std::int64_t units = settleSpot(spotHands(j), dealerBlackjack, dealerTotal, result);
    result.handSquares += units * units;
  }
  result.hands = spots_;
}
