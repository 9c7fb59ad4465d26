"""Tests of the chart tool (tools/plot_report.py and its two charts), on a real
truecount report and real truecount-lab studies made by the built programs
(TRUECOUNT and TRUECOUNT_LAB name them; CTest sets both)."""

import io
import json
import os
import re
import shlex
import subprocess
import sys

import pytest
from matplotlib.collections import PathCollection

from conftest import ROOT, TRUECOUNT, edit, lab, ok, read, run_study

TOOLS = os.path.join(ROOT, "tools")
SCRIPT = os.path.join(TOOLS, "plot_report.py")
sys.path.insert(0, TOOLS)
import chart_common  # noqa: E402
import plot_report  # noqa: E402
import ramp_overlay  # noqa: E402
import report_chart  # noqa: E402
import study_chart  # noqa: E402
import trip_chart  # noqa: E402


@pytest.fixture(scope="session")
def report_text():
    run = subprocess.run([TRUECOUNT], capture_output=True, text=True, timeout=60)
    assert run.returncode == 1, run.stderr  # a complete run, by design
    return run.stdout


@pytest.fixture(scope="session")
def studies(tmp_path_factory):
    """Four small studies: the default, the fixed strategy with a ramp, and
    the default under two other seeds; a comparison of the default with the
    fixed strategy; and trips; decoded from their files. "found" is the output
    of the ramp command on the fixed strategy's file."""
    folder = tmp_path_factory.mktemp("studies")
    small = "--rounds 30000 --block-size 3000"
    runs = {"default": f"run {small}", "basic": f"run {small} --strategy basic --ramp -60:1,1:2,3:8",
            "seed2": f"run {small} --seed 2", "seed3": f"run {small} --seed 3",
            "compare": f"compare {small} --with '--strategy basic'",
            "trip": "trip --count hilo --ramp -60:1,2:4 --bankroll 50 --hours 3 --trips 200"}
    for name, args in runs.items():
        ok(*shlex.split(args), "--quiet", "--threads", "1", "--json", folder / f"{name}.json")
    decoded = {name: read(folder / f"{name}.json") for name in runs}
    decoded["folder"] = folder
    found = lab("ramp", folder / "basic.json", "--spread", "1:8", "--bankroll", "300")
    (folder / "found.txt").write_text(found.stdout)
    return decoded


def run(*args):
    return subprocess.run(["/usr/bin/python3", SCRIPT, *map(str, args)], capture_output=True,
                          text=True, timeout=120)


def test_reads_a_real_report(report_text):
    report = report_chart.parse_report(report_text)
    rows = report.rows
    # Only counts with a non-zero payoff sum are printed; 50000 rounds in all.
    assert 10 < len(rows) and sum(r.rounds for r in rows) <= 50000
    assert report.total_payoff == pytest.approx(sum(r.payoff for r in rows), abs=0.05 * len(rows))
    assert report.bet_step == 2.0
    for row in rows:
        assert row.expected == pytest.approx(row.payoff / row.rounds, abs=1e-6)
        assert row.weighted == pytest.approx(row.payoff * (2 * row.count if row.count > 0 else 1),
                                             abs=1e-6)


def made(rows, payoff, average, weighted, weighted_average, step="+2.000000"):
    """A hand-made report, for what a real run rarely shows."""
    return (f"{report_chart.TITLE_LINE}\n\n{report_chart.HEADING_LINE}\n{rows}\nPayoff: {payoff} "
            f"(If you always bet 1 dollars.)\nAverage: {average}\nWeighted payoff: {weighted} (If "
            f"you bet {step} for each additional count.)\nWeighted average: {weighted_average}\n")


FIRST_POSITIVE = made("   3  +41.5 /     1200 =   +0.034583 +249.000000\n", "+41.500000",
                      "+0.000830", "+249.000000", "+0.004980")
WIDE = made("   0 -12345.5 / 123456789 =   -0.000100 -12345.500000\n"
            " +45 +123456.5 /   250000 =   +0.493826 +11111085.000000\n", "+111111.000000",
            "+2.222220", "+11098739.500000", "+221.974790")
NO_ROWS = made("", "0", "0", "0", "0", step="2")


@pytest.mark.parametrize("text, rows", [
    (FIRST_POSITIVE, [(3, 41.5, 1200)]),
    (FIRST_POSITIVE.replace("\n", "\r\n"), [(3, 41.5, 1200)]),
    (WIDE, [(0, -12345.5, 123456789), (45, 123456.5, 250000)]),
    (NO_ROWS, []),
], ids=["first-row-unsigned", "crlf", "wider-than-field", "no-rows"])
def test_parses_report_forms(text, rows):
    assert [(r.count, r.payoff, r.rounds) for r in report_chart.parse_report(text).rows] == rows


def first_row(text):
    """The payoff table's first row: the third line after its title."""
    return text[text.index(report_chart.TITLE_LINE):].split("\n")[3]


def keep(value):
    return value


# Refused: a change of the real report (read from standard input) or of the
# default study (a.json), the other inputs, the options, and what the one line
# of standard error says.
@pytest.mark.parametrize("report, study, others, args, message", [
    (lambda t: "", None, [], [], "input is empty"),
    (lambda t: t[:t.index(report_chart.TITLE_LINE)], None, [], [], "no payoff table found"),
    (lambda t: t.replace(report_chart.HEADING_LINE, "Count Payoff"), None, [], [],
     "column heading"),
    (lambda t: t[:t.index(first_row(t)) + len(first_row(t)) + 1], None, [], [], "truncated"),
    (lambda t: t.replace(first_row(t), first_row(t)[:12]), None, [], [], "garbled payoff row"),
    (lambda t: t.replace(first_row(t), re.sub(r"= +([+-])", r"= \g<1>9", first_row(t))), None,
     [], [], "not payoff/frequency"),
    (lambda t: t.replace("(If you bet +2.000000", "(If you bet +3.000000"), None, [], [],
     "weighted payoff"),
    (lambda t: t.replace("Average: ", "Avg: "), None, [], [], "Average: <number>"),
    (lambda t: re.sub(r"^Payoff: ([+-])", r"Payoff: \g<1>9", t, flags=re.M), None, [], [],
     "sum of the rows"),
    (lambda t: t.replace(first_row(t), f"{report_chart.LOWEST_COUNT - 1:4d}" + first_row(t)[4:]),
     None, [], [], "outside"),
    (None, lambda s: '{"format": "truecount report"}', [], [], "not a truecount-lab study"),
    (None, lambda s: '{"format": "truecount-lab study", ', [], [], "malformed JSON"),
    (None, lambda s: edit(s, lambda d: d.update(version=1)), [], [], "reads versions 2 and 3"),
    (None, lambda s: edit(s, lambda d: d.pop("figures")), [], [], "figures is missing"),
    (None, lambda s: edit(s, lambda d: d["figures"]["counts"][len(d["figures"]["counts"]) // 2]
                          .update(mean=9.0)), [], [], "does not hold the mean"),
    (None, lambda s: edit(s, lambda d: d["labels"][0].pop("names_series")), [], [], "label"),
    (None, keep, [], ["--ramp"], "none of the studies holds a ramp"),
    (None, keep, [], ["--ramp-file", "a.json"], "not the output of truecount-lab ramp"),
    (None, keep, [], ["--assumed-sd", "1.1"], "--assumed-sd is for a truecount"),
    (None, keep, [], ["--label", "a", "--label", "b"], "--label given 2"),
    (None, keep, ["default"], [], "same settings"),
    (None, keep, ["report"], [], "cannot share a chart"),
    (None, keep, ["compare"], [], "a comparison is drawn alone"),
    (None, keep, ["trip"], [], "a trip file is drawn alone"),
    (keep, None, [], ["-o", "missing-dir/out.png"], "cannot write"),
    (keep, None, [], ["-o", "taken.png"], "cannot write"),  # an existing directory
    (keep, None, [], ["-o", "out.jpg"], "must end in .png or .svg"),
], ids=["empty", "no-table", "no-heading", "truncated", "garbled", "wrong-expected",
        "wrong-stake", "garbled-summary", "totals-mismatch", "count-outside", "not-a-study",
        "malformed", "version", "no-figures", "bad-interval", "bad-label", "no-ramp", "not-a-ramp",
        "assumed-sd", "label-count", "duplicate", "mixed", "comparison", "trip", "missing-dir",
        "taken", "jpg"])
def test_bad_input_fails_cleanly(tmp_path, monkeypatch, capsys, report_text, studies, report,
                                 study, others, args, message):
    monkeypatch.chdir(tmp_path)
    (tmp_path / "taken.png").mkdir()
    for name in others:
        (tmp_path / name).write_text(report_text if name == "report" else json.dumps(studies[name]))
    if study:
        made = study(studies["default"])
        (tmp_path / "a.json").write_text(made if isinstance(made, str) else json.dumps(made))
    else:
        monkeypatch.setattr(sys, "stdin", io.TextIOWrapper(io.BytesIO(report(report_text).encode())))
    before = sorted(os.listdir(tmp_path))
    inputs = ["a.json", *others] if study else ["-"]
    assert plot_report.main([*inputs, *args, *([] if "-o" in args else ["-o", "out.png"])]) == 2
    err = capsys.readouterr().err
    assert len(err.splitlines()) == 1 and message in err, err
    assert sorted(os.listdir(tmp_path)) == before, "a file was written"


def parsed(*decoded):
    return [study_chart.parse_study(d, f"{i}.json") for i, d in enumerate(decoded)]


def scatters(ax):
    return [c for c in ax.collections if isinstance(c, PathCollection)]


def test_study_points_intervals_shares_and_name(studies):
    data = studies["default"]
    ax, share_ax = study_chart.study_figure(parsed(data)).axes
    counts = data["figures"]["counts"]
    (points,) = scatters(ax)
    assert points.get_offsets().tolist() == [[c["count"], c["mean"]] for c in counts]
    hollow = [face[3] == 0 for face in points.get_facecolors()]
    assert hollow == [c["rounds"] < chart_common.FEW_ROUNDS or c["ci95"][0] is None for c in counts]
    assert any(hollow) and not all(hollow)
    shares = [v for r in share_ax.patches for v in (r.get_x() + r.get_width() / 2, r.get_height())]
    assert shares == pytest.approx([v for c in counts for v in (c["count"], 100 * c["share"])])
    # A partial study says so.
    partial = edit(data, lambda d: d.update(complete=False) or d["blocks"].update(played=4))
    assert study_chart.study_labels(parsed(partial), ["mine"]) == [
        f"mine (partial: 4 of {data['blocks']['total']} blocks)"]


@pytest.mark.parametrize("names, added", [
    (("default", "basic"), []),
    (("default", "seed2", "seed3"), ["seed 1", "seed 2", "seed 3"]),
], ids=["settings-that-name", "seed-only"])
def test_series_are_named_from_the_files_labels(studies, names, added):
    decoded = [studies[n] for n in names]
    ax, _ = study_chart.study_figure(parsed(*decoded)).axes
    base = [", ".join(label["text"] for label in d["labels"] if label["names_series"])
            for d in decoded]
    expected = [b + (", " + a if a else "") for b, a in zip(base, added or [""] * len(base))]
    assert [c.get_label() for c in ax.containers] == expected and len(set(expected)) == len(expected)


def test_ramp_overlay_is_the_files_stakes_and_the_found_ones(tmp_path, studies):
    data = studies["basic"]
    found = studies["folder"] / "found.txt"
    ramp = ramp_overlay.read_found_ramp(str(found), found.read_text())
    fig = study_chart.study_figure(parsed(studies["default"], data), ramp=True,
                                   found=[(str(found), ramp)])
    own, dotted = fig.axes[2].get_lines()
    assert data["figures"]["ramp"]["text"] in own.get_label()
    assert ramp.text in dotted.get_label() and "found.txt" in dotted.get_label()
    # Each line is the stakes the lab plays: the file's, and those of the
    # found ramp as run --ramp stores them.
    played = run_study(tmp_path / "p.json", ["--rounds", "1", "--ramp", ramp.text])
    for line, stored in ((own, data), (dotted, played)):
        stakes = {s["count"]: s["stake"] for s in stored["figures"]["ramp"]["stakes"]}
        xy = line.get_xydata().tolist()
        assert [y for _, y in xy] == [stakes[int(x)] for x, _ in xy]
        assert len({y for _, y in xy}) > 1


def test_a_comparison_draws_both_sides_and_their_difference(studies):
    data = studies["compare"]
    (comparison,) = parsed(data)
    fig = study_chart.study_figure([comparison.study, comparison.variant],
                                   difference=comparison.difference)
    ax, difference_ax, share_ax = fig.axes
    # Named by decks, reshuffle point, dealer rule and strategy, as docs/studies.md says.
    assert [c.get_label() for c in ax.containers] == [
        "2 decks, reshuffle after 60 cards, dealer h17, strategy composition",
        "2 decks, reshuffle after 60 cards, dealer h17, strategy basic"]
    for points, side in zip(scatters(ax), ("study", "variant")):
        assert points.get_offsets().tolist() == [
            [c["count"], c["mean"]] for c in data["figures"][side]["counts"]]
    (points,) = scatters(difference_ax)
    counts = data["figures"]["difference"]["counts"]
    assert points.get_offsets().tolist() == [[d["count"], d["mean"]] for d in counts]
    (bars,) = difference_ax.containers
    segments = bars.lines[2][0].get_segments()
    assert [y for s in segments if len(s) for y in (s[0][1], s[1][1])] == pytest.approx(
        [y for d in counts if d["ci95"][0] is not None for y in d["ci95"]])


def test_renders_real_files_keeps_an_outputs_mode_and_exits_2_on_refusal(tmp_path, studies,
                                                                        report_text):
    report = tmp_path / "run.txt"
    report.write_text(report_text)
    chart = tmp_path / "payoff.png"
    chart.write_bytes(b"old")
    chart.chmod(0o640)
    result = run(report, "-o", chart, "--assumed-sd", "1.15", "--min-rounds", "10")
    assert result.returncode == 0, result.stderr
    assert chart.read_bytes().startswith(b"\x89PNG\r\n\x1a\n") and chart.stat().st_mode & 0o777 == 0o640
    folder, svg = studies["folder"], tmp_path / "studies.svg"
    result = run(folder / "default.json", folder / "basic.json", "--ramp-file", folder / "found.txt",
                 "-o", svg)
    assert result.returncode == 0 and b"<svg" in svg.read_bytes(), result.stderr
    # The script exits with what main returns (the refusals above run in-process).
    refused = run(report, "-o", tmp_path / "out.jpg")
    assert refused.returncode == 2 and "must end in .png or .svg" in refused.stderr
    assert sorted(os.listdir(tmp_path)) == ["payoff.png", "run.txt", "studies.svg"]


# A trip file: its bankroll's quantiles hour by hour from the starting
# bankroll, as bands about the median.
def test_a_trip_draws_the_bankrolls_bands_hour_by_hour(studies):
    path, data = studies["folder"] / "trip.json", studies["trip"]
    (ax,) = trip_chart.trip_figure(plot_report.load(str(path), path.read_bytes())).axes
    (median,) = ax.lines[:1]
    assert median.get_ydata().tolist() == [50] + [hour["p50"] for hour in data["hours"]]
    outer, middle = ax.collections
    assert outer.get_paths()[0].vertices[:, 1].max() == max(h["p95"] for h in data["hours"])
    assert middle.get_paths()[0].vertices[:, 1].min() == min([50] + [h["p25"] for h in data["hours"]])
    assert f"ruined {100 * data['ruin']['share']:.2f}%" in ax.get_title()
