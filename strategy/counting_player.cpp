#include "strategy/counting_player.h"

#include "strategy/decision_table.h"

namespace {

constexpr int kAce = 11;
constexpr int kNone = -1;

bool holds(const IndexPlay& play, int count) {
  return play.atOrAbove ? count >= play.index : count <= play.index;
}

}  // namespace

CountingPlayer::CountingPlayer(const GameRules& rules, const IndexPlays& plays,
                               const CardCounter& counter)
    : basic_(rules), indices_(plays), counter_(&counter) {}

int CountingPlayer::deviation(std::span<const IndexPlay> plays, const DecisionView& view) const {
  if (plays.empty()) {
    return kNone;
  }
  const int count = counter_->count(view.deck);
  for (const IndexPlay& play : plays) {
    if (holds(play, count) && view.allowed.contains(play.action)) {
      return play.action;
    }
  }
  return kNone;
}

int CountingPlayer::decide(const DecisionView& view) {
  bool soft = false;
  const int total = view.hand.total(soft);
  if (total > DecisionTable::kTopTotal || view.dealer.cards().empty()) {
    return Stand;
  }
  const int upCard = view.dealer.cards()[0] == 1 ? kAce : view.dealer.cards()[0];
  const IndexHand kind = soft ? IndexHand::Soft : IndexHand::Hard;
  if (view.allowed.contains(Split)) {
    const int card = view.hand.cards()[0];
    const int pairPlay = deviation(indices_.at(IndexHand::Pair, card, upCard), view);
    if (pairPlay != kNone) {
      return pairPlay;
    }
    const int basic =
        basic_.pairAction(upCard, card, view.handsInRound, view.hand.canDouble, view.allowed);
    const int totalPlay =
        basic == Split ? kNone : deviation(indices_.at(kind, total, upCard), view);
    return totalPlay != kNone ? totalPlay : basic;
  }
  const int totalPlay = deviation(indices_.at(kind, total, upCard), view);
  return totalPlay != kNone ? totalPlay : basic_.totalAction(upCard, total, soft, view.allowed);
}

bool CountingPlayer::takesInsurance(const Deck& deck, const Hand& dealer, const GameRules& rules) {
  if (rules.insurance == Insurance::Count) {
    return counter_->count(deck) >= rules.insuranceCount;
  }
  return insuranceByPolicy(deck, dealer, rules);
}

GameRules rulesWithIndexInsurance(const GameRules& rules, const IndexPlays& plays) {
  GameRules played = rules;
  const IndexPlay* row = plays.insurance();
  if (rules.insurance == Insurance::Never && row != nullptr) {
    played.insurance = Insurance::Count;
    played.insuranceCount = row->index;
  }
  return played;
}
