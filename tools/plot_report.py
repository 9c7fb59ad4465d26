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
It also draws the JSON results of truecount-lab studies, which hold what a
report lacks: the spread of each count's mean, so the points carry 95%
confidence intervals. Neither program is changed or run by it.
"""

import argparse
import json
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


class InputError(Exception):
    """Input the tool refuses: not a well-formed report or study, studies that
    cannot share a chart, or an output that cannot be written."""


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
        raise InputError(f"line {number}: garbled payoff row {_shown(line)}")
    row = Row(int(match["count"]), float(match["payoff"]), int(match["rounds"]),
              float(match["expected"]), float(match["weighted"]))
    if not MIN_COUNT <= row.count <= MAX_COUNT:
        raise InputError(f"line {number}: true count {row.count} is outside "
                          f"{MIN_COUNT}..{MAX_COUNT}")
    if row.rounds < 1:
        raise InputError(f"line {number}: a row with a payoff but no rounds")
    # Expected = payoff / rounds, and weighted = payoff times the bet at the
    # count (2 units per count point above zero, 1 unit otherwise); both up
    # to the rounding of the printed columns.
    if abs(row.expected * row.rounds - row.payoff) > (
            PAYOFF_HALF_STEP + DECIMAL_HALF_STEP * row.rounds
            + _slack(row.payoff, row.expected * row.rounds)):
        raise InputError(f"line {number}: expected payoff {row.expected:+.6f} "
                          f"is not payoff/frequency {row.payoff:+.1f}/{row.rounds}")
    weight = 2 * row.count if row.count > 0 else 1
    if abs(row.weighted - weight * row.payoff) > (
            weight * PAYOFF_HALF_STEP + DECIMAL_HALF_STEP
            + _slack(row.weighted, weight * row.payoff)):
        raise InputError(f"line {number}: weighted payoff {row.weighted:+.6f} "
                          f"does not match payoff {row.payoff:+.1f} at count {row.count}")
    return row


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
                              f"{_shown(lines[index])}")

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


# ---------------------------------------------------------------- studies

STUDY_FORMAT = "truecount-lab study"
STUDY_VERSION = 1
FEW_ROUNDS = 1000  # counts with fewer rounds are drawn hollow (see --help)
FEW_ROUNDS_NOTE = (f"hollow: fewer than {FEW_ROUNDS} rounds at the count, interval "
                   "unreliable (no bar: a single round)")
# The settings that name a series; others are added only to tell series apart.
LABEL_KEYS = ("strategy", "dealer", "decks", "reshuffle_after")


@dataclass
class Point:
    count: int
    rounds: int
    share: float
    mean: float
    low: object   # the 95% interval's ends, None when the study gives none
    high: object


@dataclass
class Study:
    name: str
    config: dict
    points: list
    ramp: object  # [(count, stake), ...] in ascending count, or None
    naive_se: bool
    complete: bool
    blocks: str  # "played of total"


def _number(value, where, null=False):
    if value is None and null:
        return None
    if isinstance(value, bool) or not isinstance(value, (int, float)) \
            or not math.isfinite(value):
        raise InputError(f"{where} is not a number: {value!r}")
    return value


def _integer(value, where, least=None):
    if isinstance(value, bool) or not isinstance(value, int) or (
            least is not None and value < least):
        raise InputError(f"{where} is not an integer"
                         f"{'' if least is None else f' of at least {least}'}: {value!r}")
    return value


def _member(mapping, key, kind, where):
    value = mapping.get(key) if isinstance(mapping, dict) else None
    if not isinstance(value, kind):
        raise InputError(f"{where}{key} is missing or not a JSON "
                         f"{'object' if kind is dict else 'list'}")
    return value


def _point(entry, where):
    if not isinstance(entry, dict):
        raise InputError(f"{where} is not a JSON object")
    point = Point(_integer(entry.get("count"), where + ".count"),
                  _integer(entry.get("rounds"), where + ".rounds", 1),
                  _number(entry.get("share"), where + ".share"),
                  _number(entry.get("mean"), where + ".mean"), None, None)
    interval = entry.get("ci95")
    if interval is not None:
        if not isinstance(interval, list) or len(interval) != 2:
            raise InputError(f"{where}.ci95 is not a pair of numbers")
        low, high = (_number(end, where + ".ci95", null=True) for end in interval)
        if low is not None and high is not None:
            if not low <= point.mean <= high:
                raise InputError(f"{where}.ci95 [{low}, {high}] does not hold "
                                 f"the mean {point.mean}")
            point.low, point.high = low, high
    return point


def _ramp(ramp):
    if ramp is None:
        return None
    steps = []
    for i, step in enumerate(_member(ramp, "stakes", list, "figures.ramp.")):
        where = f"figures.ramp.stakes[{i}]"
        if not isinstance(step, dict):
            raise InputError(f"{where} is not a JSON object")
        steps.append((_integer(step.get("count"), where + ".count"),
                      _number(step.get("stake"), where + ".stake")))
    if not steps or any(a[0] >= b[0] for a, b in zip(steps, steps[1:])):
        raise InputError("figures.ramp.stakes is empty or not in ascending count")
    return steps


def parse_study(data, name):
    """Check a decoded study result and return it as a Study."""
    if not isinstance(data, dict) or data.get("format") != STUDY_FORMAT:
        raise InputError(f"{name}: JSON but not a truecount-lab study "
                         f"(no \"format\": \"{STUDY_FORMAT}\")")
    try:
        if data.get("version") != STUDY_VERSION:
            raise InputError(f"study format version {data.get('version')!r}; "
                             f"this tool reads version {STUDY_VERSION}")
        config = _member(data, "config", dict, "")
        figures = _member(data, "figures", dict, "")
        entries = _member(figures, "counts", list, "figures.")
        if not entries:
            raise InputError("figures.counts is empty: the study holds no rounds")
        points = [_point(e, f"figures.counts[{i}]") for i, e in enumerate(entries)]
        for before, after in zip(points, points[1:]):
            if after.count <= before.count:
                raise InputError(f"figures.counts: count {after.count} does not "
                                 f"follow count {before.count} in ascending order")
        blocks = data.get("blocks") if isinstance(data.get("blocks"), dict) else {}
        return Study(name, config, points, _ramp(figures.get("ramp")),
                     figures.get("se_method") == "naive",
                     data.get("complete") is not False,
                     f"{blocks.get('played', '?')} of {blocks.get('total', '?')}")
    except InputError as err:
        raise InputError(f"{name}: {err}") from None


def _describe(key, value):
    """One setting as a series label shows it."""
    if key == "strategy":
        return f"{value} strategy"
    if key == "dealer":
        return str(value).upper()
    if key == "decks":
        return f"{value} deck{'' if value == 1 else 's'}"
    if key == "reshuffle_after":
        return f"reshuffle at {value} cards"
    return f"{key} {'none' if value is None else value}"


def _names_from_settings(studies):
    parts = [[_describe(k, st.config[k]) for k in LABEL_KEYS if k in st.config]
             for st in studies]
    if len({tuple(p) for p in parts}) < len(parts):
        for key in sorted({k for st in studies for k in st.config} - set(LABEL_KEYS)):
            if len({json.dumps(st.config.get(key)) for st in studies}) > 1:
                for part, st in zip(parts, studies):
                    part.append(_describe(key, st.config.get(key)))
    names = [", ".join(p) or os.path.basename(st.name) for p, st in zip(parts, studies)]
    for i, name in enumerate(names):
        first = names.index(name)
        if first != i:
            raise InputError(f"{studies[first].name} and {studies[i].name} hold studies "
                             "of the same settings; merge them with truecount-lab "
                             "merge, or name each with --label")
    return names


def study_labels(studies, labels=None):
    """Name each study's series: by `labels` as given, else from its settings,
    with the settings that differ added when the usual four do not tell the
    studies apart; a partial or one-block study says so either way."""
    if labels:
        if len(labels) != len(studies):
            raise InputError(f"--label given {len(labels)} times for {len(studies)} "
                             "studies; give it once per study or not at all")
        names = list(labels)
    else:
        names = _names_from_settings(studies)
    # What the reader must know of a series, whoever named it.
    return [name + ("" if st.complete else f" (partial: {st.blocks} blocks)")
            + (" (naive s.e.: one block)" if st.naive_se else "")
            for name, st in zip(names, studies)]


def stake_at(steps, count):
    """A ramp's stake at a count: that of the last step at or below the count,
    or the first step's below them all."""
    stake = steps[0][1]
    for start, value in steps:
        if start <= count:
            stake = value
    return stake


def _well_sampled(point):
    return point.rounds >= FEW_ROUNDS and point.low is not None


def study_figure(studies, labels=None, ramp=False, min_rounds=1):
    """Draw the studies; return the matplotlib Figure.

    Its first Axes holds, per study, error bars of the 95% intervals (labelled
    with the series' name), a scatter of the means, hollow where few rounds,
    and a line through the well-sampled means; the second the share of rounds
    per count as bars; a third, with `ramp`, the stakes as step lines."""
    from matplotlib.figure import Figure
    from matplotlib.lines import Line2D
    from matplotlib.ticker import MaxNLocator, PercentFormatter

    names = study_labels(studies, labels)
    if not set.intersection(*({p.count for p in st.points} for st in studies)):
        raise InputError("the studies share no true count: nothing to compare")
    if ramp and not any(st.ramp for st in studies):
        raise InputError("--ramp: none of the studies holds a ramp")

    fig = Figure(figsize=(12, 8), dpi=110, layout="constrained")
    ax, share_ax = fig.subplots(2, 1, sharex=True, height_ratios=[3, 1])

    def note(text):
        return Line2D([], [], linestyle="", label=text)

    handles, drawn = [], []
    width = 0.8 / len(studies)
    for i, (study, name) in enumerate(zip(studies, names)):
        color = f"C{i % 10}"
        points = [p for p in study.points if p.rounds >= min_rounds]
        drawn += points
        x = [p.count for p in points]
        y = [p.mean for p in points]
        # NaN leaves out the bar of a count without an interval.
        below = [math.nan if p.low is None else p.mean - p.low for p in points]
        above = [math.nan if p.high is None else p.high - p.mean for p in points]
        ax.errorbar(x, y, yerr=[below, above], fmt="none", ecolor=color,
                    elinewidth=1, capsize=2, label=name)
        ax.scatter(x, y, s=24, zorder=3, edgecolors=color, linewidths=1,
                   facecolors=[color if _well_sampled(p) else "none" for p in points])
        # A line through the well-sampled points only, to follow the series
        # without zigzagging through the noise of the sparse counts.
        sure = [p for p in points if _well_sampled(p)]
        ax.plot([p.count for p in sure], [p.mean for p in sure], color=color,
                linewidth=0.8)
        handles.append(Line2D([], [], color=color, linewidth=0.8, marker="o",
                              markersize=5, label=name))
        offset = (i - (len(studies) - 1) / 2) * width
        share_ax.bar([p.count + offset for p in study.points],
                     [100 * p.share for p in study.points], width=width,
                     color=color, label=name)

    if any(not _well_sampled(p) for p in drawn):
        handles.append(Line2D([], [], linestyle="", marker="o", color="gray",
                              markerfacecolor="none", label=FEW_ROUNDS_NOTE))
    left_out = sum(len(st.points) for st in studies) - len(drawn)
    if left_out:
        handles.append(note(f"{left_out} points of counts with fewer than {min_rounds} "
                            "rounds left out (their shares stay)"))
    sure = [p for p in drawn if _well_sampled(p)]
    if sure:
        # Fit the y axis to the well-sampled counts: a few rounds' wide
        # intervals would otherwise squash the rest flat.
        low = min(0.0, min(p.low for p in sure))
        high = max(0.0, max(p.high for p in sure))
        pad = 0.08 * (high - low) or 0.01
        ax.set_ylim(low - pad, high + pad)
        outside = sum(1 for p in drawn if not low - pad <= p.mean <= high + pad)
        if outside:
            handles.append(note(f"{outside} hollow points lie beyond the y range, "
                                "which fits the well-sampled counts"))

    if ramp:
        ramp_ax = ax.twinx()
        # Points in front of the stakes.
        ax.set_zorder(ramp_ax.get_zorder() + 1)
        ax.patch.set_visible(False)
        every = [p.count for st in studies for p in st.points]
        xs = list(range(min(every), max(every) + 1))
        ramps = {}
        for i, st in enumerate(studies):
            if st.ramp:
                ramps.setdefault(tuple(st.ramp), i)
        for steps, i in ramps.items():
            text = studies[i].config.get("ramp") or names[i]
            handles += ramp_ax.step(
                xs, [stake_at(steps, c) for c in xs], where="mid", linestyle="--",
                linewidth=1.2, color="dimgray" if len(ramps) == 1 else f"C{i % 10}",
                label=f"stake per count, ramp {text} (right axis)")
        ramp_ax.set_ylim(0, 1.1 * max(stake for steps in ramps for _, stake in steps))
        ramp_ax.set_ylabel("Stake (units)")

    handles.append(ax.axhline(0.0, color="#b03030", linewidth=1, linestyle="--",
                              label="break-even (zero payoff)"))
    ax.grid(True, axis="y", color="#e0e0e0", linewidth=0.6)
    ax.set_ylabel("Mean payoff per round (units of stake)")
    ax.set_title("Mean payoff per round by true count; bars: 95% confidence intervals",
                 fontsize=11)
    share_ax.xaxis.set_major_locator(MaxNLocator(integer=True))
    share_ax.yaxis.set_major_formatter(PercentFormatter(100))
    share_ax.grid(True, axis="y", color="#e0e0e0", linewidth=0.6)
    share_ax.set_xlabel("True count at the round's start")
    share_ax.set_ylabel("Share of rounds")
    share_ax.legend(handles=handles, loc="upper center", bbox_to_anchor=(0.5, -0.35),
                    ncol=2, fontsize=9, frameon=False)
    return fig


def save(fig, output):
    """Write the figure to `output`, PNG or SVG by its extension."""
    import matplotlib
    matplotlib.use("Agg")
    fmt = IMAGE_FORMATS[os.path.splitext(output)[1].lower()]
    _write_atomically(output, lambda stream: fig.savefig(stream, format=fmt))


def _write_atomically(output, write):
    """Write through a temporary file beside `output`, renamed on success."""
    directory = os.path.dirname(os.path.abspath(output))
    try:
        handle, temp = tempfile.mkstemp(dir=directory, prefix=".plot_report-",
                                        suffix=os.path.splitext(output)[1])
    except OSError as err:
        raise InputError(f"cannot write {output}: {err.strerror}") from None
    try:
        with os.fdopen(handle, "wb") as stream:
            write(stream)
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(temp, 0o666 & ~umask)
        os.replace(temp, output)
    except OSError as err:
        os.unlink(temp)
        raise InputError(f"cannot write {output}: {err.strerror}") from None
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


def _read(name):
    try:
        if name == "-":
            return sys.stdin.buffer.read()
        with open(name, "rb") as stream:
            return stream.read()
    except OSError as err:
        raise InputError(f"cannot read {name}: {err.strerror}") from None


def load(name, data):
    """Return the input as a Report or a Study, told apart by its content:
    a study is a JSON object, a report is plain text."""
    text = data.decode("utf-8", errors="replace")
    shown = "standard input" if name == "-" else name
    try:
        decoded = json.loads(text)
    except ValueError as err:
        if text.lstrip().startswith(("{", "[")):
            raise InputError(f"{shown}: malformed JSON: {err}") from None
        try:
            return parse_report(text)
        except InputError as err:
            # A piped report has no file name to give.
            raise InputError(err if name == "-" else f"{name}: {err}") from None
    return parse_study(decoded, shown)


def main(argv=None):
    parser = argparse.ArgumentParser(
        prog="plot_report.py",
        description="Draw one chart, to OUTPUT, of either one truecount report or "
                    "one or more truecount-lab studies. "
                    "REPORT: the standard output of a truecount run (banner and "
                    "progress lines may come first), from FILE or standard input: "
                    "the expected payoff per round at each printed true count as "
                    "points, the rounds per count as bars on a second (log) axis, a "
                    "line at zero, and the flat-bet and weighted results in the "
                    "title. Counts with fewer than 100 rounds are drawn hollow. The "
                    "points have no error bars, since the report holds no per-round "
                    "spread, unless --assumed-sd is given. "
                    "STUDIES: the JSON files of 'truecount-lab run/merge --json', "
                    "one series each, labelled by strategy, dealer rule, decks and "
                    "reshuffle point (and any other setting that differs, when those "
                    "four are alike) or by --label: the mean payoff per round at "
                    "each true count with its 95% confidence interval as an error "
                    f"bar, hollow where the count has fewer than {FEW_ROUNDS} rounds; "
                    "the y axis fits the counts with at least that many; below, on "
                    "the same count axis, the share of rounds at each count.",
        epilog="Refused, with a one-line error on standard error, exit status 2 and "
               "no output file: an input that is neither a well-formed report "
               "(empty, no payoff table, truncated or garbled) nor a study "
               "(malformed JSON, another format or version, missing figures); a "
               "report together with studies, or more than one report; studies "
               "that share no true count, or two of the same settings without "
               "--label (merge those); --ramp when no study holds a ramp; an "
               "unwritable OUTPUT. Examples: "
               "./build/truecount | tools/plot_report.py -o payoff.png ; "
               "tools/plot_report.py a.json b.json -o chart.png")
    parser.add_argument("inputs", nargs="*", metavar="FILE",
                        help="a file with a truecount run's output, or study JSON "
                             "files; '-' or none for standard input")
    parser.add_argument("-o", "--output", required=True, metavar="OUTPUT",
                        help="image to write; the format follows the extension: "
                             ".png or .svg")
    parser.add_argument("--label", action="append", metavar="TEXT",
                        help="studies: the series name of each study, given once "
                             "per FILE in their order")
    parser.add_argument("--ramp", action="store_true",
                        help="studies: overlay each ramp that a study holds, its "
                             "stake per count as a step line on a second y axis "
                             "(studies without a ramp get none)")
    parser.add_argument("--assumed-sd", type=_positive, metavar="SD",
                        help="report: draw APPROXIMATE error bars of ±1 standard "
                             "error, SD/sqrt(rounds), from this assumed standard "
                             "deviation of one round's payoff (about 1.1 to 1.2 "
                             "for blackjack); labelled as such on the chart")
    parser.add_argument("--min-rounds", type=_positive_int, default=1, metavar="N",
                        help="leave out the points of counts with fewer than N "
                             "rounds (their bars or shares stay), so that the y "
                             "axis shows the well-sampled counts; default 1, all "
                             "points")
    args = parser.parse_args(argv)

    try:
        if os.path.splitext(args.output)[1].lower() not in IMAGE_FORMATS:
            raise InputError(f"output {args.output!r} must end in .png or .svg")
        names = args.inputs or ["-"]
        if names.count("-") > 1:
            raise InputError("standard input ('-') can be read only once")
        loaded = [load(name, _read(name)) for name in names]
        studies = [item for item in loaded if isinstance(item, Study)]
        if not studies:
            if len(loaded) > 1:
                raise InputError("one truecount report per chart; several inputs "
                                 "must all be studies")
            if args.label or args.ramp:
                raise InputError("--label and --ramp are for studies; a truecount "
                                 "report has one series and no ramp")
            fig = report_figure(loaded[0], args.assumed_sd, args.min_rounds)
        else:
            if len(studies) < len(loaded):
                raise InputError("a truecount report and studies cannot share a chart")
            if args.assumed_sd is not None:
                raise InputError("--assumed-sd is for a truecount report; a study's "
                                 "error bars come from its own data")
            fig = study_figure(studies, args.label, args.ramp, args.min_rounds)
        save(fig, args.output)
    except InputError as err:
        print(f"plot_report.py: error: {err}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
