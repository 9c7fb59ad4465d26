"""Tests of tools/plot_report.py: report parsing, bad input, rendering."""

import os
import subprocess
import sys

import pytest

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


@pytest.mark.parametrize("name, text, extra, via_stdin", [
    ("out.png", EXAMPLE, [], False),
    ("out.png", EXAMPLE, ["--assumed-sd", "1.15", "--min-rounds", "10"], True),
    ("OUT.PNG", NO_ROWS, [], True),
    ("out.svg", WIDE, [], False),
])
def test_renders_image(tmp_path, name, text, extra, via_stdin):
    source = tmp_path / "run.txt"
    source.write_text(text)
    output = tmp_path / name
    args = (["-"] if via_stdin else [str(source)]) + ["-o", str(output), *extra]
    result = run(args, text if via_stdin else "")
    assert result.returncode == 0, result.stderr.decode()
    data = output.read_bytes()
    if name.lower().endswith(".png"):
        assert data.startswith(b"\x89PNG\r\n\x1a\n") and len(data) > 10_000
    else:
        assert data.lstrip().startswith(b"<?xml") and b"<svg" in data
    assert sorted(os.listdir(tmp_path)) == sorted(["run.txt", name])


def test_help_names_input_and_output():
    result = run(["--help"])
    assert result.returncode == 0
    text = " ".join(result.stdout.decode().split())
    assert "standard input" in text and ".png or .svg" in text and "error bars" in text
