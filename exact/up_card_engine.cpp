#include "exact/up_card_engine.h"

namespace {

CardCounts outOfShoe(const CardCounts& hand, int extra) {
  return extra == 0 ? hand : hand.plus(extra);
}

std::uint64_t handKey(const CardCounts& hand, int extra) {
  return hand.key() | static_cast<std::uint64_t>(extra) << 50U;
}

}  // namespace

int blackjackPartner(int upCard) {
  return upCard == 1 ? 10 : upCard == 10 ? 1 : 0;
}

UpCardEngine::UpCardEngine(const CardCounts& shoe, int upCard, const GameRules& rules)
    : UpCardEngine(shoe, std::make_shared<const DealerGraph>(upCard, rules.dealerHitsSoft17),
                   rules) {}

UpCardEngine::UpCardEngine(const CardCounts& shoe, std::shared_ptr<const DealerGraph> graph,
                           const GameRules& rules)
    : shoe_(shoe), rules_(rules), graph_(std::move(graph)) {}

void UpCardEngine::setPlay(const MultiCardPlay& play) {
  play_ = play;
  played_.clear();
}

double UpCardEngine::drawChance(const CardCounts& out, int value) const {
  const int left = shoe_.total() - out.total();
  const int cards = shoe_[value] - out[value];
  return left > 0 && cards > 0 ? static_cast<double>(cards) / left : 0.0;
}

double UpCardEngine::peekedBlackjack(const CardCounts& out) {
  const int partner = blackjackPartner(upCard());
  return rules_.peeks() && partner != 0 ? drawChance(out, partner) : 0.0;
}

const DealerOdds& UpCardEngine::dealerFor(const CardCounts& out) {
  const auto [at, added] = dealer_.try_emplace(out.key());
  if (added) {
    at->second = graph_->odds(shoe_.minus(out), rules_.peeks(), reach_);
  }
  return at->second;
}

ExpectedResult UpCardEngine::bust(const CardCounts& out) {
  const double playedOn = 1.0 - peekedBlackjack(out);
  return {-playedOn, 0.0, 0.0, playedOn};
}

ExpectedResult UpCardEngine::stand(const CardCounts& hand, int extra) {
  const CardCounts out = outOfShoe(hand, extra);
  const int total = hand.bestTotal();
  if (total > 21) {
    return bust(out);
  }
  const DealerOdds& dealer = dealerFor(out);
  ExpectedResult outcome;
  outcome.win = dealer.chance[DealerOdds::kBust];
  outcome.loss = dealer.chance[DealerOdds::kBlackjack];
  for (int dealerTotal = 17; dealerTotal <= 21; ++dealerTotal) {
    const double chance = dealer.chance[dealerTotal - 17];
    if (total > dealerTotal) {
      outcome.win += chance;
    } else if (total < dealerTotal) {
      outcome.loss += chance;
    } else {
      outcome.push += chance;
    }
  }
  outcome.value = outcome.win - outcome.loss;
  return outcome;
}

ExpectedResult UpCardEngine::hit(const CardCounts& hand, int extra) {
  const CardCounts out = outOfShoe(hand, extra);
  ExpectedResult outcome;
  for (int v = 1; v <= CardCounts::kValues; ++v) {
    const double chance = drawChance(out, v);
    if (chance == 0.0) {
      continue;
    }
    const CardCounts next = hand.plus(v);
    outcome += (next.hardSum() > 21 ? bust(out.plus(v)) : played(next, extra)).scaled(chance);
  }
  return outcome;
}

ExpectedResult UpCardEngine::doubleDown(const CardCounts& hand, int extra) {
  const CardCounts out = outOfShoe(hand, extra);
  ExpectedResult outcome;
  for (int v = 1; v <= CardCounts::kValues; ++v) {
    const double chance = drawChance(out, v);
    if (chance != 0.0) {
      outcome += stand(hand.plus(v), extra).scaled(chance);
    }
  }
  return outcome.doubled();
}

ExpectedResult UpCardEngine::played(const CardCounts& hand, int extra) {
  const std::uint64_t key = handKey(hand, extra);
  if (const auto found = played_.find(key); found != played_.end()) {
    return found->second;
  }
  ExpectedResult outcome = stand(hand, extra);
  // Hitting a hard 21 always busts.
  if (hand.hardSum() < 21) {
    const bool soft = hand.isSoft();
    if (play_.byComposition) {
      const ExpectedResult hitting = hit(hand, extra);
      outcome = hitting.value >= outcome.value ? hitting : outcome;
    } else if (play_.hits[soft ? 1 : 0][hand.bestTotal()]) {
      outcome = hit(hand, extra);
    }
  }
  played_.emplace(key, outcome);
  return outcome;
}

ExpectedResult UpCardEngine::lateSurrender(const CardCounts& hand) {
  const int partner = blackjackPartner(upCard());
  const double blackjack = partner != 0 ? drawChance(hand, partner) : 0.0;
  if (rules_.peeks()) {
    return {-0.5 * (1.0 - blackjack), 0.0, 0.0, 1.0 - blackjack};
  }
  // With no hole card, a blackjack that then appears takes the whole stake.
  return {-0.5 * (1.0 - blackjack) - blackjack, 0.0, 0.0, 1.0};
}

ExpectedResult UpCardEngine::paidTwentyOne(const CardCounts& hand, int extra, double payout) {
  const int partner = blackjackPartner(upCard());
  const double blackjack = partner != 0 ? drawChance(outOfShoe(hand, extra), partner) : 0.0;
  // Against a dealer's blackjack it pushes; where he peeks, that is no played hand.
  const double push = rules_.peeks() ? 0.0 : blackjack;
  return {payout * (1.0 - blackjack), 1.0 - blackjack, push, 0.0};
}

ExpectedResult UpCardEngine::roundValue(const ExpectedResult& joint, const CardCounts& hand) {
  const double blackjack = peekedBlackjack(hand);
  ExpectedResult round = joint;
  round.value -= blackjack;
  round.loss += blackjack;
  return round;
}
