#include "strategy/chart.h"

#include "strategy/player_rule.h"
#include "table/actions.h"

namespace {

constexpr int kAce = 11;

// The original hand's choices: standing, hitting, doubling where its total
// may, surrendering where the rules offer it.
ActionSet firstChoices(int total, bool soft, const GameRules& rules) {
  ActionSet allowed{Stand, Hit};
  allowed = mayDoubleOn(total, soft, rules.doubleOn) ? allowed.with(Double) : allowed;
  return rules.surrender != SurrenderRule::None ? allowed.with(Surrender) : allowed;
}

ChartCode doubleCode(int elseAction) {
  return elseAction == Hit ? ChartCode::DoubleElseHit : ChartCode::DoubleElseStand;
}

// `action` is the first decision; `otherwise(allowed)` decides with fewer choices.
template <typename Decide>
ChartCode codeOf(int action, ActionSet allowed, Decide otherwise) {
  const int afterHit = otherwise(ActionSet{Stand, Hit});
  switch (action) {
    case Hit:
      return ChartCode::Hit;
    case Double:
      return doubleCode(afterHit);
    case Split:
      return ChartCode::Split;
    case Surrender:
      switch (otherwise(allowed.without(Surrender))) {
        case Hit:
          return ChartCode::SurrenderElseHit;
        case Split:
          return ChartCode::SurrenderElseSplit;
        case Double:
          return afterHit == Hit ? ChartCode::SurrenderElseDoubleElseHit
                                 : ChartCode::SurrenderElseDoubleElseStand;
        default:
          return ChartCode::SurrenderElseStand;
      }
    default:
      return ChartCode::Stand;
  }
}

ChartRow totalRow(const BasicStrategy& strategy, const GameRules& rules, int total, bool soft,
                  std::string hand) {
  ChartRow row{std::move(hand)};
  const ActionSet allowed = firstChoices(total, soft, rules);
  for (int up = 2; up <= kAce; ++up) {
    const auto decide = [&](ActionSet choices) {
      return strategy.totalAction(up, total, soft, true, choices);
    };
    row.codes[up - 2] = codeOf(decide(allowed), allowed, decide);
  }
  return row;
}

ChartRow pairRow(const BasicStrategy& strategy, const GameRules& rules, int card) {
  const bool aces = card == 1;
  const std::string name = aces ? "A" : std::to_string(card);
  ChartRow row{name + "," + name};
  const int total = aces ? 12 : 2 * card;
  const ActionSet allowed = firstChoices(total, aces, rules).with(Split);
  for (int up = 2; up <= kAce; ++up) {
    const auto decide = [&](ActionSet choices) {
      return strategy.pairAction(up, card, 1, true, choices);
    };
    row.codes[up - 2] = codeOf(decide(allowed), allowed, decide);
  }
  return row;
}

}  // namespace

std::string_view letterOf(ChartCode code) {
  switch (code) {
    case ChartCode::Hit:
      return "H";
    case ChartCode::Stand:
      return "S";
    case ChartCode::DoubleElseHit:
      return "D";
    case ChartCode::DoubleElseStand:
      return "Ds";
    case ChartCode::Split:
      return "P";
    case ChartCode::SurrenderElseHit:
      return "R";
    case ChartCode::SurrenderElseStand:
      return "Rs";
    case ChartCode::SurrenderElseSplit:
      return "Rp";
    case ChartCode::SurrenderElseDoubleElseHit:
      return "Rd";
    case ChartCode::SurrenderElseDoubleElseStand:
      return "Rds";
  }
  return "?";
}

StrategyChart chartOf(const BasicStrategy& strategy, const GameRules& rules) {
  StrategyChart chart;
  for (int total = 5; total <= 20; ++total) {
    chart.hard.push_back(totalRow(strategy, rules, total, false, std::to_string(total)));
  }
  for (int total = 13; total <= 20; ++total) {
    chart.soft.push_back(totalRow(strategy, rules, total, true, "A," + std::to_string(total - 11)));
  }
  for (int card = 2; card <= 10; ++card) {
    chart.pairs.push_back(pairRow(strategy, rules, card));
  }
  chart.pairs.push_back(pairRow(strategy, rules, 1));
  return chart;
}
