"""Every study setting through the real program: each value reaches the game,
shown by a statistic it must move one way, or at least by a different study
and its stored configuration."""

import json
import math
import re
import subprocess

import pytest

from conftest import (TRUECOUNT, csv_rows, lab, ok, options, printed_study, ramp_of, read,
                      read_defaults, run_study, side_events)

# Twelve blocks: enough for the cluster estimate of the busier counts.
SMALL = ["--rounds", "6000", "--block-size", "500"]
# Paired studies: one-round blocks deal every round from its own fresh shoe,
# the same shoe under every setting, so a rule's effect is not drowned in the
# noise of different shoes.
PAIRED = ["--rounds", "200k", "--block-size", "1", "--strategy", "basic", "--threads", "2"]
# A casino's split rules: double after any split, resplits, one card to each ace.
CASINO = "--after-split das-resplit --split-aces one-card"


def outcome(study):
    """What the study found: its tallies and figures without the pace."""
    figures = {k: v for k, v in study["figures"].items()
               if k not in ("rounds_per_second", "decisions_per_round")}
    return study["tallies"], figures


HOUSE_RULES = ["decks", "reshuffle_after", "dealer", "after_split", "split_21", "blackjack_pays",
               "surrender", "split_aces", "resplit_aces", "max_hands", "double", "hole_card"]


def test_help_shows_each_default_and_each_games_rules_as_they_are_played(tmp_path):
    defaults, help_text = read_defaults(), lab("run", "--help").stdout
    text = " ".join(help_text.split())
    for key, value in defaults.items():
        option = "--" + key.replace("_", "-")
        assert re.search(f"{option} [^ ]+ .*?\\(default {re.escape(value)}\\)", text), key
    # The default game is truecount's.
    banner = subprocess.run([TRUECOUNT], capture_output=True, text=True, timeout=60).stdout
    assert (f"Number of decks: {defaults['decks']}\n  Shuffle after {defaults['reshuffle_after']}"
            " cards\n" in banner)
    assert defaults.items() >= {"dealer": "h17", "after_split": "truecount", "split_21": "3:2",
                                "strategy": "composition", "ramp": "none", "bankroll": "none",
                                "seed": "1"}.items()
    # Each game --help lists, with its rules as the settings line words them.
    listed = help_text[help_text.index("Games for --game"):].splitlines()[1:]
    games = dict(line.strip().split(": ", 1) for line in listed if line.strip())
    assert len(games) >= 12 and len(set(games.values())) == len(games)
    for name, rules in [*games.items(), (None, games["truecount"])]:
        study = run_study(tmp_path / "g.json", ["--rounds", "1"], ["--game", name] if name else [])
        labels = {label["setting"]: label["text"] for label in study["labels"]}
        assert rules == ", ".join(labels[key] for key in HOUSE_RULES), name


# The options whose effect no other test here shows (those of the paired
# studies, the chart, the counts, decks left, wonging and ramps do): each is
# stored, and makes another study. study_test.cpp has every value's read-back.
@pytest.mark.parametrize("args, key, stored, base", [
    (["--rounds", "7k"], "rounds", "7000", []),
    (["--block-size", "1e8"], "block_size", "100000000", []),
    (["--seed", "2"], "seed", "2", []),
    (["--split-pricing", "played"], "split_pricing", "played", []),
    (["--strategy", "visible"], "strategy", "visible", []),
    (["--strategy", "basic"], "strategy", "basic", []),
    (["--strategy", "basic"], "strategy", "basic", ["--strategy", "visible"]),
])
def test_each_option_is_stored_and_makes_another_study(tmp_path, args, key, stored, base):
    before = run_study(tmp_path / "base.json", SMALL, base)
    study = run_study(tmp_path / "s.json", SMALL, base, args)
    assert study["config"] == {**before["config"], key: stored}
    assert outcome(study) != outcome(before)


def mean(study):
    return study["figures"]["overall"]["mean"]


def decisions(study):
    return study["events"]["decisions"]


# On the same shoes, each rule moves a measure its way: (measure, options of
# the lower, of the higher). A doubled hand takes one decision, a hit hand one
# or more: doubling after a split cuts decisions, a resplit adds a hand and its
# decisions; a split ace that may not split again takes its card unasked, and a
# hand limit ends resplits. Each split rule lets the player do more than the
# one before it (truecount's first hand keeps doubling and splitting, which
# none forbids). Early surrender gives up more hands than late, each only where
# it pays. Without a hole card a blackjack also takes what doubles and splits
# added. Insurance pays only when tens are many, which a fresh shoe never has:
# those two studies deal their shoes down (insurance changes no card).
PAIRED_MOVES = [
    (decisions, "--after-split das", "--after-split none"),
    (decisions, "--after-split das", "--after-split das-resplit"),
    (decisions, "--after-split none", "--after-split resplit"),
    (decisions, CASINO + " --resplit-aces no", CASINO),
    (decisions, CASINO + " --max-hands 2", CASINO),
    (mean, "--after-split resplit", "--after-split das-resplit"),
    (mean, "--after-split none", ""), (mean, "", "--after-split das-resplit"),
    (mean, "", "--dealer s17"), (mean, "--split-21 1:1", ""), (mean, "", "--surrender late"),
    (mean, "--surrender late", "--surrender early"), (mean, "--hole-card none", ""),
    (mean, "--block-size 100", "--block-size 100 --insurance composition"),
    (mean, "--double 10-11", ""), (mean, CASINO, "--after-split das-resplit"),
]
PAYOUTS = ["--blackjack-pays " + odds for odds in ("6:5", "2:1", "1:1")]


@pytest.fixture(scope="module")
def paired(tmp_path_factory):
    """Paired studies under each set of options compared, decoded, by options."""
    folder = tmp_path_factory.mktemp("paired")
    runs = sorted({args for _, *sides in PAIRED_MOVES for args in sides} | set(PAYOUTS))
    return {args: run_study(folder / f"{i}.json", PAIRED, args.split())
            for i, args in enumerate(runs)}


def test_each_rule_moves_the_paired_study_its_way(paired):
    for measure, lower, higher in PAIRED_MOVES:
        assert measure(paired[lower]) < measure(paired[higher]), (measure.__name__, lower, higher)
    # Decisions do not depend on the payout, so only the player's naturals
    # that the dealer does not match pay differently: 0.3 less at 6:5, 0.5
    # more at 2:1, 0.5 less at 1:1, per natural.
    cut, gain, even = (mean(paired[payout]) - mean(paired[""]) for payout in PAYOUTS)
    assert cut < 0 and gain == pytest.approx(-cut * 0.5 / 0.3) and even == pytest.approx(-gain)


def chart_cell(tmp_path, hand, up, args):
    done = ok("strategy", *args, "--csv", tmp_path / "chart.csv")
    row = next(row for row in csv_rows(tmp_path / "chart.csv") if row["hand"] == hand)
    # The printed chart holds the same row, in the header's columns.
    header, printed = (next(line for line in done.stdout.splitlines() if line.split()[:1] == [first])
                       for first in ("hand", hand))
    assert printed.split() == list(row.values()) and len(printed) == len(header)
    return row[up]


# Cells of the published basic strategies that a rule turns (base game:
# truecount's, 2 decks, dealer hits soft 17).
@pytest.mark.parametrize("base, change, hand, up, before, after", [
    (["--decks", "6"], ["--dealer", "s17"], "11", "A", "D", "H"),
    ([], ["--decks", "1"], "7,7", "10", "H", "S"),
    ([], ["--double", "10-11"], "9", "4", "D", "H"),
    ([], ["--double", "9-11"], "A,7", "4", "Ds", "S"),
    (["--double", "10-11"], ["--double", "9-11"], "9", "4", "H", "D"),
    ([], ["--surrender", "late"], "16", "10", "H", "R"),
    (["--surrender", "late"], ["--surrender", "early"], "14", "A", "H", "R"),
    ([], ["--hole-card", "none"], "11", "10", "D", "H"),
    (["--after-split", "das"], ["--split-pricing", "truecount"], "4,4", "5", "P", "H"),
    ([], ["--game", "6d-s17-ls"], "16", "10", "H", "R"),
])
def test_each_rule_turns_the_basic_strategy_chart(tmp_path, base, change, hand, up, before, after):
    assert chart_cell(tmp_path, hand, up, base) == before
    assert chart_cell(tmp_path, hand, up, options(base, change)) == after


@pytest.mark.parametrize("blocks, clustered", [(9, False), (10, True)])
@pytest.mark.parametrize("command", [["run"], ["compare", "--with", "--strategy basic"]],
                         ids=["study", "comparison"])
def test_rows_of_too_few_blocks_take_the_naive_error(tmp_path, blocks, clustered, command):
    # One-round blocks from a fresh shoe: every round at count 0, in as many
    # blocks as rounds; fewer than 10 blocks make no cluster estimate.
    table, study = printed_study(tmp_path / "s.json", ["--rounds", blocks, "--block-size", "1"],
                                 command[1:], command=command[0])
    figures = study["figures"]
    if command[0] == "compare":
        figures = dict(figures["difference"], se_method=figures["difference"]["overall"]["se_method"])
    method = "cluster" if clustered else "naive"
    assert [c["se_method"] for c in figures["counts"]] + [figures["se_method"]] == [method] * 2
    marked = [line for line in table.splitlines() if re.match(r" +(0|all) .*\*", line)]
    assert len(marked) == (0 if clustered else 2)
    assert ("* SE as if rounds were independent" in table) != clustered


def csv_cell(value):
    return "" if value is None else value if isinstance(value, str) else f"{value:.9g}"


# The answer first: the settings line (the house rules as the nearest game and
# what differs from it, then the strategy, the count and the settings off their
# default), the edge in per cent, then, with a ramp, its win and risk;
# truecount's count-weighted line only in its own game and count, or asked for.
# An hour plays the pace set, or the one --help gives the table's players,
# times the share of the dealt rounds played; the pace changes no play.
@pytest.mark.parametrize("args, weighted, shown", [
    ([], True, "game truecount, strategy composition, count truecount"),
    (["--dealer", "s17"], False,
     "game truecount (dealer s17), strategy composition, count truecount"),
    (["--game", "6d-s17", "--dealer", "h17", "--count", "hilo", "--true-count", "floor"], False,
     "game 6d-h17, strategy composition, count hilo, true count by floor"),
    (["--game", "european", "--hole-card", "peek", "--max-hands", "any"], False,
     "game european (max hands any, hole card peek), strategy composition, count truecount"),
    (["--count", "hilo"], False, "game truecount, strategy composition, count hilo"),
    (["--game", "6d-s17", "--weighted"], True, "game 6d-s17, strategy composition, count truecount"),
    (["--players", "5"], True, "game truecount, strategy composition, 5 players, count truecount"),
    (["--ramp", "-60:1,2:4", "--bankroll", "400", "--rounds-per-hour", "100"], True,
     "game truecount, strategy composition, ramp -60:1,2:4, bankroll 400, 100 rounds an hour, "
     "count truecount"),
    (["--rounds-per-hour", "100", "--count", "hilo", "--wong-in", "1"], False,
     "game truecount, strategy composition, 100 rounds an hour, count hilo, wong in at 1"),
])
def test_the_report_gives_the_answer_first(tmp_path, args, weighted, shown):
    table = ok("run", "--quiet", *SMALL, *args, "--json", tmp_path / "s.json", "--csv",
               tmp_path / "s.csv").stdout
    study = read(tmp_path / "s.json")
    figures, lines = study["figures"], table.splitlines()
    top = [i for i, line in enumerate(lines) if line.startswith("Settings: ")][0]
    assert lines[top] == "Settings: 6000 rounds, blocks of 500 rounds, seed 1, " + shown
    low, high = figures["overall"]["ci95"]
    assert lines[top + 2] == (f"Flat-bet edge {100 * figures['overall']['mean']:+.3f}% per round, "
                              f"95% interval [{100 * low:+.3f}%, {100 * high:+.3f}%]")
    if ramp := figures["ramp"]:
        assert lines[top + 3].startswith(f"Ramp: {ramp['ev_per_100']:+.3f} units per 100 rounds")
        assert f"average bet {ramp['average_bet']:.3f} units" in lines[top + 3]
        assert f"SCORE {ramp['score']:.2f}; DI {ramp['di']:.2f}; risk of ruin" in lines[top + 4]
    assert ("Count-weighted" in table) == weighted
    summary = ok("run", "--quiet", *SMALL, *args, "--summary").stdout
    assert summary.splitlines() == lines[:lines.index("", top + 2)]
    paced = "--rounds-per-hour" in args
    if paced:
        unpaced = [a for a in args if a not in ("--rounds-per-hour", "100")]
        assert study["tallies"] == run_study(tmp_path / "p.json", SMALL, unpaced)["tallies"]
    published = re.search(r"\((\d+) rounds for one player, (\d+) for two, (\d+), (\d+), (\d+), "
                          r"(\d+) and (\d+) for seven\)", " ".join(lab("run", "--help").stdout.split()))
    pace = 100 if paced else int(published.group(int(study["config"]["players"])))
    hour, rounds = figures["per_hour"], int(study["tallies"]["all"]["rounds"])
    share = rounds / (rounds + study["events"].get("rounds_watched", 0))
    ev, sd = (ramp["ev_per_round"], ramp["sd_per_round"]) if ramp else (
        figures["overall"]["mean"], figures["overall"]["sd"])
    n = hour["rounds_played"]
    assert n == pytest.approx(pace * share, rel=1e-12) and share <= 1
    assert [hour["win"], hour["sd"], hour["n0_hours"]] == pytest.approx(
        [n * ev, math.sqrt(n) * sd, sd * sd / ev / ev / n], rel=1e-12)
    assert f"Per hour, {n:.5g} rounds {'of the ramp' if ramp else 'at a'}" in summary
    assert ("rounds an hour" in summary) == paced
    # The CSV's columns are the file's figures.
    rows = csv_rows(tmp_path / "s.csv")
    assert [list(row.values()) for row in rows] == [
        [csv_cell(f[c]) for c in ("count", "rounds", "share", "mean", "sd", "se", "se_naive")]
        + [csv_cell(v) for v in f["ci95"]] + [f["se_method"]] for f in figures["counts"]]
    assert any(r["se"] != r["se_naive"] for r in rows)


# The ramps' line and difference only where both sides play a ramp.
@pytest.mark.parametrize("game, variant, weighted, ramps", [
    ([], "", True, False), (["--game", "6d-s17"], "", False, False),
    (["--ramp", "-60:1,2:4"], "", True, True),
    (["--ramp", "-60:1,2:4"], " --ramp none", True, False),
])
def test_a_comparison_answers_first_with_the_difference(tmp_path, game, variant, weighted, ramps):
    args = ["compare", "--quiet", *SMALL, *game, "--with", "--strategy basic" + variant]
    table = ok(*args, "--json", tmp_path / "c.json").stdout
    figures = read(tmp_path / "c.json")["figures"]
    study, variant = (100 * figures[side]["overall"]["mean"] for side in ("study", "variant"))
    difference = figures["difference"]["overall"]
    low, high = (100 * v for v in difference["ci95"])
    assert table.splitlines()[4] == (
        f"Flat-bet edge: study {study:+.3f}%, variant {variant:+.3f}%; variant - study "
        f"{100 * difference['mean']:+.3f}%, 95% interval [{low:+.3f}%, {high:+.3f}%]")
    assert lab(*args, "--summary").stdout.splitlines() == table.splitlines()[:6 + ramps]
    assert ("Count-weighted" in table) == bool(re.search("^weighted ", table, re.M)) == weighted
    assert ("Ramps: " in table) == (figures["difference"]["ramp"] is not None) == ramps


def test_a_game_file_of_the_study_files_keys_plays_that_game(tmp_path):
    named = run_study(tmp_path / "n.json", COUNTED, ["--game", "6d-h17-ls", "--dealer", "s17"])
    path = tmp_path / "casino.txt"
    path.write_bytes(b"# my casino\r\n\r\n" + "".join(  # as a Windows editor saves it
        f"{key} = {named['config'][key]}\r\n" for key in reversed(HOUSE_RULES)).encode())
    from_file = run_study(tmp_path / "f.json", COUNTED, ["--game", path])
    assert from_file["config"] == named["config"] and from_file["tallies"] == named["tallies"]
    assert from_file["tallies"] != run_study(tmp_path / "o.json", COUNTED, ["--game", path,
                                             "--surrender", "none"])["tallies"]


# --penetration is --reshuffle-after as players say it, on the game's decks.
@pytest.mark.parametrize("args, cards", [
    (["--decks", "6", "--penetration", "75%"], "234"),
    (["--decks", "6", "--penetration", "4.5"], "234"),
    (["--game", "8d-s17", "--penetration", "80%"], "333"),
    (["--penetration", "60%", "--game", "1d-6to5"], "31"),
])
def test_penetration_sets_the_reshuffle_point(tmp_path, args, cards):
    assert run_study(tmp_path / "p.json", ["--rounds", "1"], args)["config"][
        "reshuffle_after"] == cards


COUNTED = ["--rounds", "20k", "--block-size", "2k", "--strategy", "basic"]


def booked_counts(study):
    return {c["count"]: c["rounds"] for c in study["figures"]["counts"]}


# A named count books as its published tags do (count_test.cpp holds every
# name's tags): an unbalanced count, and one of half points. One-round blocks
# start every round from a fresh shoe, where a balanced count is 0 and KO's
# running count 4 - 4 x decks.
@pytest.mark.parametrize("count, tags, fresh", [
    ("ko", "A:-1,2:1,3:1,4:1,5:1,6:1,7:1,8:0,9:0,10:-1", -20),
    ("halves", "A:-1,2:.5,3:1,4:1,5:1.5,6:1,7:.5,8:0,9:-.5,10:-1", 0),
    ("hilo", None, 0), ("truecount", None, 0),
])
def test_each_count_books_as_its_tags_from_its_first_count(tmp_path, count, tags, fresh):
    first = ["--rounds", "50", "--block-size", "1", "--decks", "6", "--reshuffle-after", "200"]
    assert booked_counts(run_study(tmp_path / "s.json", first, ["--count", count])) == {fresh: 50}
    if tags:
        named = booked_counts(run_study(tmp_path / "n.json", COUNTED, ["--count", count]))
        assert named == booked_counts(run_study(tmp_path / "t.json", COUNTED, ["--count-tags", tags]))
        assert named != booked_counts(run_study(tmp_path / "d.json", COUNTED))


def mean_count(study):
    return sum(c["count"] * c["share"] for c in study["figures"]["counts"])


def share_at(low):
    return lambda study: sum(c["share"] for c in study["figures"]["counts"] if abs(c["count"]) >= low)


# The true count divides the running count by the decks left: a small or
# deeply dealt shoe leaves few decks, so the count strays far from zero. Floor
# sends every fraction down; rounding moves counts away from zero. In one deck
# dealt to 15 cards, whole decks are read as one deck, at least the exact decks
# left and at least the nearest half deck: the counts shrink.
WIDE = ["--rounds", "40k", "--block-size", "10k", "--strategy", "basic"]
DEEP = COUNTED + ["--count", "hilo", "--decks", "6", "--reshuffle-after", "290"]
ONE_DECK = DEEP + ["--decks", "1", "--reshuffle-after", "37"]


@pytest.mark.parametrize("base, more, less, measure, margin", [
    (WIDE, "--decks 1 --reshuffle-after 30", "--decks 8 --reshuffle-after 30", share_at(3), 0.2),
    (WIDE, "--reshuffle-after 80", "--reshuffle-after 30", share_at(3), 0.1),
    (DEEP, "--true-count truncate", "--true-count floor", mean_count, 0.3),
    (DEEP, "--true-count round", "--true-count truncate", share_at(1), 0.1),
    (ONE_DECK, "--deck-estimate exact", "--deck-estimate whole", share_at(3), 0.05),
    (ONE_DECK, "--deck-estimate half", "--deck-estimate whole", share_at(3), 0.05),
], ids=["decks", "depth", "floor", "round", "exact", "half"])
def test_decks_left_and_true_count_move_the_counts(tmp_path, base, more, less, measure, margin):
    more, less = (measure(run_study(tmp_path / "s.json", base, args.split())) for args in (more, less))
    assert more > less + margin


INDEX_HEADER = "hand,up_card,action,index,direction\n"


def test_index_plays_and_insurance_hold_from_their_count_and_sets_play_together(tmp_path):
    # Hitting hard 20 against a ten, from a count every round reaches (-60) or
    # from one no round reaches (60): the first costs dearly, the second is
    # basic strategy to the bit.
    base, path = run_study(tmp_path / "b.json", COUNTED, ["--count", "hilo"]), tmp_path / "i.csv"
    for index, direction, plays in (("-60", ">=", True), ("60", ">=", False),
                                    ("60", "<=", True), ("-60", "<=", False)):
        path.write_text(INDEX_HEADER + f"20,10,hit,{index},{direction}\n")
        table, study = printed_study(tmp_path / "s.json", COUNTED, ["--count", "hilo", "--indices",
                                                                    path])
        assert mean(study) < mean(base) - 0.02 if plays else study["tallies"] == base["tallies"]
    # The settings line holds the file's rows on one line.
    assert table.splitlines()[1].endswith(f"indices {INDEX_HEADER[:-1]}; 20,10,hit,-60,<=")
    # Insurance at a count is taken from it and never short of it, and an
    # index file's insurance row is --insurance count:3.
    counted, never = COUNTED + ["--count", "hilo"], base["tallies"]
    assert run_study(tmp_path / "u.json", counted, ["--insurance", "count:60"])["tallies"] == never
    path.write_text(INDEX_HEADER + "insurance,A,insure,3,>=\n")
    at3 = run_study(tmp_path / "3.json", counted, ["--insurance", "count:3"])["tallies"]
    assert run_study(tmp_path / "f.json", counted, ["--indices", path])["tallies"] == at3 != never
    # Insured on every ace, the player loses about 1.5 x 32/103 - 0.5 = 0.034
    # a bet, 0.0026 a round; over 200k rounds the noise is 0.0004.
    more = ["--rounds", "200k", "--threads", "2"]
    always = run_study(tmp_path / "a.json", counted, more, ["--insurance", "count:-60"])
    assert mean(always) < mean(run_study(tmp_path / "n.json", counted, more)) - 0.0013
    # i18 and fab4 play together (count_test.cpp shows which rows the union keeps).
    game = counted + ["--game", "6d-s17-ls"]
    both, i18, fab4 = (run_study(tmp_path / "s.json", game, ["--indices", indices])
                       for indices in ("fab4,i18", "i18", "fab4"))
    assert both["config"]["indices"] == "i18,fab4"
    assert both["tallies"] != i18["tallies"] and both["tallies"] != fab4["tallies"]


@pytest.mark.parametrize("wong, least, below", [
    (["--wong-in", "2", "--wong-out", "2"], 2, False),
    (["--wong-out", "0"], 0, False),
    (["--wong-in", "2"], 2, True),  # in alone: plays on below it to the shoe's end
])
def test_wonging_plays_only_from_its_counts_and_watches_the_rest(tmp_path, wong, least, below):
    table, study = printed_study(tmp_path / "w.json", COUNTED, ["--count", "hilo"], wong)
    played, watched = int(study["tallies"]["all"]["rounds"]), study["events"]["rounds_watched"]
    assert played > 0 and watched > 0 and played + watched == 20000
    assert (min(booked_counts(study)) < least) == below
    assert f"Rounds played {played}, watched {watched}" in table
    # +2, as a ramp has always taken it, is 2 here too: one reader of numbers.
    signed = run_study(tmp_path / "s.json", COUNTED, ["--count", "hilo"],
                       ["+2" if arg == "2" else arg for arg in wong])
    assert [signed["config"], outcome(signed)] == [study["config"], outcome(study)]
    # A comparison whose variant wongs names the variant's watched rounds, and
    # only the variant's: the variant is the study of its own settings.
    compared = lab("compare", "--quiet", *COUNTED, "--count", "hilo", "--with", " ".join(wong))
    events = side_events(compared.stdout)
    assert "rounds watched" not in events["study"]
    assert events["variant"].endswith(f"; rounds watched {watched}")
    (row,) = [row.split() for row in compared.stdout.splitlines() if row.startswith("     all ")]
    assert int(row[4]) == played and int(row[4]) + watched == int(row[1]) == 20000


def test_indices_finds_the_insurance_index_and_writes_a_file_run_reads(tmp_path):
    path = tmp_path / "i.csv"
    done = ok("indices", "--rounds", "300k", "--decks", "6", "--reshuffle-after", "234",
              "--dealer", "s17", "--count", "hilo", "--quiet", "--csv", path, timeout=120)
    rows = csv_rows(path)
    assert list(rows[0]) == ["hand", "up_card", "basic", "deviation", "index", "ci95_low",
                             "ci95_high", "decisions", "direction"]
    # Insurance pays at a third of tens among the unseen cards: Hi-Lo near +3.
    (low, index, high), = [[float(r[k]) for k in ("ci95_low", "index", "ci95_high")]
                           for r in rows if r["hand"] == "insurance"]
    assert 2 < index < 3.5 and low < index < high
    (stand,) = [r for r in rows if (r["hand"], r["up_card"], r["deviation"]) == ("16", "10", "stand")]
    assert -1 < float(stand["index"]) < 1.5
    assert any(line.startswith("insurance A  decline   insure") for line in done.stdout.splitlines())
    decisions = int(re.search(r"(\d+) decisions priced\n", done.stdout)[1])
    pace = re.search(r"Pace: (\d+) rounds, (\d+) decisions priced per second", done.stdout)
    assert int(pace[2]) / int(pace[1]) == pytest.approx(decisions / 300_000, rel=1e-3)
    study = run_study(tmp_path / "s.json", COUNTED, ["--count", "hilo", "--indices", path])
    assert study["config"]["indices"].startswith(INDEX_HEADER)


def test_the_ramp_found_is_one_run_takes_and_prices_alike(tmp_path):
    # The Kelly stake at each count, bankroll × mean / E[x²], is
    # bankroll × units × S / Q of the count's tallies.
    base = ["--rounds", "200k", "--block-size", "10k", "--strategy", "basic", "--threads", "2"]
    study = run_study(tmp_path / "s.json", base)

    def found(*args, spread="1:12", bankroll=500):
        out = ok("ramp", tmp_path / "s.json", "--spread", spread, "--bankroll", bankroll, *args)
        return (out.stdout, *ramp_of(out.stdout))

    each = ["--may-fall", "--min-rounds", "1"]  # every count at its own stake
    out, stakes, ramp = found(*each)
    units = study["tallies"]["payoff_units_per_stake"]
    rows = {int(row.split()[0]): row.split() for row in out.splitlines()
            if re.match(r" +-?\d+ +\d+ ", row)}
    for count in study["tallies"]["counts"]:
        rounds, total, squares = (int(count[k]) for k in ("rounds", "sum", "sum_squares"))
        kelly = 500 * units * total / squares
        want = 1 if kelly <= 0 else min(12, max(1, math.floor(kelly + 0.5)))
        row = rows[count["count"]]
        assert [stakes[count["count"]], int(row[1]), float(row[5])] == [want, rounds, want], row
        assert float(row[2]) == pytest.approx(total / units / rounds, abs=6e-6)
        assert float(row[3]) == pytest.approx(squares / units ** 2 / rounds, abs=6e-5)
        assert float(row[4]) == pytest.approx(kelly, abs=6e-3)
    assert len(set(stakes.values())) > 2
    again = run_study(tmp_path / "r.json", base, ["--ramp", ramp, "--bankroll", "500"])
    figures = again["figures"]["ramp"]
    assert {s["count"]: s["stake"] for s in figures["stakes"]} == stakes
    assert f"Average initial bet {figures['average_bet']:.4f} units" in out
    assert f"DI {figures['di']:.2f} (1000 EV / SD); SCORE {figures['score']:.2f}" in out
    # The bankroll and the Kelly fraction size the stakes by their product.
    half = found(*each, bankroll=250)[1]
    assert half == found(*each, "--kelly", "0.5")[1] != stakes
    assert all(half[c] <= stakes[c] for c in stakes)
    narrow = found(spread="2:4")[1]
    assert max(narrow.values()) == 4 and narrow[-60] == 2
    assert found("--min-rounds", "1e9")[2] == "-60:1"
    # By default the ramp never falls, and a count needs 200 rounds (1 in 1,000).
    rising, steps, _ = found(spread="1-12")
    assert all(steps[c] <= steps[c + 1] for c in range(-60, 60)) and steps != stakes
    assert "counts of 200 rounds or more, a count pooled with those below it" in rising
    assert steps == found("--min-rounds", "200")[1]


# A common six-deck shoe game: H17, double after split, resplit to four hands,
# one card to split aces, a split 21 paid as any 21, late surrender.
SHOE = ("--decks 6 --dealer h17 --after-split das-resplit --max-hands 4 --split-aces one-card "
        "--resplit-aces no --split-21 1:1 --surrender late").split()


def test_edge_files_and_text_tell_one_answer(tmp_path):
    text = ok("edge", *options(SHOE, "--decks 1 --removed 2,3,4,5 --insurance composition".split()),
              "--json", tmp_path / "e.json", "--csv", tmp_path / "e.csv").stdout
    answer, rows = read(tmp_path / "e.json"), csv_rows(tmp_path / "e.csv")
    printed = {row.split()[0]: row.split() for row in text.splitlines()
               if re.match(r" +(A|\d+) +\d", row)}
    total = 0.0
    for up in answer["by_up_card"]:
        hands = [row for row in rows if row["up_card"] == up["up_card"]]
        value = sum(float(row["chance"]) * float(row["value"]) for row in hands)
        assert value == pytest.approx(up["expected_return"], abs=1e-12)
        total += up["chance"] * value
        # Each hand is worth its action's value, the best there is.
        assert all(float(row["value"]) >= float(row[row["action"]]) - 1e-12 for row in hands
                   if row["action"] != "blackjack")
        assert [float(cell.rstrip("%")) for cell in printed[up["up_card"]][1:3]] == [
            pytest.approx(100 * up["chance"], abs=0.006),
            pytest.approx(100 * up["expected_return"], abs=6e-4)]
    assert total == pytest.approx(answer["expected_return"], abs=1e-12)
    assert answer["house_edge_percent"] == pytest.approx(-100 * answer["expected_return"])
    assert any(row["insured"] == "yes" for row in rows)
    assert text.startswith(f"House edge {answer['house_edge_percent']:.4f}%")
    assert "Removed from the shoe first: 2,3,4,5" in text


# Each option of edge moves the answer the way it must.
@pytest.mark.parametrize("change, moves", [
    (["--strategy", "composition"], lambda new, base: new > base),
    (["--removed", "5"], lambda new, base: new > base + 0.0008),
    (["--removed", "10,A"], lambda new, base: new < base - 0.001),
    (["--surrender", "none"], lambda new, base: base - 0.0006 > new > base - 0.0011),
    (["--dealer", "s17"], lambda new, base: base + 0.0025 > new > base + 0.0015),
    (["--blackjack-pays", "6:5"], lambda new, base: new == pytest.approx(base - 0.013597, abs=1e-6)),
    (["--split-pricing", "truecount"], lambda new, base: new < base),
    (["--decks", "1", "--removed", "2,3,4,5", "--insurance", "composition"],
     lambda new, base: new > edge_of(["--decks", "1", "--removed", "2,3,4,5"])),
], ids=lambda value: " ".join(value) if isinstance(value, list) else None)
def test_each_edge_option_moves_the_answer(change, moves):
    assert moves(edge_of(change), edge_of([]))


def edge_of(change):
    done = ok("edge", *options(SHOE, change))
    return -float(re.match(r"House edge (-?[\d.]+)%", done.stdout).group(1)) / 100


def test_basic_strategy_played_off_the_top_agrees_with_edge(tmp_path):
    game = options(SHOE, ["--decks", "2"])
    exact = edge_of(["--decks", "2"])
    study = run_study(tmp_path / "s.json", game, ["--strategy", "basic", "--reshuffle-after", "0",
                                                  "--rounds", "1M", "--threads", "2"])
    overall = study["figures"]["overall"]
    assert abs(overall["mean"] - exact) < 4 * overall["se"]
    chart = lab("strategy", *game).stdout.splitlines()[-1]
    assert f"{-100 * exact:.4f}%" in chart


# Other players use up the shoe, so fewer of the player's rounds come to a
# shoe; each seat is dealt other cards.
def test_other_players_use_up_the_shoe_and_the_seat_moves_the_deal(tmp_path):
    alone, first, last = studies = [run_study(tmp_path / f"{n}.json", SMALL, args) for n, args in
                                    enumerate([[], ["--players", "5"], ["--players", "5", "--seat",
                                                                        "5"]])]
    assert alone["figures"]["rounds_per_shoe"] == 6000 / alone["events"]["shoes"]
    assert first["figures"]["rounds_per_shoe"] < alone["figures"]["rounds_per_shoe"] / 2
    assert (first["config"]["players"], last["config"]["seat"]) == ("5", "5")
    assert len({json.dumps(outcome(study)[0]) for study in studies}) == 3


# Spots: each count plays the hands its step gives, each hand using up the
# shoe; the figures follow from the hands' tallies.
def test_spots_play_the_hands_of_each_count_and_report_their_covariance(tmp_path):
    args = ["--count", "hilo", "--strategy", "basic", "--ramp", "-60:1,2:4"]
    alone = run_study(tmp_path / "a.json", SMALL, args)
    study = run_study(tmp_path / "s.json", SMALL, args, ["--spots", "1:2,3:3"])
    counts, units = study["tallies"]["counts"], study["tallies"]["payoff_units_per_stake"]
    for c in counts:
        assert int(c["hands"]) == int(c["rounds"]) * (1 if c["count"] < 1 else 2 + (c["count"] >= 3))
    rounds, hands = (sum(int(c[k]) for c in counts) for k in ("rounds", "hands"))
    stake = [4 if c["count"] >= 2 else 1 for c in counts]
    spots = study["figures"]["spots"]
    assert spots["average_hands"] == pytest.approx(hands / rounds, rel=1e-12)
    for series, w in (("flat", [1] * len(counts)), ("ramp", stake)):
        cross = sum(s * s * (int(c["sum_squares"]) - int(c["hand_squares"]))
                    for s, c in zip(w, counts))
        assert spots[series]["covariance"] == pytest.approx(cross / rounds / units ** 2) and cross > 0
        staked = sum(s * int(c["hands"]) for s, c in zip(w, counts))
        assert spots[series]["average_stake"] == pytest.approx(staked / rounds, rel=1e-12)
        won = sum(s * int(c["sum"]) for s, c in zip(w, counts))
        assert spots[series]["per_hand"] == pytest.approx(won / staked / units, rel=1e-12)
    assert spots["flat"]["variance"] == pytest.approx(study["figures"]["overall"]["sd"] ** 2, rel=1e-3)
    assert study["figures"]["rounds_per_shoe"] < alone["figures"]["rounds_per_shoe"]
    assert alone["figures"]["spots"] is None and "hands" not in alone["tallies"]["counts"][0]
    assert f"{spots['average_hands']:.4f} hands a round" in lab("run", *SMALL, *args, "--spots",
                                                                "1:2,3:3").stdout


TRIP = ["--count", "hilo", "--strategy", "basic", "--ramp", "-60:1,2:4", "--trips", "300",
        "--hours", "2", "--rounds-per-hour", "100", "--bankroll", "30"]


# Trips: the same on any number of threads; each option moves what it says;
# the files and the report tell one answer.
def test_trips_answer_with_the_ruin_and_the_bankroll_hour_by_hour(tmp_path):
    def trip(name, *args):
        return printed_study(tmp_path / f"{name}.json", TRIP, list(args),
                             ["--csv", tmp_path / f"{name}.csv"], command="trip")
    text, base = trip("base")
    assert trip("threads", "--threads", "2")[1] == base
    assert base["plan"] == {"bankroll": 30, "hours": 2, "rounds": 200, "trips": 300, "played": 300}
    ruin = base["ruin"]
    assert ruin["ci95"][0] <= ruin["share"] <= ruin["ci95"][1] and 0 < ruin["share"] < 1
    assert trip("rich", "--bankroll", "3000")[1]["ruin"]["share"] == 0
    assert trip("spread", "--spots", "-60:2")[1]["ruin"]["share"] > ruin["share"]
    longer = trip("long", "--hours", "4")[1]
    # Trip K is dealt the same shoes however long it lasts: ruined early, ruined later.
    assert longer["ruin"]["share"] > ruin["share"] and len(longer["hours"]) == 4
    assert trip("steep", "--ramp", "-60:1,1:8")[1]["result"] != base["result"]
    quantiles = [base["result"][q] for q in ("p5", "p25", "p50", "p75", "p95")]
    assert quantiles == sorted(quantiles)
    # Two whole hours: the last hour's bankrolls are the trips' ends, in units.
    assert [base["hours"][-1][q] - 30 for q in ("p5", "p25", "p50", "p75", "p95")] == (
        pytest.approx(quantiles))
    assert [float(row["p50"]) for row in csv_rows(tmp_path / "base.csv")] == [
        hour["p50"] for hour in base["hours"]]
    assert f"Ruined within a trip: {100 * ruin['share']:.2f}%" in text
    assert f"diffusion approximation {100 * ruin['diffusion']:.2f}%" in text
