"""The chart of truecount-lab studies: each study file's figures, one series
per file, with the 95% confidence interval of every count's mean.

The tool knows the study file's layout, not the lab's settings: a series is
named by the labels the file gives, its stakes per count are the file's own."""

import math
import os
from dataclasses import dataclass

from chart_common import FEW_ROUNDS, InputError

STUDY_FORMAT = "truecount-lab study"
STUDY_VERSION = 2
FEW_ROUNDS_NOTE = (f"hollow: fewer than {FEW_ROUNDS} rounds at the count, interval "
                   "unreliable (no bar: a single round)")


@dataclass
class Point:
    count: int
    rounds: int
    share: float
    mean: float
    low: object   # the 95% interval's ends, None when the study gives none
    high: object


@dataclass
class Label:
    setting: str
    text: str
    names_series: bool


@dataclass
class Ramp:
    text: str
    stakes: dict  # stake per count


@dataclass
class Study:
    name: str
    labels: list
    points: list
    ramp: object  # a Ramp, or None
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


def _text(value, where):
    if not isinstance(value, str):
        raise InputError(f"{where} is not text: {value!r}")
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
    if not isinstance(interval, list) or len(interval) != 2:
        raise InputError(f"{where}.ci95 is not a pair of numbers")
    low, high = (_number(end, where + ".ci95", null=True) for end in interval)
    if low is not None and high is not None:
        if not low <= point.mean <= high:
            raise InputError(f"{where}.ci95 [{low}, {high}] does not hold "
                             f"the mean {point.mean}")
        point.low, point.high = low, high
    return point


def _label(entry, where):
    if not isinstance(entry, dict) or not isinstance(entry.get("names_series"), bool):
        raise InputError(f"{where} is not a setting's label")
    return Label(_text(entry.get("setting"), where + ".setting"),
                 _text(entry.get("text"), where + ".text"), entry["names_series"])


def _ramp(ramp):
    if ramp is None:
        return None
    stakes = {}
    for i, step in enumerate(_member(ramp, "stakes", list, "figures.ramp.")):
        where = f"figures.ramp.stakes[{i}]"
        if not isinstance(step, dict):
            raise InputError(f"{where} is not a JSON object")
        stakes[_integer(step.get("count"), where + ".count")] = \
            _number(step.get("stake"), where + ".stake")
    if not stakes:
        raise InputError("figures.ramp.stakes is empty")
    return Ramp(_text(ramp.get("text"), "figures.ramp.text"), stakes)


def parse_study(data, name):
    """Check a decoded study file and return it as a Study."""
    if not isinstance(data, dict) or data.get("format") != STUDY_FORMAT:
        raise InputError(f"{name}: JSON but not a truecount-lab study "
                         f"(no \"format\": \"{STUDY_FORMAT}\")")
    try:
        if data.get("version") != STUDY_VERSION:
            raise InputError(f"study format version {data.get('version')!r}; this tool "
                             f"reads version {STUDY_VERSION} (truecount-lab merge FILE "
                             "--json NEW writes an older study anew)")
        labels = [_label(e, f"labels[{i}]")
                  for i, e in enumerate(_member(data, "labels", list, ""))]
        figures = _member(data, "figures", dict, "")
        entries = _member(figures, "counts", list, "figures.")
        if not entries:
            raise InputError("figures.counts is empty: the study holds no rounds")
        points = [_point(e, f"figures.counts[{i}]") for i, e in enumerate(entries)]
        for before, after in zip(points, points[1:]):
            if after.count <= before.count:
                raise InputError(f"figures.counts: count {after.count} does not "
                                 f"follow count {before.count} in ascending order")
        blocks = _member(data, "blocks", dict, "")
        return Study(name, labels, points, _ramp(figures.get("ramp")),
                     figures.get("se_method") == "naive",
                     data.get("complete") is not False,
                     f"{blocks.get('played', '?')} of {blocks.get('total', '?')}")
    except InputError as err:
        raise InputError(f"{name}: {err}") from None


def _names_from_labels(studies):
    """Each study named by its labels that name series, with the others that
    differ between studies added when those do not tell them apart."""
    parts = [[label.text for label in st.labels if label.names_series] for st in studies]
    if len({tuple(p) for p in parts}) < len(parts):
        settings = []
        for st in studies:
            settings += [label.setting for label in st.labels
                         if not label.names_series and label.setting not in settings]
        for setting in settings:
            texts = [next((label.text for label in st.labels if label.setting == setting), "")
                     for st in studies]
            if len(set(texts)) > 1:
                for part, text in zip(parts, texts):
                    part.append(text)
    names = [", ".join(p) or os.path.basename(st.name) for p, st in zip(parts, studies)]
    for i, name in enumerate(names):
        first = names.index(name)
        if first != i:
            raise InputError(f"{studies[first].name} and {studies[i].name} hold studies "
                             "of the same settings; merge them with truecount-lab "
                             "merge, or name each with --label")
    return names


def study_labels(studies, labels=None):
    """Name each study's series: by `labels` as given, else from its file's
    labels; a partial or one-block study says so either way."""
    if labels:
        if len(labels) != len(studies):
            raise InputError(f"--label given {len(labels)} times for {len(studies)} "
                             "studies; give it once per study or not at all")
        names = list(labels)
    else:
        names = _names_from_labels(studies)
    # What the reader must know of a series, whoever named it.
    return [name + ("" if st.complete else f" (partial: {st.blocks} blocks)")
            + (" (naive s.e.: one block)" if st.naive_se else "")
            for name, st in zip(names, studies)]


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
                ramps.setdefault(st.ramp.text, i)
        for text, i in ramps.items():
            stakes = studies[i].ramp.stakes
            handles += ramp_ax.step(
                xs, [stakes.get(c, math.nan) for c in xs], where="mid", linestyle="--",
                linewidth=1.2, color="dimgray" if len(ramps) == 1 else f"C{i % 10}",
                label=f"stake per count, ramp {text} (right axis)")
        ramp_ax.set_ylim(0, 1.1 * max(max(studies[i].ramp.stakes.values())
                                      for i in ramps.values()))
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
