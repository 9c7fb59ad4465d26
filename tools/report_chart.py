"""The chart of a truecount run: its payoff report read from the run's output.

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
"""

import math
import re
from dataclasses import dataclass, field

from chart_common import FEW_ROUNDS, InputError, shown

TITLE_LINE = "Showing payoff table for each count..."
HEADING_LINE = "Count Payoff/Frequency Expected_Payoff Weighted_Payoff"
# The true counts truecount books rounds at.
LOWEST_COUNT, HIGHEST_COUNT = -60, 60

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
PAYOFF_HALF_STEP = 0.05      # the payoff column is rounded to one decimal
DECIMAL_HALF_STEP = 0.5e-6   # six-decimal columns


@dataclass
class Row:
    count: int
    payoff: float
    rounds: int
    expected: float
    weighted: float
    line: int


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


def _slack(*values):
    """Room for binary rounding of the printed decimals."""
    return 1e-9 * (1.0 + sum(abs(v) for v in values))


def _parse_row(line, number):
    match = _ROW.match(line)
    if not match:
        raise InputError(f"line {number}: garbled payoff row {shown(line)}")
    row = Row(int(match["count"]), float(match["payoff"]), int(match["rounds"]),
              float(match["expected"]), float(match["weighted"]), number)
    if not LOWEST_COUNT <= row.count <= HIGHEST_COUNT:
        raise InputError(f"line {number}: true count {row.count} is outside "
                         f"{LOWEST_COUNT}..{HIGHEST_COUNT}")
    if row.rounds < 1:
        raise InputError(f"line {number}: a row with a payoff but no rounds")
    # Expected = payoff / rounds, up to the rounding of the printed columns.
    if abs(row.expected * row.rounds - row.payoff) > (
            PAYOFF_HALF_STEP + DECIMAL_HALF_STEP * row.rounds
            + _slack(row.payoff, row.expected * row.rounds)):
        raise InputError(f"line {number}: expected payoff {row.expected:+.6f} "
                         f"is not payoff/frequency {row.payoff:+.1f}/{row.rounds}")
    return row


def _check_weighted(report):
    """Weighted = payoff times the stake at the count: the report's bet per
    count point above zero, one unit otherwise."""
    for row in report.rows:
        stake = report.bet_step * row.count if row.count > 0 else 1
        if abs(row.weighted - stake * row.payoff) > (
                stake * PAYOFF_HALF_STEP + DECIMAL_HALF_STEP
                + _slack(row.weighted, stake * row.payoff)):
            raise InputError(f"line {row.line}: weighted payoff {row.weighted:+.6f} "
                             f"does not match payoff {row.payoff:+.1f} at count {row.count}")


def _check_totals(report):
    rows = report.rows
    if not rows:
        if report.total_payoff != 0 or report.weighted_payoff != 0:
            raise InputError("summary totals are not zero but the table has no rows")
        return
    payoff_sum = sum(r.payoff for r in rows)
    if abs(report.total_payoff - payoff_sum) > (
            PAYOFF_HALF_STEP * len(rows) + DECIMAL_HALF_STEP
            + _slack(report.total_payoff, payoff_sum)):
        raise InputError(f"summary payoff {report.total_payoff:+.6f} is not the "
                         f"sum of the rows ({payoff_sum:+.1f})")
    weighted_sum = sum(r.weighted for r in rows)
    if abs(report.weighted_payoff - weighted_sum) > (
            DECIMAL_HALF_STEP * (len(rows) + 1)
            + _slack(report.weighted_payoff, weighted_sum)):
        raise InputError(f"summary weighted payoff {report.weighted_payoff:+.6f} "
                         f"is not the sum of the rows ({weighted_sum:+.6f})")


def parse_report(text):
    """Find the payoff report in a run's output and return it as a Report.

    Anything before the report's title line (banner, self-test and progress
    lines) is skipped, as is anything after the last summary line. Raises
    InputError with a one-line message when the report is missing,
    truncated, garbled or inconsistent.
    """
    if not text.strip():
        raise InputError("input is empty")
    lines = [line[:-1] if line.endswith("\r") else line for line in text.split("\n")]
    if lines[-1] == "":
        lines.pop()  # the line end of the last line

    try:
        title = next(i for i, line in enumerate(lines) if line.rstrip() == TITLE_LINE)
    except StopIteration:
        raise InputError(f"no payoff table found (no line {TITLE_LINE!r})") from None

    def expect(index, wanted, what):
        if index >= len(lines):
            raise InputError(f"report is truncated: input ends where {what} "
                             f"was expected (line {index + 1})")
        if lines[index] != wanted:
            raise InputError(f"line {index + 1}: expected {what}, found "
                             f"{shown(lines[index])}")

    expect(title + 1, "", "the empty line after the title")
    expect(title + 2, HEADING_LINE, "the column heading")

    report = Report()
    index = title + 3
    while index < len(lines) and lines[index] != "":
        row = _parse_row(lines[index], index + 1)
        if report.rows and row.count <= report.rows[-1].count:
            raise InputError(f"line {index + 1}: count {row.count} does not follow "
                             f"count {report.rows[-1].count} in ascending order")
        report.rows.append(row)
        index += 1
    if index >= len(lines):
        raise InputError(f"report is truncated: input ends after {len(report.rows)} "
                         "payoff rows, before the summary lines")

    numbers = []
    for offset, (form, pattern) in enumerate(_SUMMARIES):
        number = index + 2 + offset
        if number > len(lines):
            raise InputError(f"report is truncated: summary line {form!r} is missing")
        match = pattern.match(lines[number - 1])
        if not match:
            raise InputError(f"line {number}: expected summary line {form!r}, "
                             f"found {shown(lines[number - 1])}")
        numbers.extend(match.groups())
    keys = ("total_payoff", "average", "weighted_payoff", "bet_step", "weighted_average")
    for key, value in zip(keys, numbers):
        setattr(report, key, float(value))
        report.texts[key] = value
    _check_weighted(report)
    _check_totals(report)
    return report


def _draw_points(ax, rows, min_rounds, assumed_sd):
    """Plot expected payoffs; return the legend handles."""
    if assumed_sd is None:
        what = "expected payoff per round (no error bars: the report holds no per-round spread)"
    else:
        what = (f"expected payoff per round; bars APPROXIMATE: ±1 s.e. from an assumed "
                f"SD of {assumed_sd:g} per round, not from the data")
    groups = (
        ([r for r in rows if r.rounds >= max(min_rounds, FEW_ROUNDS)], "#1f4e9a", what),
        ([r for r in rows if min_rounds <= r.rounds < FEW_ROUNDS], "none",
         f"hollow: fewer than {FEW_ROUNDS} rounds at the count, little data"),
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


def report_figure(report, assumed_sd=None, min_rounds=1):
    """Draw the report; return the matplotlib Figure."""
    from matplotlib.figure import Figure
    from matplotlib.ticker import MaxNLocator

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
    return fig
