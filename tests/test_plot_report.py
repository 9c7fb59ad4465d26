"""Tests of tools/plot_report.py: reports, studies, bad input, rendering."""

import copy
import json
import os
import subprocess
import sys

import pytest
from matplotlib.collections import PathCollection

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "tools")
SCRIPT = os.path.join(TOOLS, "plot_report.py")
sys.path.insert(0, TOOLS)
import plot_report  # noqa: E402

RUN_START = """Testing Deck...Passed
Testing Count...Passed
Testing Hand...Passed

Start to simulate 50000 games.
  Number of decks: 2
  Shuffle after 60 cards
1 / 50000 simulated.
2 / 50000 simulated.
50000 / 50000 simulated.
"""
TABLE = """Showing payoff table for each count...

Count Payoff/Frequency Expected_Payoff Weighted_Payoff
"""
EXAMPLE = RUN_START + TABLE + """ -12   -3.5 /        8 =   -0.437500   -3.500000
  +0   -7.0 /      240 =   -0.029167   -7.000000
  +3  +41.5 /     1200 =   +0.034583 +249.000000

Payoff: +31.000000 (If you always bet 1 dollars.)
Average: +0.000620
Weighted payoff: +238.500000 (If you bet +2.000000 for each additional count.)
Weighted average: +0.004770
"""
FIRST_POSITIVE = TABLE + """   3  +41.5 /     1200 =   +0.034583 +249.000000

Payoff: +41.500000 (If you always bet 1 dollars.)
Average: +0.000830
Weighted payoff: +249.000000 (If you bet +2.000000 for each additional count.)
Weighted average: +0.004980
"""
WIDE = TABLE + """   0 -12345.5 / 123456789 =   -0.000100 -12345.500000
  +1   +7.0 /       20 =   +0.350000  +14.000000
 +45 +123456.5 /   250000 =   +0.493826 +11111085.000000

Payoff: +111118.000000 (If you always bet 1 dollars.)
Average: +2.222360
Weighted payoff: +11098753.500000 (If you bet +2.000000 for each additional count.)
Weighted average: +221.975070
"""
NO_ROWS = RUN_START + TABLE + """
Payoff: 0 (If you always bet 1 dollars.)
Average: 0
Weighted payoff: 0 (If you bet 2 for each additional count.)
Weighted average: 0
"""


EXAMPLE_ROWS = [(-12, -3.5, 8, -0.4375, -3.5), (0, -7.0, 240, -0.029167, -7.0),
                (3, 41.5, 1200, 0.034583, 249.0)]
EXAMPLE_SUMMARY = (31.0, 0.00062, 238.5, 2.0, 0.00477)


@pytest.mark.parametrize("text, rows, summary", [
    (EXAMPLE, EXAMPLE_ROWS, EXAMPLE_SUMMARY),
    (EXAMPLE.replace("\n", "\r\n"), EXAMPLE_ROWS, EXAMPLE_SUMMARY),
    (FIRST_POSITIVE, [(3, 41.5, 1200, 0.034583, 249.0)],
     (41.5, 0.00083, 249.0, 2.0, 0.00498)),
    (WIDE, [(0, -12345.5, 123456789, -0.0001, -12345.5), (1, 7.0, 20, 0.35, 14.0),
            (45, 123456.5, 250000, 0.493826, 11111085.0)],
     (111118.0, 2.22236, 11098753.5, 2.0, 221.97507)),
    (NO_ROWS, [], (0.0, 0.0, 0.0, 2.0, 0.0)),
], ids=["example", "crlf", "first-row-unsigned", "wider-than-field", "no-rows"])
def test_parses_report(text, rows, summary):
    report = plot_report.parse_report(text)
    got = [(r.count, r.payoff, r.rounds, r.expected, r.weighted) for r in report.rows]
    assert got == rows
    assert (report.total_payoff, report.average, report.weighted_payoff,
            report.bet_step, report.weighted_average) == summary


def run(args, stdin=""):
    return subprocess.run(["/usr/bin/python3", SCRIPT, *args], input=stdin.encode(),
                          capture_output=True, timeout=120)


def cut_after(text, marker):
    return text[:text.index(marker) + len(marker)]


@pytest.mark.parametrize("text, message", [
    ("", "input is empty"),
    ("\n \n", "input is empty"),
    (RUN_START, "no payoff table found"),
    (RUN_START + "Showing payoff table for each count...\n\nCount Payoff\n", "column heading"),
    (cut_after(EXAMPLE, "-7.000000\n"), "truncated"),
    (cut_after(EXAMPLE, "  +3  +41.5 / "), "garbled payoff row"),
    (EXAMPLE.replace("     240 =", "     2x0 ="), "garbled payoff row"),
    (EXAMPLE.replace("-0.029167", "-0.129167"), "not payoff/frequency"),
    (EXAMPLE.replace("+249.000000", "+149.000000"), "weighted payoff"),
    (EXAMPLE.replace("  +0   -7.0", " -13   -7.0"), "ascending"),
    (EXAMPLE.replace(" -12   -3.5", " -61   -3.5"), "outside"),
    (cut_after(EXAMPLE, "Average: +0.000620\n"), "Weighted payoff: <number>"),
    (EXAMPLE.replace("Average: +", "Avg: +"), "Average: <number>"),
    (EXAMPLE.replace("Payoff: +31.0", "Payoff: +32.0"), "sum of the rows"),
], ids=["empty", "blank", "no-table", "no-heading", "truncated-rows", "truncated-line",
        "garbled-row", "wrong-expected", "wrong-weighted", "unordered", "count-range",
        "missing-summary", "garbled-summary", "totals-mismatch"])
def test_bad_input_fails_cleanly(tmp_path, text, message):
    result = run(["-", "-o", str(tmp_path / "out.png")], text)
    assert_clean_failure(result, tmp_path, message)


@pytest.mark.parametrize("target, message", [
    ("missing-dir/out.png", "cannot write"),
    ("taken.png", "cannot write"),  # an existing directory
    ("out.jpg", "must end in .png or .svg"),
])
def test_bad_output_fails_cleanly(tmp_path, target, message):
    (tmp_path / "taken.png").mkdir()
    result = run(["-o", str(tmp_path / target)], EXAMPLE)
    assert_clean_failure(result, tmp_path, message, ["taken.png"])
    assert not os.listdir(tmp_path / "taken.png")


def test_unreadable_input_fails_cleanly(tmp_path):
    result = run([str(tmp_path / "absent.txt"), "-o", str(tmp_path / "out.png")])
    assert_clean_failure(result, tmp_path, "cannot read")


def assert_clean_failure(result, directory, message, before=()):
    err = result.stderr.decode()
    assert result.returncode == 2, err
    assert len(err.splitlines()) == 1 and message in err, err
    assert sorted(os.listdir(directory)) == sorted(before), "file left behind"


# A hand-made study: a sparse count, a well-sampled one, and a single round
# (no interval).
POINTS = [
    {"count": -2, "rounds": 400, "share": 0.25, "mean": -0.05, "ci95": [-0.16, 0.04]},
    {"count": 0, "rounds": 1000, "share": 0.75, "mean": -0.01, "ci95": [-0.07, 0.055]},
    {"count": 3, "rounds": 1, "share": 0.0006, "mean": 1.5, "ci95": [None, None]},
]
RAMP = {"stakes": [{"count": -60, "stake": 1}, {"count": 1, "stake": 2},
                   {"count": 3, "stake": 8}]}


def study(strategy="composition", shift=0.0, ramp=None, **config):
    points = copy.deepcopy(POINTS)
    for p in points:
        p["mean"] += shift
        p["ci95"] = [None if end is None else end + shift for end in p["ci95"]]
    return {"format": "truecount-lab study", "version": 1,
            "config": {"rounds": 1601, "block_size": 100, "seed": 1, "decks": 2,
                       "reshuffle_after": 60, "dealer": "h17", "after_split": "none",
                       "split_21": "3:2", "strategy": strategy, "ramp": None,
                       "bankroll": None, **config},
            "blocks": {"total": 17, "played": 17, "ranges": [[0, 16]]}, "complete": True,
            "figures": {"counts": points, "ramp": ramp, "se_method": "cluster"}}


def figure(*studies, labels=None, ramp=False):
    return plot_report.study_figure(
        [plot_report.parse_study(s, f"{i}.json") for i, s in enumerate(studies)],
        labels, ramp)


def scatters(ax):
    return [c for c in ax.collections if isinstance(c, PathCollection)]


def test_study_points_intervals_and_shares():
    ax, share_ax = figure(study()).axes
    (bars,) = ax.containers
    assert bars.get_label() == "composition strategy, H17, 2 decks, reshuffle at 60 cards"
    ends = [v for s in bars.lines[2][0].get_segments() if len(s)
            for v in (s[0][0], s[0][1], s[1][1])]
    assert ends == pytest.approx([-2, -0.16, 0.04, 0, -0.07, 0.055])
    (points,) = scatters(ax)
    assert points.get_offsets().tolist() == [[-2, -0.05], [0, -0.01], [3, 1.5]]
    assert [face[3] == 0 for face in points.get_facecolors()] == [True, False, True]
    shares = [v for r in share_ax.patches for v in (r.get_x() + r.get_width() / 2,
                                                    r.get_height())]
    assert shares == pytest.approx([-2, 25, 0, 75, 3, 0.06])
    legend = [t.get_text() for t in share_ax.get_legend().get_texts()]
    assert any("fewer than 1000 rounds" in t for t in legend)


@pytest.mark.parametrize("studies, labels, expected", [
    ((study("basic"), study(shift=0.5)), None,
     ["basic strategy, H17, 2 decks, reshuffle at 60 cards",
      "composition strategy, H17, 2 decks, reshuffle at 60 cards"]),
    ((study(), study(shift=0.5, seed=2, dealer="s17")), None,
     ["composition strategy, H17, 2 decks, reshuffle at 60 cards",
      "composition strategy, S17, 2 decks, reshuffle at 60 cards"]),
    ((study(), study(shift=0.5, seed=2)), None,
     ["composition strategy, H17, 2 decks, reshuffle at 60 cards, seed 1",
      "composition strategy, H17, 2 decks, reshuffle at 60 cards, seed 2"]),
    ((study(), {**study(shift=0.5), "complete": False,
                "blocks": {"total": 100, "played": 40}}), ["one", "two"],
     ["one", "two (partial: 40 of 100 blocks)"]),
], ids=["strategies", "dealer-rule", "seed-only", "given-and-partial"])
def test_two_studies_give_two_labelled_series(studies, labels, expected):
    ax, share_ax = figure(*studies, labels=labels).axes
    assert [c.get_label() for c in ax.containers] == expected
    legend = [t.get_text() for t in share_ax.get_legend().get_texts()]
    assert legend[:2] == expected
    means = [y for c in scatters(ax) for y in c.get_offsets()[:, 1]]
    assert means == pytest.approx([-0.05, -0.01, 1.5, 0.45, 0.49, 2.0])


@pytest.mark.parametrize("steps, stakes", [
    (RAMP["stakes"], [1, 1, 1, 2, 2, 8]),
    # Below its first listed count a ramp bets its first stake.
    ([{"count": 0, "stake": 3}, {"count": 2, "stake": 5}], [3, 3, 3, 3, 5, 5]),
])
def test_ramp_overlay_steps_per_count(steps, stakes):
    fig = figure(study("basic"), study(ramp={"stakes": steps}), ramp=True)
    (line,) = fig.axes[2].get_lines()
    assert line.get_xydata().tolist() == [[c, s] for c, s in zip(range(-2, 4), stakes)]


BAD_MEAN = study()
BAD_MEAN["figures"]["counts"][1]["mean"] = 0.06


@pytest.mark.parametrize("files, extra, message", [
    ({"a.json": '{"format": "truecount report"}'}, [], "not a truecount-lab study"),
    ({"a.json": '{"format": "truecount-lab study", '}, [], "malformed JSON"),
    ({"a.json": {**study(), "version": 2}}, [], "version 2"),
    ({"a.json": {k: v for k, v in study().items() if k != "figures"}}, [],
     "figures is missing"),
    ({"a.json": BAD_MEAN}, [], "does not hold the mean"),
    ({"a.json": study(), "run.txt": EXAMPLE}, [], "cannot share a chart"),
    ({"a.json": study(), "b.json": {**study("basic"), "figures": {"counts": [
        {**POINTS[0], "count": 9}]}}}, [], "share no true count"),
    ({"a.json": study(), "b.json": study()}, [], "same settings"),
    ({"a.json": study(), "b.json": study("basic")}, ["--label", "x"], "--label given 1"),
    ({"a.json": study()}, ["--ramp"], "none of the studies holds a ramp"),
    ({"a.json": study()}, ["--assumed-sd", "1.1"], "--assumed-sd is for a truecount"),
    ({"a.json": study()}, ["-o", "missing-dir/out.png"], "cannot write"),
], ids=["not-a-study", "malformed", "version", "no-figures", "bad-interval", "mixed",
        "no-common-count", "duplicate", "label-count", "no-ramp", "assumed-sd",
        "unwritable"])
def test_bad_studies_fail_cleanly(tmp_path, monkeypatch, capsys, files, extra, message):
    for name, content in files.items():
        (tmp_path / name).write_text(content if isinstance(content, str)
                                     else json.dumps(content))
    monkeypatch.chdir(tmp_path)
    assert plot_report.main([*files, "-o", "out.png", *extra]) == 2
    err = capsys.readouterr().err
    assert len(err.splitlines()) == 1 and message in err, err
    assert sorted(os.listdir(tmp_path)) == sorted(files), "file left behind"


@pytest.mark.parametrize("name, inputs, extra, stdin", [
    ("out.png", {"run.txt": EXAMPLE}, [], ""),
    ("out.png", {}, ["--assumed-sd", "1.15", "--min-rounds", "10"], EXAMPLE),
    ("OUT.PNG", {}, [], NO_ROWS),
    ("out.svg", {"run.txt": WIDE}, [], ""),
    ("chart.png", {"a.json": json.dumps(study("basic")),
                   "b.json": json.dumps(study(ramp=RAMP))},
     ["--ramp", "--min-rounds", "2", "--label", "A", "--label", "B"], ""),
])
def test_renders_image(tmp_path, name, inputs, extra, stdin):
    for source, text in inputs.items():
        (tmp_path / source).write_text(text)
    output = tmp_path / name
    args = [str(tmp_path / source) for source in inputs] or ["-"]
    result = run([*args, "-o", str(output), *extra], stdin)
    assert result.returncode == 0, result.stderr.decode()
    data = output.read_bytes()
    if name.lower().endswith(".png"):
        assert data.startswith(b"\x89PNG\r\n\x1a\n") and len(data) > 10_000
    else:
        assert data.lstrip().startswith(b"<?xml") and b"<svg" in data
    assert sorted(os.listdir(tmp_path)) == sorted([*inputs, name])
