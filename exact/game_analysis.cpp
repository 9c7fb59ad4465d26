#include "exact/game_analysis.h"

#include <functional>

#include "exact/split_counts.h"

namespace {

constexpr ExpectedResult kEarlySurrender{-0.5, 0.0, 0.0, 1.0};

double blackjackPayout(BlackjackPays pays) {
  switch (pays) {
    case BlackjackPays::SixToFive:
      return 1.2;
    case BlackjackPays::OneToOne:
      return 1.0;
    case BlackjackPays::TwoToOne:
      return 2.0;
    case BlackjackPays::ThreeToTwo:
      break;
  }
  return 1.5;
}

CardCounts handOf(int first, int second) {
  CardCounts hand;
  hand.add(first);
  hand.add(second);
  return hand;
}

// The chance that the first cards dealt from `shoe` are `hand`, in any order.
double dealtChance(const CardCounts& shoe, const CardCounts& hand) {
  double chance = 1.0;
  int drawn = 0;
  for (int v = 1; v <= CardCounts::kValues; ++v) {
    for (int i = 0; i < hand[v]; ++i) {
      chance *= static_cast<double>(shoe[v] - i) / (shoe.total() - drawn);
      ++drawn;
      chance *= static_cast<double>(drawn) / (i + 1);
    }
  }
  return chance;
}

// Every hand of `minCards` cards or more and a hard sum of at most 21 that
// `shoe` holds, values in rising order.
void forEachHand(const CardCounts& shoe, int minCards, const CardCounts& hand, int lowest,
                 const std::function<void(const CardCounts&)>& visit) {
  if (hand.total() >= minCards) {
    visit(hand);
  }
  for (int v = lowest; v <= CardCounts::kValues; ++v) {
    if (hand.hardSum() + v > 21) {
      break;
    }
    if (hand[v] < shoe[v]) {
      forEachHand(shoe, minCards, hand.plus(v), v, visit);
    }
  }
}

void addScaled(ActionValues& sum, const ActionValues& values, double weight) {
  sum.stand += values.stand.scaled(weight);
  sum.hit += values.hit.scaled(weight);
  sum.doubleDown += values.doubleDown.scaled(weight);
  sum.split += values.split.scaled(weight);
  sum.surrender += values.surrender.scaled(weight);
}

ExpectedResult valueOf(const ActionValues& values, int action) {
  switch (action) {
    case Hit:
      return values.hit;
    case Double:
      return values.doubleDown;
    case Split:
      return values.split;
    case Surrender:
      return values.surrender;
    default:
      return values.stand;
  }
}

bool isPair(const CardCounts& hand) {
  return hand.total() == 2 && hand.hardSum() % 2 == 0 && hand[hand.hardSum() / 2] == 2;
}

// One up card's hands, valued by one engine for one play.
class UpCardAnalysis {
 public:
  UpCardAnalysis(UpCardEngine& engine, const GameRules& rules) : engine_(engine), rules_(rules) {}

  // Decides every kind of hand into `tables`, the engine's shoe being the full one.
  void decideKinds(UpCardTables& tables);
  // Plays by `tables`, or by composition when there are none.
  void playBy(const UpCardTables* tables) {
    tables_ = tables;
    engine_.setPlay(tables != nullptr ? tables->multiCard : MultiCardPlay{});
  }
  // The original hand's allowed actions and their values in the round's terms.
  ActionSet firstActions(const CardCounts& hand) const;
  ActionValues originalValues(const CardCounts& hand, ActionSet allowed);
  int decide(const CardCounts& hand, ActionSet allowed, const ActionValues& values,
             int handsInRound, bool canDouble) const;
  // Splitting the pair of `card`, joint with the hands' being played on.
  ExpectedResult splitJoint(int card, int handsInRound, bool canDouble);

 private:
  void decideMultiCard(UpCardTables& tables);
  ExpectedResult splitRound(int card, int handsInRound, bool canDouble) {
    return engine_.roundValue(splitJoint(card, handsInRound, canDouble), handOf(card, card));
  }
  ExpectedResult splitHand(int card, int second, bool mayDouble);
  const ActionValues& kindValues(const CardCounts& hand) const;

  UpCardEngine& engine_;
  const GameRules& rules_;
  const UpCardTables* tables_ = nullptr;
};

void UpCardAnalysis::decideMultiCard(UpCardTables& tables) {
  std::array<std::array<std::vector<CardCounts>, 22>, 2> kinds;
  forEachHand(engine_.shoe(), 3, CardCounts{}, 1, [&kinds](const CardCounts& hand) {
    kinds[hand.isSoft() ? 1 : 0][hand.bestTotal()].push_back(hand);
  });
  tables.multiCard = MultiCardPlay{false, {}};
  engine_.setPlay(tables.multiCard);
  // A hit leads a hard hand to a higher hard total and a soft hand to a
  // higher soft total or to a hard one: so hard totals first, from the top.
  for (int soft = 0; soft < 2; ++soft) {
    for (int total = 21; total >= 4; --total) {
      double stand = 0.0;
      double hit = 0.0;
      for (const CardCounts& hand : kinds[soft][total]) {
        const double weight = dealtChance(engine_.shoe(), hand);
        stand += weight * engine_.stand(hand, 0).value;
        hit += weight * engine_.hit(hand, 0).value;
      }
      const bool hits = !kinds[soft][total].empty() && hit >= stand;
      tables.multiCard.hits[soft][total] = hits;
      engine_.decideTotal(soft != 0, total, hits);
    }
  }
}

void UpCardAnalysis::decideKinds(UpCardTables& tables) {
  decideMultiCard(tables);
  tables_ = &tables;
  const CardCounts& shoe = engine_.shoe();
  for (int first = 1; first <= CardCounts::kValues; ++first) {
    for (int second = first; second <= CardCounts::kValues; ++second) {
      const CardCounts hand = handOf(first, second);
      if (!shoe.holds(hand) || (first != second && hand.bestTotal() == 21)) {
        continue;
      }
      const ActionValues values = originalValues(hand, firstActions(hand).without(Split));
      if (first != second) {
        const int soft = hand.isSoft() ? 1 : 0;
        addScaled(tables.twoCard[soft][hand.bestTotal()], values, dealtChance(shoe, hand));
        tables.twoCardDealt[soft][hand.bestTotal()] = true;
      } else {
        tables.pair[first - 1] = values;
      }
    }
  }
  // Split values last: a split hand plays by the two-card and pair decisions.
  for (int card = 1; card <= CardCounts::kValues; ++card) {
    if (!shoe.holds(handOf(card, card)) || rules_.handLimit() < 2) {
      continue;
    }
    for (int hands = 1; hands <= kRoundSizes; ++hands) {
      for (int canDouble = 0; canDouble < 2; ++canDouble) {
        tables.split[card - 1][hands - 1][canDouble] =
            splitRound(card, hands, canDouble != 0).value;
      }
    }
  }
}

ActionSet UpCardAnalysis::firstActions(const CardCounts& hand) const {
  ActionSet allowed{Stand, Hit};
  if (mayDoubleOn(hand.bestTotal(), hand.isSoft(), rules_.doubleOn)) {
    allowed = allowed.with(Double);
  }
  if (isPair(hand) && rules_.handLimit() >= 2) {
    allowed = allowed.with(Split);
  }
  return rules_.surrender != SurrenderRule::None ? allowed.with(Surrender) : allowed;
}

ActionValues UpCardAnalysis::originalValues(const CardCounts& hand, ActionSet allowed) {
  ActionValues values;
  values.stand = engine_.roundValue(engine_.stand(hand, 0), hand);
  values.hit = engine_.roundValue(engine_.hit(hand, 0), hand);
  if (allowed.contains(Double)) {
    values.doubleDown = engine_.roundValue(engine_.doubleDown(hand, 0), hand);
  }
  if (allowed.contains(Split)) {
    values.split = splitRound(hand.hardSum() / 2, 1, true);
  }
  if (allowed.contains(Surrender)) {
    values.surrender = rules_.surrender == SurrenderRule::Early
                           ? kEarlySurrender
                           : engine_.roundValue(engine_.lateSurrender(hand), hand);
  }
  return values;
}

const ActionValues& UpCardAnalysis::kindValues(const CardCounts& hand) const {
  return isPair(hand) ? tables_->pair[hand.hardSum() / 2 - 1]
                      : tables_->twoCard[hand.isSoft() ? 1 : 0][hand.bestTotal()];
}

int UpCardAnalysis::decide(const CardCounts& hand, ActionSet allowed, const ActionValues& values,
                           int handsInRound, bool canDouble) const {
  if (tables_ == nullptr) {
    return bestOf(values, allowed);
  }
  ActionValues kind = kindValues(hand);
  if (allowed.contains(Split)) {
    const int hands = handsInRound < kRoundSizes ? handsInRound : kRoundSizes;
    kind.split.value = tables_->split[hand.hardSum() / 2 - 1][hands - 1][canDouble ? 1 : 0];
  }
  return bestOf(kind, allowed);
}

// A split hand of the pair card and `second`, joint with its being played on,
// the other pair card out of the shoe.
ExpectedResult UpCardAnalysis::splitHand(int card, int second, bool mayDouble) {
  const CardCounts hand = handOf(card, second);
  const bool truecountPricing = rules_.splitPricing == SplitPricing::Truecount;
  const int total = hand.bestTotal();
  if (total == 21) {
    return rules_.splitTwentyOnePaysBlackjack && !truecountPricing
               ? engine_.paidTwentyOne(hand, card, 1.5)
               : engine_.stand(hand, card);
  }
  if (card == 1 && rules_.splitAces == SplitAces::OneCard) {
    return engine_.stand(hand, card);
  }
  ActionSet allowed{Stand, Hit};
  if (mayDouble && mayDoubleOn(total, hand.isSoft(), rules_.doubleOn)) {
    allowed = allowed.with(Double);
  }
  ActionValues values;
  values.stand = engine_.stand(hand, card);
  values.hit = engine_.hit(hand, card);
  if (allowed.contains(Double)) {
    values.doubleDown = engine_.doubleDown(hand, card);
  }
  return valueOf(values, decide(hand, allowed, values, 2, mayDouble));
}

// Splitting the pair of `card` in a round of `handsInRound` hands, joint with
// the hands' being played on. Each split hand is valued as if dealt alone from the shoe
// less both pair cards; how many hands the split makes, resplits included,
// comes from the chance of drawing the pair card there (expectedSplitCounts).
ExpectedResult UpCardAnalysis::splitJoint(int card, int handsInRound, bool canDouble) {
  const SplitPermissions permissions = splitPermissions(rules_.afterSplit, {canDouble, true});
  const bool truecountPricing = rules_.splitPricing == SplitPricing::Truecount;
  Resplits resplits = Resplits::Never;
  if (!truecountPricing && permissions.first.canSplit && (card != 1 || rules_.resplitAces)) {
    resplits = permissions.added.canSplit ? Resplits::EveryHand : Resplits::FirstHandOnly;
  }
  const CardCounts pair = handOf(card, card);
  const double q = engine_.drawChance(pair, card);
  const SplitCounts counts = expectedSplitCounts(q, resplitRoom(handsInRound, rules_), resplits,
                                                 rules_.maxHands == GameRules::kNoHandLimit);
  ExpectedResult round;
  double hands = 0.0;
  for (int kind = 0; kind < 2; ++kind) {
    if (counts.draws[kind] == 0.0) {
      continue;
    }
    const bool mayDouble =
        !truecountPricing && (kind == 0 ? permissions.first : permissions.added).canDouble;
    ExpectedResult others;
    for (int second = 1; second <= CardCounts::kValues; ++second) {
      const double chance = engine_.drawChance(pair, second);
      if (second != card && chance != 0.0) {
        others += splitHand(card, second, mayDouble).scaled(chance);
      }
    }
    round += others.scaled(counts.draws[kind]);
    round += splitHand(card, card, mayDouble).scaled(counts.pairs[kind]);
    hands += counts.draws[kind] * (1.0 - q) + counts.pairs[kind];
  }
  // The chances of a split round are its hands' shares.
  if (hands > 0.0) {
    round.win /= hands;
    round.push /= hands;
    round.loss /= hands;
  }
  return round;
}

}  // namespace

int bestOf(const ActionValues& values, ActionSet allowed) {
  int action = Stand;
  double value = values.stand.value;
  if (allowed.contains(Hit) && values.hit.value >= value) {
    action = Hit;
    value = values.hit.value;
  }
  if (allowed.contains(Double) && values.doubleDown.value >= value) {
    action = Double;
    value = values.doubleDown.value;
  }
  if (allowed.contains(Split) && values.split.value > value) {
    action = Split;
    value = values.split.value;
  }
  if (allowed.contains(Surrender) && values.surrender.value > value) {
    action = Surrender;
  }
  return action;
}

ExpectedResult compositionSplit(UpCardEngine& engine, const GameRules& rules, int card,
                                int handsInRound, bool canDouble) {
  UpCardAnalysis analysis(engine, rules);
  analysis.playBy(nullptr);
  return analysis.splitJoint(card, handsInRound, canDouble);
}

TotalDependentTables totalDependentTables(const GameRules& rules, const CardCounts& shoe) {
  TotalDependentTables tables;
  for (int up = 1; up <= CardCounts::kValues; ++up) {
    CardCounts rest = shoe;
    rest.add(up, -1);
    UpCardEngine engine(rest, up, rules);
    UpCardAnalysis(engine, rules).decideKinds(tables.byUpCard[up - 1]);
  }
  return tables;
}

namespace {

// One original hand against the engine's up card, as `analysis` plays it.
HandRow originalHand(UpCardAnalysis& analysis, UpCardEngine& engine, const GameRules& rules,
                     const CardCounts& hand) {
  HandRow row;
  row.upCard = engine.upCard();
  row.chance = dealtChance(engine.shoe(), hand);
  row.natural = hand.bestTotal() == 21;
  if (row.natural) {
    const int partner = blackjackPartner(row.upCard);
    const double blackjack = partner != 0 ? engine.drawChance(hand, partner) : 0.0;
    const double payout = blackjackPayout(rules.blackjackPays);
    row.played = {payout * (1.0 - blackjack), 1.0 - blackjack, blackjack, 0.0};
  } else {
    row.allowed = analysis.firstActions(hand);
    row.values = analysis.originalValues(hand, row.allowed);
    row.action = analysis.decide(hand, row.allowed, row.values, 1, true);
    row.played = valueOf(row.values, row.action);
  }
  const CardCounts unseen = engine.shoe().minus(hand);
  row.insured = row.upCard == 1 && rules.insurance == Insurance::Composition &&
                3 * unseen[10] > unseen.total();
  if (row.insured) {
    row.played.value += 1.5 * unseen[10] / unseen.total() - 0.5;
  }
  return row;
}

// Sets how `analysis` plays: by composition, or by the full shoe's basic
// strategy, decided into `tables` (by `analysis` itself when its shoe is full).
void choosePlay(UpCardAnalysis& analysis, UpCardTables& tables, const GameRules& rules, int upCard,
                ExactPlay play, bool fullShoe) {
  if (play == ExactPlay::Composition) {
    analysis.playBy(nullptr);
  } else if (fullShoe) {
    analysis.decideKinds(tables);  // and plays by them
  } else {
    CardCounts full = CardCounts::shoe(rules.decks);
    full.add(upCard, -1);
    UpCardEngine fullEngine(full, upCard, rules);
    UpCardAnalysis(fullEngine, rules).decideKinds(tables);
    analysis.playBy(&tables);
  }
}

}  // namespace

GameValue gameValue(const GameRules& rules, const CardCounts& shoe, ExactPlay play) {
  GameValue game;
  const bool fullShoe = shoe == CardCounts::shoe(rules.decks);
  for (int up = 1; up <= CardCounts::kValues; ++up) {
    if (shoe[up] == 0) {
      continue;
    }
    CardCounts rest = shoe;
    rest.add(up, -1);
    UpCardEngine engine(rest, up, rules);
    UpCardAnalysis analysis(engine, rules);
    UpCardTables tables;
    choosePlay(analysis, tables, rules, up, play, fullShoe);
    ExpectedResult upCardRound;
    for (int first = 1; first <= CardCounts::kValues; ++first) {
      for (int second = first; second <= CardCounts::kValues; ++second) {
        if (rest.holds(handOf(first, second))) {
          HandRow row = originalHand(analysis, engine, rules, handOf(first, second));
          row.first = first;
          row.second = second;
          upCardRound += row.played.scaled(row.chance);
          game.hands.push_back(row);
        }
      }
    }
    game.upCardChance[up - 1] = static_cast<double>(shoe[up]) / shoe.total();
    game.byUpCard[up - 1] = upCardRound;
    game.round += upCardRound.scaled(game.upCardChance[up - 1]);
  }
  return game;
}
