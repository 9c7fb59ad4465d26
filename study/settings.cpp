#include "study/settings.h"

#include <algorithm>
#include <array>
#include <utility>

#include "study/text_values.h"
#include "table/actions.h"
#include "table/simulator.h"

namespace {

template <typename T, std::size_t N>
using Names = std::array<std::pair<T, std::string_view>, N>;

constexpr Names<bool, 2> kDealerNames{{{true, "h17"}, {false, "s17"}}};
constexpr Names<AfterSplit, 5> kAfterSplitNames{{
    {AfterSplit::KeepFirst, "truecount"},
    {AfterSplit::NoDoubleNoSplit, "none"},
    {AfterSplit::DoubleNoSplit, "das"},
    {AfterSplit::DoubleAndSplit, "das-resplit"},
    {AfterSplit::SplitNoDouble, "resplit"},
}};
constexpr Names<bool, 2> kSplit21Names{{{true, "3:2"}, {false, "1:1"}}};
constexpr Names<BlackjackPays, 4> kBlackjackNames{{
    {BlackjackPays::ThreeToTwo, "3:2"},
    {BlackjackPays::SixToFive, "6:5"},
    {BlackjackPays::OneToOne, "1:1"},
    {BlackjackPays::TwoToOne, "2:1"},
}};
constexpr Names<TrueCountRounding, 3> kRoundingNames{{
    {TrueCountRounding::Truncate, "truncate"},
    {TrueCountRounding::Floor, "floor"},
    {TrueCountRounding::Round, "round"},
}};
constexpr Names<DeckEstimate, 3> kEstimateNames{{
    {DeckEstimate::Exact, "exact"},
    {DeckEstimate::Half, "half"},
    {DeckEstimate::Whole, "whole"},
}};
constexpr std::string_view kTruecountCount = "truecount";
constexpr Names<Strategy, 3> kStrategyNames{{
    {Strategy::Composition, "composition"},
    {Strategy::Visible, "visible"},
    {Strategy::Basic, "basic"},
}};
constexpr Names<SurrenderRule, 3> kSurrenderNames{{
    {SurrenderRule::None, "none"},
    {SurrenderRule::Late, "late"},
    {SurrenderRule::Early, "early"},
}};
constexpr Names<SplitAces, 2> kSplitAcesNames{
    {{SplitAces::Hit, "hit"}, {SplitAces::OneCard, "one-card"}}};
constexpr Names<bool, 2> kYesNo{{{true, "yes"}, {false, "no"}}};
constexpr Names<DoubleOn, 3> kDoubleNames{{
    {DoubleOn::Any, "any"},
    {DoubleOn::NineToEleven, "9-11"},
    {DoubleOn::TenToEleven, "10-11"},
}};
constexpr Names<HoleCard, 2> kHoleCardNames{{{HoleCard::Peek, "peek"}, {HoleCard::None, "none"}}};
constexpr Names<Insurance, 2> kInsuranceNames{
    {{Insurance::Never, "never"}, {Insurance::Composition, "composition"}}};
constexpr Names<SplitPricing, 3> kSplitPricingNames{{
    {SplitPricing::Auto, "auto"},
    {SplitPricing::Truecount, "truecount"},
    {SplitPricing::Played, "played"},
}};
// The text of a hand limit that is not set: as many hands as the table holds.
constexpr std::string_view kAnyHands = "any";
// The text of an optional setting that is not set.
constexpr std::string_view kNone = "none";
// The text of the hourly pace that follows the table.
constexpr std::string_view kAuto = "auto";
// The fastest pace a table is taken to deal; a faster one is a typing error.
constexpr double kMaxRoundsPerHour = 1000;

template <typename T, std::size_t N>
std::vector<std::string_view> namesIn(const Names<T, N>& names) {
  std::vector<std::string_view> list;
  for (const auto& entry : names) {
    list.push_back(entry.second);
  }
  return list;
}

template <typename T, std::size_t N>
std::string nameIn(const Names<T, N>& names, T value) {
  for (const auto& [candidate, name] : names) {
    if (candidate == value) {
      return std::string(name);
    }
  }
  return "?";
}

template <typename T, std::size_t N>
std::optional<std::string> readName(const Names<T, N>& names, std::string_view text, T& field) {
  std::string expected = "expected ";
  for (std::size_t i = 0; i < N; ++i) {
    if (names[i].second == text) {
      field = names[i].first;
      return std::nullopt;
    }
    expected += (i == 0 ? "" : i + 1 == N ? " or " : ", ") + std::string(names[i].second);
  }
  return expected;
}

// Stores a parsed value, or gives the parser's message.
template <typename T, typename Field>
std::optional<std::string> store(Parsed<T> parsed, Field& field) {
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    return *error;
  }
  field = static_cast<Field>(std::get<T>(parsed));
  return std::nullopt;
}

// Reads an optional setting of steps: `none` unsets it, anything else is
// parsed, a refusal naming what none means.
template <typename T, typename Parse>
std::optional<std::string> readSteps(std::string_view text, std::optional<T>& field, Parse parse,
                                     std::string_view none) {
  if (text == kNone) {
    field.reset();
    return std::nullopt;
  }
  auto parsed = parse(text);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    return *error + " (or none: " + std::string(none) + ")";
  }
  field = std::get<T>(std::move(parsed));
  return std::nullopt;
}

std::optional<std::string> readRamp(std::string_view text, StudyConfig& c) {
  return readSteps(text, c.ramp, parseRamp, "no ramp");
}

std::optional<std::string> readBankroll(std::string_view text, StudyConfig& c) {
  if (text == kNone) {
    c.bankroll.reset();
    return std::nullopt;
  }
  auto bankroll = parsePositive(text);
  if (std::holds_alternative<std::string>(bankroll)) {
    return "expected a number of units above 0 such as 1000 or 2.5e3, or none";
  }
  c.bankroll = std::get<double>(bankroll);
  return std::nullopt;
}

std::optional<std::string> readSpots(std::string_view text, StudyConfig& c) {
  return readSteps(text, c.spots, parseSpots, "one hand a round");
}

std::optional<std::string> readRoundsPerHour(std::string_view text, StudyConfig& c) {
  if (text == kAuto) {
    c.hourlyRounds.reset();
    return std::nullopt;
  }
  auto rounds = parsePositive(text);
  if (std::holds_alternative<std::string>(rounds) || std::get<double>(rounds) > kMaxRoundsPerHour) {
    return "expected a number of rounds above 0 and at most 1000 such as 120 or 97.5, or auto";
  }
  c.hourlyRounds = std::get<double>(rounds);
  return std::nullopt;
}

std::vector<std::string_view> countChoices() {
  std::vector<std::string_view> names{kTruecountCount};
  const auto counts = countNames();
  names.insert(names.end(), counts.begin(), counts.end());
  return names;
}

std::optional<std::string> readCount(std::string_view text, StudyConfig& c) {
  if (text == kTruecountCount || countNamed(text)) {
    c.countName = text;
    return std::nullopt;
  }
  std::string expected = "expected truecount";
  for (const std::string_view name : countNames()) {
    expected += ", " + std::string(name);
  }
  return expected + " (or tags of your own with --count-tags)";
}

std::optional<std::string> readCountTags(std::string_view text, StudyConfig& c) {
  if (text == kNone) {
    c.countTags.reset();
    return std::nullopt;
  }
  auto tags = parseCountTags(text);
  if (const auto* error = std::get_if<std::string>(&tags)) {
    return *error +
           "; expected CARD:TAG for A and 2 to 10, such as \"A:-1,2:1,3:1,4:1,5:1,6:1,"
           "7:0,8:0,9:0,10:-1\"";
  }
  c.countTags = std::get<CountSystem>(tags);
  return std::nullopt;
}

// none, a built-in set, or the text of an index file (the command line reads
// a file named instead and gives its text).
std::optional<std::string> readIndices(std::string_view text, StudyConfig& c) {
  if (text == kNone) {
    c.indices.reset();
    return std::nullopt;
  }
  if (auto named = indexSetNamed(text)) {
    c.indices = std::move(named);
    return std::nullopt;
  }
  if (text.find('\n') == std::string_view::npos) {
    return std::string("expected i18, fab4, both as i18,fab4, none or an index file");
  }
  auto plays = parseIndexPlays(text);
  if (const auto* error = std::get_if<IndexFileError>(&plays)) {
    return error->text();
  }
  c.indices = std::get<IndexPlays>(std::move(plays));
  return std::nullopt;
}

std::string printIndices(const StudyConfig& c) {
  if (!c.indices) {
    return std::string(kNone);
  }
  return indexSetName(*c.indices).value_or(c.indices->text());
}

// none, or a whole count from -60 to 60.
std::optional<std::string> readWongCount(std::string_view text, std::optional<int>& count) {
  if (text == kNone) {
    count.reset();
    return std::nullopt;
  }
  const auto parsed = parseWhole(text, -kCountLimit, kCountLimit);
  if (std::holds_alternative<std::string>(parsed)) {
    return std::string("expected a whole count from -60 to 60, or none");
  }
  count = static_cast<int>(std::get<std::int64_t>(parsed));
  return std::nullopt;
}

std::string wongText(const std::optional<int>& count) {
  return count ? std::to_string(*count) : std::string(kNone);
}

constexpr std::string_view kInsuranceCount = "count:";

std::vector<std::string_view> insuranceChoices() {
  std::vector<std::string_view> names = namesIn(kInsuranceNames);
  names.emplace_back("count:T");
  return names;
}

// never, composition, or count:T with T a whole count from -60 to 60.
std::optional<std::string> readInsurance(std::string_view text, StudyConfig& c) {
  if (text.substr(0, kInsuranceCount.size()) == kInsuranceCount) {
    const auto count = parseWhole(text.substr(kInsuranceCount.size()), -kCountLimit, kCountLimit);
    if (std::holds_alternative<std::int64_t>(count)) {
      c.rules.insurance = Insurance::Count;
      c.rules.insuranceCount = static_cast<int>(std::get<std::int64_t>(count));
      return std::nullopt;
    }
  } else if (!readName(kInsuranceNames, text, c.rules.insurance)) {
    return std::nullopt;
  }
  return std::string("expected never, composition or count:T, T a whole count from -60 to 60");
}

std::string printInsurance(const StudyConfig& c) {
  if (c.rules.insurance == Insurance::Count) {
    return std::string(kInsuranceCount) + std::to_string(c.rules.insuranceCount);
  }
  return nameIn(kInsuranceNames, c.rules.insurance);
}

std::optional<std::string> readMaxHands(std::string_view text, StudyConfig& c) {
  if (text == kAnyHands) {
    c.rules.maxHands = GameRules::kNoHandLimit;
    return std::nullopt;
  }
  if (store(parseWhole(text, 2, 8), c.rules.maxHands)) {
    return "expected a whole number of hands from 2 to 8, or any";
  }
  return std::nullopt;
}

std::string printMaxHands(const StudyConfig& c) {
  return c.rules.maxHands == GameRules::kNoHandLimit ? std::string(kAnyHands)
                                                     : std::to_string(c.rules.maxHands);
}

std::vector<Setting> makeSettings() {
  constexpr int kMostCardsGone = 52 * StudyConfig::kMaxDecks - StudyConfig::kPlayableShoe;
  return {
      {"rounds",
       "--rounds",
       "N",
       kStudyGroup,
       "Rounds of the study; digits, 1e8 or 100M, up to 1e12",
       "{} rounds",
       false,
       {},
       [](std::string_view t, StudyConfig& c) {
         return store(parseCount(t, StudyConfig::kMaxRounds), c.rounds);
       },
       [](const StudyConfig& c) { return std::to_string(c.rounds); }},
      {"block_size",
       "--block-size",
       "N",
       kStudyGroup,
       "Rounds per block, each block from a fresh shoe with its own generator",
       "blocks of {} rounds",
       false,
       {},
       [](std::string_view t, StudyConfig& c) {
         return store(parseCount(t, StudyConfig::kMaxBlockSize), c.blockSize);
       },
       [](const StudyConfig& c) { return std::to_string(c.blockSize); }},
      {"seed",
       "--seed",
       "S",
       kStudyGroup,
       "Seed of the study; the same seed, settings and blocks give the same result",
       "seed {}",
       false,
       {},
       [](std::string_view t, StudyConfig& c) {
         return store(parseWhole(t, 0, INT64_MAX), c.seed);
       },
       [](const StudyConfig& c) { return std::to_string(c.seed); }},
      {"decks",
       "--decks",
       "N",
       kHouseRulesGroup,
       "Decks in the shoe, 1 to 8",
       "{} decks",
       true,
       {},
       [](std::string_view t, StudyConfig& c) {
         return store(parseWhole(t, 1, StudyConfig::kMaxDecks), c.rules.decks);
       },
       [](const StudyConfig& c) { return std::to_string(c.rules.decks); }},
      {"reshuffle_after",
       "--reshuffle-after",
       "CARDS",
       kHouseRulesGroup,
       "Reshuffle at a round's start once CARDS are gone; at least 15 cards must remain",
       "reshuffle after {} cards",
       true,
       {},
       [](std::string_view t, StudyConfig& c) {
         return store(parseWhole(t, 0, kMostCardsGone), c.rules.reshuffleAfter);
       },
       [](const StudyConfig& c) { return std::to_string(c.rules.reshuffleAfter); }},
      {"dealer", "--dealer", "RULE", kHouseRulesGroup,
       "h17: the dealer hits soft 17; s17: stands on it", "dealer {}", true, namesIn(kDealerNames),
       [](std::string_view t, StudyConfig& c) {
         return readName(kDealerNames, t, c.rules.dealerHitsSoft17);
       },
       [](const StudyConfig& c) { return nameIn(kDealerNames, c.rules.dealerHitsSoft17); }},
      {"after_split", "--after-split", "RULE", kHouseRulesGroup,
       "What split hands may do: truecount (the first hand keeps doubling and splitting, the new "
       "one may do neither), none, das (both may double), das-resplit (both may double and split "
       "again), resplit (both may split again, neither double)",
       "after a split {}", false, namesIn(kAfterSplitNames),
       [](std::string_view t, StudyConfig& c) {
         return readName(kAfterSplitNames, t, c.rules.afterSplit);
       },
       [](const StudyConfig& c) { return nameIn(kAfterSplitNames, c.rules.afterSplit); }},
      {"split_21", "--split-21", "PAYOUT", kHouseRulesGroup,
       "What a two-card 21 after a split pays: 3:2 or 1:1", "split 21 pays {}", false,
       namesIn(kSplit21Names),
       [](std::string_view t, StudyConfig& c) {
         return readName(kSplit21Names, t, c.rules.splitTwentyOnePaysBlackjack);
       },
       [](const StudyConfig& c) {
         return nameIn(kSplit21Names, c.rules.splitTwentyOnePaysBlackjack);
       }},
      {"blackjack_pays", "--blackjack-pays", "PAYOUT", kHouseRulesGroup,
       "What a blackjack dealt as such pays", "blackjack pays {}", false, namesIn(kBlackjackNames),
       [](std::string_view t, StudyConfig& c) {
         return readName(kBlackjackNames, t, c.rules.blackjackPays);
       },
       [](const StudyConfig& c) { return nameIn(kBlackjackNames, c.rules.blackjackPays); }},
      {"surrender", "--surrender", "RULE", kHouseRulesGroup,
       "When the original two-card hand may give up half its stake: none; late (after the "
       "dealer's peek); early (before the peek, against any up card)",
       "surrender {}", false, namesIn(kSurrenderNames),
       [](std::string_view t, StudyConfig& c) {
         return readName(kSurrenderNames, t, c.rules.surrender);
       },
       [](const StudyConfig& c) { return nameIn(kSurrenderNames, c.rules.surrender); }},
      {"split_aces", "--split-aces", "RULE", kHouseRulesGroup,
       "hit: split aces play as any split hand, by the after-split rule; one-card: each split ace "
       "takes one card and stands",
       "split aces {}", false, namesIn(kSplitAcesNames),
       [](std::string_view t, StudyConfig& c) {
         return readName(kSplitAcesNames, t, c.rules.splitAces);
       },
       [](const StudyConfig& c) { return nameIn(kSplitAcesNames, c.rules.splitAces); }},
      {"resplit_aces", "--resplit-aces", "YES|NO", kHouseRulesGroup,
       "Whether a split ace that draws an ace may split again, where the after-split rule lets "
       "the hand split",
       "resplit aces {}", false, namesIn(kYesNo),
       [](std::string_view t, StudyConfig& c) { return readName(kYesNo, t, c.rules.resplitAces); },
       [](const StudyConfig& c) { return nameIn(kYesNo, c.rules.resplitAces); }},
      {"max_hands",
       "--max-hands",
       "N",
       kHouseRulesGroup,
       "The most hands a player may split to where resplitting is allowed: 2 to 8, or any",
       "max hands {}",
       false,
       {},
       readMaxHands,
       printMaxHands},
      {"double", "--double", "TOTALS", kHouseRulesGroup,
       "The two-card totals that may double: any (soft totals too), 9-11 or 10-11 (hard only); "
       "split hands too where they may double",
       "double on {}", false, namesIn(kDoubleNames),
       [](std::string_view t, StudyConfig& c) {
         return readName(kDoubleNames, t, c.rules.doubleOn);
       },
       [](const StudyConfig& c) { return nameIn(kDoubleNames, c.rules.doubleOn); }},
      {"hole_card", "--hole-card", "RULE", kHouseRulesGroup,
       "peek: the dealer takes a hole card and peeks for a blackjack; none: he takes his second "
       "card after the player, and a blackjack then takes every bet, doubles and splits included",
       "hole card {}", false, namesIn(kHoleCardNames),
       [](std::string_view t, StudyConfig& c) {
         return readName(kHoleCardNames, t, c.rules.holeCard);
       },
       [](const StudyConfig& c) { return nameIn(kHoleCardNames, c.rules.holeCard); }},
      {"insurance", "--insurance", "POLICY", "Strategy and betting",
       "Insurance against an ace, half the stake paid 2:1: never; composition (taken when the "
       "cards the player cannot see hold tens more than one in three, whatever the strategy); "
       "count:T (taken at whole counts of T and above, by --count, whatever the strategy)",
       "insurance {}", false, insuranceChoices(), readInsurance, printInsurance},
      {"split_pricing", "--split-pricing", "MODE", kPricingGroup,
       "How the strategies price a split: truecount (two hands that stand or hit), played (under "
       "the rules as played: doubles, resplits, one-card aces, the split 21's payout), auto "
       "(truecount's pricing while every rule bearing on splits is truecount's, played otherwise)",
       "splits priced {}", false, namesIn(kSplitPricingNames),
       [](std::string_view t, StudyConfig& c) {
         return readName(kSplitPricingNames, t, c.rules.splitPricing);
       },
       [](const StudyConfig& c) { return nameIn(kSplitPricingNames, c.rules.splitPricing); }},
      {"strategy", "--strategy", "NAME", "Strategy and betting",
       "composition (expected values over the undealt cards, which lack the already dealt hole "
       "card: more than a player can know), visible (the undealt cards plus the hole card: what a "
       "player can know), basic (the exact total-dependent basic strategy of the game's shoe, "
       "as truecount-lab strategy prints it)",
       "strategy {}", true, namesIn(kStrategyNames),
       [](std::string_view t, StudyConfig& c) { return readName(kStrategyNames, t, c.strategy); },
       [](const StudyConfig& c) { return nameIn(kStrategyNames, c.strategy); }},
      {"ramp",
       "--ramp",
       "RAMP",
       "Strategy and betting",
       "Stake per true count, COUNT:STAKE steps ascending, each from its count upward, such as "
       "\"-60:1,1:2,2:4,3:8,4:12\"; stakes whole units. Every round is still played at one unit; "
       "the ramp is priced from the per-count tallies",
       "ramp {}",
       false,
       {},
       readRamp,
       [](const StudyConfig& c) { return c.ramp ? c.ramp->text() : std::string(kNone); }},
      {"bankroll",
       "--bankroll",
       "UNITS",
       "Strategy and betting",
       "Bankroll in units, for the ramp's risk of ruin",
       "bankroll {}",
       false,
       {},
       readBankroll,
       [](const StudyConfig& c) {
         return c.bankroll ? shortestText(*c.bankroll) : std::string(kNone);
       }},
      {"players",
       "--players",
       "N",
       kTableGroup,
       "Players at the table, 1 to 7: the others play the game's basic strategy at a flat bet, "
       "and the player sees and counts their cards",
       "{} players",
       false,
       {},
       [](std::string_view t, StudyConfig& c) {
         return store(parseWhole(t, 1, Simulator::kMaxPlayers), c.players);
       },
       [](const StudyConfig& c) { return std::to_string(c.players); }},
      {"seat",
       "--seat",
       "K",
       kTableGroup,
       "The player's seat, 1 (first base, dealt and playing first) to --players",
       "seat {}",
       false,
       {},
       [](std::string_view t, StudyConfig& c) {
         return store(parseWhole(t, 1, Simulator::kMaxPlayers), c.seat);
       },
       [](const StudyConfig& c) { return std::to_string(c.seat); }},
      {"spots",
       "--spots",
       "RULE",
       kTableGroup,
       "Hands the player plays side by side by the true count, COUNT:HANDS steps ascending, each "
       "from its count upward, one hand below the first, such as \"2:2,4:3\"; each hand takes a "
       "seat of its own from --seat on and is staked by the ramp",
       "spots {}",
       false,
       {},
       readSpots,
       [](const StudyConfig& c) { return c.spots ? c.spots->text() : std::string(kNone); }},
      {"rounds_per_hour",
       "--rounds-per-hour",
       "R",
       kTableGroup,
       "Rounds dealt an hour, for the hourly figures (win, SD and N0 per hour), or auto: the "
       "published pace of a table of --players (209 rounds for one player, 139 for two, 105, 84, "
       "70, 60 and 52 for seven)",
       "{} rounds an hour",
       false,
       {},
       readRoundsPerHour,
       [](const StudyConfig& c) {
         return c.hourlyRounds ? shortestText(*c.hourlyRounds) : std::string(kAuto);
       }},
      {"count", "--count", "NAME", "Counting",
       "The count that books every round and drives the ramp, index plays, insurance at a count "
       "and wonging: truecount (truecount's own, from the undealt cards), or a count a player "
       "keeps of the cards seen: hilo, ko, hiopt1, hiopt2, omega2, zen, halves",
       "count {}", false, countChoices(), readCount,
       [](const StudyConfig& c) { return c.countName; }},
      {"count_tags",
       "--count-tags",
       "TAGS",
       "Counting",
       "A count of your own, with --count left at truecount: a tag per card, CARD:TAG for A and "
       "2 to 10, whole or half points, such as \"A:-1,2:1,3:1,4:1,5:1,6:1,7:0,8:0,9:0,10:-1\"",
       "tags {}",
       false,
       {},
       readCountTags,
       [](const StudyConfig& c) {
         return c.countTags ? c.countTags->tagsText() : std::string(kNone);
       }},
      {"true_count", "--true-count", "RULE", "Counting",
       "How a player's true count becomes whole: truncate (toward zero), floor, round",
       "true count by {}", false, namesIn(kRoundingNames),
       [](std::string_view t, StudyConfig& c) {
         return readName(kRoundingNames, t, c.conversion.rounding);
       },
       [](const StudyConfig& c) { return nameIn(kRoundingNames, c.conversion.rounding); }},
      {"deck_estimate", "--deck-estimate", "EST", "Counting",
       "The decks left a player divides by: exact (cards left / 52), or rounded to the nearest "
       "half or whole deck",
       "decks estimated {}", false, namesIn(kEstimateNames),
       [](std::string_view t, StudyConfig& c) {
         return readName(kEstimateNames, t, c.conversion.estimate);
       },
       [](const StudyConfig& c) { return nameIn(kEstimateNames, c.conversion.estimate); }},
      {"indices",
       "--indices",
       "FILE|NAME",
       "Counting",
       "Index plays with --strategy basic: i18 (the Illustrious 18), fab4 (four surrender "
       "indices), i18,fab4 (both, the Fab 4 deciding its hands), all three Hi-Lo's and played "
       "with --count hilo; or a CSV file hand,up_card,action,index,direction for any count",
       "indices {}",
       false,
       {},
       readIndices,
       printIndices},
      {"wong_in",
       "--wong-in",
       "COUNT",
       "Counting",
       "Watch each shoe from its start and play once the count reaches COUNT",
       "wong in at {}",
       false,
       {},
       [](std::string_view t, StudyConfig& c) { return readWongCount(t, c.wong.in); },
       [](const StudyConfig& c) { return wongText(c.wong.in); }},
      {"wong_out",
       "--wong-out",
       "COUNT",
       "Counting",
       "Stop playing, and watch, once the count falls below COUNT (at most --wong-in)",
       "wong out below {}",
       false,
       {},
       [](std::string_view t, StudyConfig& c) { return readWongCount(t, c.wong.out); },
       [](const StudyConfig& c) { return wongText(c.wong.out); }},
  };
}

// The combinations of the counting settings that would do nothing, or two
// things at once.
std::optional<std::string> countingProblem(const StudyConfig& c) {
  if (c.countTags && c.countName != kTruecountCount) {
    return "--count-tags makes a count of its own: give it without --count";
  }
  const auto system = c.countSystem();
  if (!system && c.conversion != TrueCountConversion{}) {
    return "--true-count and --deck-estimate convert a player's count: give --count (truecount's "
           "count is truncated from the undealt cards)";
  }
  if (system && !system->balanced()) {
    if (c.conversion.estimate != DeckEstimate::Exact) {
      return "--deck-estimate does nothing for an unbalanced count, which books and bets by its "
             "running count";
    }
    const bool whole = std::all_of(system->halfTags.begin(), system->halfTags.end(),
                                   [](int halves) { return halves % 2 == 0; });
    if (whole && c.conversion.rounding != TrueCountRounding::Truncate) {
      return "--true-count does nothing for an unbalanced count of whole tags: its running count "
             "is whole";
    }
  }
  if (c.indices && c.strategy != Strategy::Basic) {
    return "--indices deviates from basic strategy: give --strategy basic";
  }
  if (c.indices && c.indices->insurance() != nullptr && c.rules.insurance != Insurance::Never) {
    return "--indices: the set's insurance row and --insurance " + printInsurance(c) +
           " are two policies for one bet: give one";
  }
  const auto surrenders = [](const IndexPlay& play) { return play.action == Surrender; };
  if (c.indices && c.rules.surrender == SurrenderRule::None &&
      std::any_of(c.indices->plays.begin(), c.indices->plays.end(), surrenders)) {
    return "--indices: the set's surrender plays need a table that offers surrender";
  }
  if (c.indices && indexSetName(*c.indices) && c.countSystem() != countNamed("hilo")) {
    return "--indices " + printIndices(c) +
           ": the built-in sets are Hi-Lo's indices; give --count hilo (an index file of your own "
           "plays with any count)";
  }
  if (c.wong.in && c.wong.out && *c.wong.out > *c.wong.in) {
    return "--wong-out " + std::to_string(*c.wong.out) + " is above --wong-in " +
           std::to_string(*c.wong.in) + ": the player would leave on entering";
  }
  return std::nullopt;
}

}  // namespace

std::span<const Setting> studySettings() {
  static const std::vector<Setting> settings = makeSettings();
  return settings;
}

bool shapesTheChart(const Setting& setting) {
  return (setting.group == kHouseRulesGroup || setting.group == kPricingGroup) &&
         setting.key != "reshuffle_after";
}

std::optional<std::string> validate(const StudyConfig& config) {
  if (config.blockCount() > StudyConfig::kMaxBlocks) {
    return std::to_string(config.rounds) + " rounds in blocks of " +
           std::to_string(config.blockSize) + " make " + std::to_string(config.blockCount()) +
           " blocks, more than " + std::to_string(StudyConfig::kMaxBlocks) +
           "; give a larger --block-size";
  }
  const int shoe = 52 * config.rules.decks;
  const int latest = shoe - StudyConfig::kPlayableShoe;
  if (config.rules.reshuffleAfter > latest) {
    const int perMille = 1000 * latest / shoe;
    return "reshuffling after " + std::to_string(config.rules.reshuffleAfter) + " of the shoe's " +
           std::to_string(shoe) + " cards leaves fewer than " +
           std::to_string(StudyConfig::kPlayableShoe) + "; give --reshuffle-after up to " +
           std::to_string(latest) + " (--penetration up to " + std::to_string(perMille / 10) + "." +
           std::to_string(perMille % 10) + "%)";
  }
  if (config.seat > config.players) {
    return "--seat " + std::to_string(config.seat) + " is beyond the " +
           std::to_string(config.players) + (config.players == 1 ? " player" : " players") +
           " at the table; give --players " + std::to_string(config.seat) +
           " or more, or a seat of at most " + std::to_string(config.players);
  }
  if (config.spots && config.players - 1 + config.spots->most() > Simulator::kMaxPlayers) {
    const int others = config.players - 1;
    return "--spots " + config.spots->text() + " needs " + std::to_string(config.spots->most()) +
           " seats beside the " + std::to_string(others) +
           (others == 1 ? " other player" : " other players") + " at a table of " +
           std::to_string(Simulator::kMaxPlayers) + "; give at most " +
           std::to_string(Simulator::kMaxPlayers - others) + " hands or fewer --players";
  }
  if (config.bankroll && !config.ramp) {
    return "--bankroll needs --ramp: the risk of ruin is that of a ramp";
  }
  return countingProblem(config);
}

std::optional<std::string> variantProblem(const StudyConfig& study, const StudyConfig& variant) {
  for (const Setting& setting : studySettings()) {
    const std::string kept = setting.print(study);
    if (setting.group == kStudyGroup && setting.print(variant) != kept) {
      return "a variant is played over the study's blocks and shoes, so it keeps " +
             std::string(setting.option) + " " + kept + " (not " + setting.print(variant) + ")";
    }
  }
  if (!firstDifference(study, variant)) {
    return std::string("the variant's settings are the study's: it must change one at least");
  }
  return std::nullopt;
}

std::optional<std::string> firstDifference(const StudyConfig& a, const StudyConfig& b) {
  for (const Setting& setting : studySettings()) {
    const std::string left = setting.print(a);
    const std::string right = setting.print(b);
    if (left != right) {
      std::string difference(setting.option);
      difference += ": " + left;
      difference += " against " + right;
      return difference;
    }
  }
  return std::nullopt;
}

std::string phraseOf(const Setting& setting, const StudyConfig& config) {
  std::string phrase(setting.phrase);
  return phrase.replace(phrase.find("{}"), 2, setting.print(config));
}
