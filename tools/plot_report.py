#!/usr/bin/python3
"""Draw the payoff report of a truecount run as a chart.

truecount prints, after its progress lines, a payoff table with one row per
true count whose payoff sum is not zero, followed by four summary lines:

    Showing payoff table for each count...

    Count Payoff/Frequency Expected_Payoff Weighted_Payoff
     -12   -3.5 /        8 =   -0.437500   -3.500000
      +0   -7.0 /      240 =   -0.029167   -7.000000

    Payoff: +31.000000 (If you always bet 1 dollars.)
    Average: +0.000620
    Weighted payoff: +238.500000 (If you bet +2.000000 for each additional count.)
    Weighted average: +0.004770

This tool reads such a run's whole standard output and writes one image.
The program itself is not changed or run by it.
"""

import argparse
import math
import os
import re
import sys
import tempfile
from dataclasses import dataclass, field

TITLE_LINE = "Showing payoff table for each count..."
HEADING_LINE = "Count Payoff/Frequency Expected_Payoff Weighted_Payoff"

# The count is an integer of width 4 (no plus sign on the first row only);
# payoff, expected and weighted payoff always carry a sign; the frequency is a
# bare integer. Numbers wider than their field simply push the row right, so
# only the separators are relied on.
_ROW = re.compile(
    r"^ *(?P<count>[+-]?\d+)"
    r" +(?P<payoff>[+-]\d+\.\d)"
    r" / +(?P<rounds>\d+)"
    r" = +(?P<expected>[+-]\d+\.\d{6})"
    r" +(?P<weighted>[+-]\d+\.\d{6})$"
)
# Summary numbers are fixed with six decimals after a table, and in general
# notation ("0", "2") when the table has no rows.
_NUM = r"([+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?)"
_SUMMARIES = (
    ("Payoff: <number> (If you always bet 1 dollars.)",
     re.compile(r"^Payoff: " + _NUM + r" \(If you always bet 1 dollars\.\)$")),
    ("Average: <number>", re.compile(r"^Average: " + _NUM + r"$")),
    ("Weighted payoff: <number> (If you bet <number> for each additional count.)",
     re.compile(r"^Weighted payoff: " + _NUM + r" \(If you bet " + _NUM
                + r" for each additional count\.\)$")),
    ("Weighted average: <number>", re.compile(r"^Weighted average: " + _NUM + r"$")),
)

IMAGE_FORMATS = {".png": "png", ".svg": "svg"}
MIN_COUNT, MAX_COUNT = -60, 60
PAYOFF_HALF_STEP = 0.05      # the payoff column is rounded to one decimal
DECIMAL_HALF_STEP = 0.5e-6   # six-decimal columns


class ReportError(Exception):
    """The input is not a complete, well-formed payoff report."""


@dataclass
class Row:
    count: int
    payoff: float
    rounds: int
    expected: float
    weighted: float


@dataclass
class Report:
    rows: list = field(default_factory=list)
    total_payoff: float = 0.0
    average: float = 0.0
    weighted_payoff: float = 0.0
    bet_step: float = 0.0
    weighted_average: float = 0.0
    # The summary numbers as printed, for display.
    texts: dict = field(default_factory=dict)


def _shown(line, limit=60):
    return repr(line if len(line) <= limit else line[:limit] + "...")


def _slack(*values):
    """Room for binary rounding of the printed decimals."""
    return 1e-9 * (1.0 + sum(abs(v) for v in values))


def _parse_row(line, number):
    match = _ROW.match(line)
    if not match:
        raise ReportError(f"line {number}: garbled payoff row {_shown(line)}")
    row = Row(int(match["count"]), float(match["payoff"]), int(match["rounds"]),
              float(match["expected"]), float(match["weighted"]))
    if not MIN_COUNT <= row.count <= MAX_COUNT:
        raise ReportError(f"line {number}: true count {row.count} is outside "
                          f"{MIN_COUNT}..{MAX_COUNT}")
    if row.rounds < 1:
        raise ReportError(f"line {number}: a row with a payoff but no rounds")
    # Expected = payoff / rounds, and weighted = payoff times the bet at the
    # count (2 units per count point above zero, 1 unit otherwise); both up
    # to the rounding of the printed columns.
    if abs(row.expected * row.rounds - row.payoff) > (
            PAYOFF_HALF_STEP + DECIMAL_HALF_STEP * row.rounds
            + _slack(row.payoff, row.expected * row.rounds)):
        raise ReportError(f"line {number}: expected payoff {row.expected:+.6f} "
                          f"is not payoff/frequency {row.payoff:+.1f}/{row.rounds}")
    weight = 2 * row.count if row.count > 0 else 1
    if abs(row.weighted - weight * row.payoff) > (
            weight * PAYOFF_HALF_STEP + DECIMAL_HALF_STEP
            + _slack(row.weighted, weight * row.payoff)):
        raise ReportError(f"line {number}: weighted payoff {row.weighted:+.6f} "
                          f"does not match payoff {row.payoff:+.1f} at count {row.count}")
    return row


def _check_totals(report):
    rows = report.rows
    if not rows:
        if report.total_payoff != 0 or report.weighted_payoff != 0:
            raise ReportError("summary totals are not zero but the table has no rows")
        return
    payoff_sum = sum(r.payoff for r in rows)
    if abs(report.total_payoff - payoff_sum) > (
            PAYOFF_HALF_STEP * len(rows) + DECIMAL_HALF_STEP
            + _slack(report.total_payoff, payoff_sum)):
        raise ReportError(f"summary payoff {report.total_payoff:+.6f} is not the "
                          f"sum of the rows ({payoff_sum:+.1f})")
    weighted_sum = sum(r.weighted for r in rows)
    if abs(report.weighted_payoff - weighted_sum) > (
            DECIMAL_HALF_STEP * (len(rows) + 1)
            + _slack(report.weighted_payoff, weighted_sum)):
        raise ReportError(f"summary weighted payoff {report.weighted_payoff:+.6f} "
                          f"is not the sum of the rows ({weighted_sum:+.6f})")


def parse_report(text):
    """Find the payoff report in a run's output and return it as a Report.

    Anything before the report's title line (banner, self-test and progress
    lines) is skipped, as is anything after the last summary line. Raises
    ReportError with a one-line message when the report is missing,
    truncated, garbled or inconsistent.
    """
    if not text.strip():
        raise ReportError("input is empty")
    lines = [line[:-1] if line.endswith("\r") else line for line in text.split("\n")]
    if lines[-1] == "":
        lines.pop()  # the line end of the last line

    try:
        title = next(i for i, line in enumerate(lines) if line.rstrip() == TITLE_LINE)
    except StopIteration:
        raise ReportError(f"no payoff table found (no line {TITLE_LINE!r})") from None

    def expect(index, wanted, what):
        if index >= len(lines):
            raise ReportError(f"report is truncated: input ends where {what} "
                              f"was expected (line {index + 1})")
        if lines[index] != wanted:
            raise ReportError(f"line {index + 1}: expected {what}, found "
                              f"{_shown(lines[index])}")

    expect(title + 1, "", "the empty line after the title")
    expect(title + 2, HEADING_LINE, "the column heading")

    report = Report()
    index = title + 3
    while index < len(lines) and lines[index] != "":
        row = _parse_row(lines[index], index + 1)
        if report.rows and row.count <= report.rows[-1].count:
            raise ReportError(f"line {index + 1}: count {row.count} does not follow "
                              f"count {report.rows[-1].count} in ascending order")
        report.rows.append(row)
        index += 1
    if index >= len(lines):
        raise ReportError(f"report is truncated: input ends after {len(report.rows)} "
                          "payoff rows, before the summary lines")

    numbers = []
    for offset, (form, pattern) in enumerate(_SUMMARIES):
        number = index + 2 + offset
        if number > len(lines):
            raise ReportError(f"report is truncated: summary line {form!r} is missing")
        match = pattern.match(lines[number - 1])
        if not match:
            raise ReportError(f"line {number}: expected summary line {form!r}, "
                              f"found {_shown(lines[number - 1])}")
        numbers.extend(match.groups())
    keys = ("total_payoff", "average", "weighted_payoff", "bet_step", "weighted_average")
    for key, value in zip(keys, numbers):
        setattr(report, key, float(value))
        report.texts[key] = value
    _check_totals(report)
    return report


SPARSE_ROUNDS = 100  # counts with fewer rounds are drawn hollow (see --help)


def _draw_points(ax, rows, min_rounds, assumed_sd):
    """Plot expected payoffs; return the legend handles."""
    if assumed_sd is None:
        what = "expected payoff per round (no error bars: the report holds no per-round spread)"
    else:
        what = (f"expected payoff per round; bars APPROXIMATE: ±1 s.e. from an assumed "
                f"SD of {assumed_sd:g} per round, not from the data")
    groups = (
        ([r for r in rows if r.rounds >= max(min_rounds, SPARSE_ROUNDS)], "#1f4e9a", what),
        ([r for r in rows if min_rounds <= r.rounds < SPARSE_ROUNDS], "none",
         f"hollow: fewer than {SPARSE_ROUNDS} rounds at the count, little data"),
    )
    handles = []
    for group, face, label in groups:
        if not group:
            continue
        x = [r.count for r in group]
        y = [r.expected for r in group]
        style = dict(color="#1f4e9a", markerfacecolor=face, markersize=5, label=label)
        if assumed_sd is None:
            handles.append(ax.plot(x, y, "o", **style)[0])
        else:
            errors = [assumed_sd / math.sqrt(r.rounds) for r in group]
            handles.append(ax.errorbar(x, y, yerr=errors, fmt="o", ecolor="#8aa6d0",
                                       elinewidth=1, capsize=2, **style))
    hidden = sum(1 for r in rows if r.rounds < min_rounds)
    if hidden:
        # An invisible artist, so that the legend says what was left out.
        handles.append(ax.plot([], [], " ", label=f"{hidden} counts with fewer than "
                               f"{min_rounds} rounds not drawn as points")[0])
    return handles


def render(report, output, assumed_sd=None, min_rounds=1):
    """Draw the report to the file `output` (format by its extension)."""
    import matplotlib
    matplotlib.use("Agg")
    from matplotlib.figure import Figure
    from matplotlib.ticker import MaxNLocator

    fmt = IMAGE_FORMATS[os.path.splitext(output)[1].lower()]
    counts = [r.count for r in report.rows]
    rounds = [r.rounds for r in report.rows]

    fig = Figure(figsize=(12, 6.75), dpi=110, layout="constrained")
    ax = fig.add_subplot()
    bars_ax = ax.twinx()
    # Points in front of the bars.
    ax.set_zorder(bars_ax.get_zorder() + 1)
    ax.patch.set_visible(False)

    handles = []
    if report.rows:
        handles.append(bars_ax.bar(counts, rounds, width=0.8, color="#d5e0ea",
                                   edgecolor="#a9bccf", linewidth=0.5,
                                   label="rounds booked at the count (right axis)"))
        bars_ax.set_yscale("log")
        # Headroom so that the bars keep to the lower part of the chart.
        bars_ax.set_ylim(0.5, max(rounds) * 100)
        handles.extend(_draw_points(ax, report.rows, min_rounds, assumed_sd))
        ax.set_xlim(min(counts) - 1, max(counts) + 1)
    else:
        ax.text(0.5, 0.6, "The table has no rows: no count booked a non-zero payoff.",
                transform=ax.transAxes, ha="center", va="center", fontsize=12)
        ax.set_xlim(-10, 10)
        ax.set_ylim(-1, 1)
    handles.append(ax.axhline(0.0, color="#b03030", linewidth=1, linestyle="--",
                              label="break-even (zero payoff)"))

    ax.xaxis.set_major_locator(MaxNLocator(integer=True))
    ax.grid(True, axis="y", color="#e0e0e0", linewidth=0.6)
    ax.set_xlabel("True count (truncated toward zero)")
    ax.set_ylabel("Expected payoff per round (units of stake)")
    bars_ax.set_ylabel("Rounds at this count (log scale)")
    ax.legend(handles=handles, loc="upper center", bbox_to_anchor=(0.5, -0.1),
              ncol=2, fontsize=9, frameon=False)

    t = report.texts
    ax.set_title(
        "Payoff by true count\n"
        f"Flat bet of 1 unit: payoff {t['total_payoff']}, average {t['average']}\n"
        f"Weighted bet ({t['bet_step']} units per count above zero): payoff "
        f"{t['weighted_payoff']}, average {t['weighted_average']}",
        fontsize=10.5)

    _write_atomically(output, lambda stream: fig.savefig(stream, format=fmt))


def _write_atomically(output, write):
    """Write through a temporary file beside `output`, renamed on success."""
    directory = os.path.dirname(os.path.abspath(output))
    try:
        handle, temp = tempfile.mkstemp(dir=directory, prefix=".plot_report-",
                                        suffix=os.path.splitext(output)[1])
    except OSError as err:
        raise ReportError(f"cannot write {output}: {err.strerror}") from None
    try:
        with os.fdopen(handle, "wb") as stream:
            write(stream)
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(temp, 0o666 & ~umask)
        os.replace(temp, output)
    except OSError as err:
        os.unlink(temp)
        raise ReportError(f"cannot write {output}: {err.strerror}") from None
    except BaseException:
        os.unlink(temp)
        raise


def _positive(text):
    try:
        value = float(text)
    except ValueError:
        value = float("nan")
    if not (value > 0 and math.isfinite(value)):
        raise argparse.ArgumentTypeError(f"not a positive number: {text!r}")
    return value


def _positive_int(text):
    if not re.fullmatch(r"\+?\d+", text.strip()) or int(text) < 1:
        raise argparse.ArgumentTypeError(f"not a positive integer: {text!r}")
    return int(text)


def main(argv=None):
    parser = argparse.ArgumentParser(
        prog="plot_report.py",
        description="Read the standard output of a truecount run (banner and "
                    "progress lines may come first) from INPUT or standard input, "
                    "find its payoff table and four summary lines, and write one "
                    "chart to OUTPUT: the expected payoff per round at each printed "
                    "true count as points, the rounds per count as bars on a second "
                    "(log) axis, a line at zero, and the flat-bet and weighted "
                    "results in the title. Counts with fewer than 100 rounds are "
                    "drawn hollow. The points have no error bars, since the report "
                    "holds no per-round spread, unless --assumed-sd is given.",
        epilog="Bad input (empty, no payoff table, a truncated or garbled report) or "
               "an unwritable OUTPUT gives a one-line error on standard error, exit "
               "status 2 and no output file. Example: "
               "./build/truecount | tools/plot_report.py -o payoff.png")
    parser.add_argument("input", nargs="?", default="-", metavar="INPUT",
                        help="file with the run's output; '-' or absent for "
                             "standard input")
    parser.add_argument("-o", "--output", required=True, metavar="OUTPUT",
                        help="image to write; the format follows the extension: "
                             ".png or .svg")
    parser.add_argument("--assumed-sd", type=_positive, metavar="SD",
                        help="draw APPROXIMATE error bars of ±1 standard error, "
                             "SD/sqrt(rounds), from this assumed standard "
                             "deviation of one round's payoff (about 1.1 to 1.2 "
                             "for blackjack); labelled as such on the chart")
    parser.add_argument("--min-rounds", type=_positive_int, default=1, metavar="N",
                        help="leave out the points of counts with fewer than N "
                             "rounds (their bars stay), so that the y axis shows "
                             "the well-sampled counts; default 1, all points")
    args = parser.parse_args(argv)

    try:
        if os.path.splitext(args.output)[1].lower() not in IMAGE_FORMATS:
            raise ReportError(f"output {args.output!r} must end in .png or .svg")
        try:
            if args.input == "-":
                data = sys.stdin.buffer.read()
            else:
                with open(args.input, "rb") as stream:
                    data = stream.read()
        except OSError as err:
            raise ReportError(f"cannot read {args.input}: {err.strerror}") from None
        report = parse_report(data.decode("utf-8", errors="replace"))
        render(report, args.output, args.assumed_sd, args.min_rounds)
    except ReportError as err:
        print(f"plot_report.py: error: {err}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
