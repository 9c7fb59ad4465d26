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

int CountingPlayer::deviationOr(std::span<const IndexPlay> plays, const DecisionView& view,
                                int basic) const {
  const int count = counter_->count(view.deck);
  for (const IndexPlay& play : plays) {
    if (holds(play, count) && view.allowed.contains(play.action)) {
      return play.action;
    }
  }
  return basic;
}

int CountingPlayer::decidePair(const DecisionView& view, int total, bool soft, int upCard) const {
  const int card = view.hand.cards()[0];
  const int basic =
      basic_.pairAction(upCard, card, view.handsInRound, view.hand.canDouble, view.allowed);
  const auto pairPlays = indices_.at(IndexHand::Pair, card, upCard);
  const int pairPlay = pairPlays.empty() ? kNone : deviationOr(pairPlays, view, kNone);
  if (pairPlay != kNone) {
    return pairPlay;
  }
  // A pair that basic strategy does not split is played as its total.
  const auto totalPlays = indices_.at(soft ? IndexHand::Soft : IndexHand::Hard, total, upCard);
  if (basic == Split || totalPlays.empty()) {
    return basic;
  }
  return deviationOr(totalPlays, view, basic);
}

int CountingPlayer::decide(const DecisionView& view) {
  bool soft = false;
  const int total = view.hand.total(soft);
  if (total > DecisionTable::kTopTotal || view.dealer.cards().empty()) {
    return Stand;
  }
  const int upCard = view.dealer.cards()[0] == 1 ? kAce : view.dealer.cards()[0];
  if (view.allowed.contains(Split)) {
    return decidePair(view, total, soft, upCard);
  }
  const int basic =
      basic_.totalAction(upCard, total, soft, view.hand.cards().size() == 2, view.allowed);
  const auto plays = indices_.at(soft ? IndexHand::Soft : IndexHand::Hard, total, upCard);
  // Most decisions have no index play: two lookups, and the count is not read.
  return plays.empty() ? basic : deviationOr(plays, view, basic);
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
