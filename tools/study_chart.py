"""The chart of truecount-lab studies: each study file's figures, one series
per file, with the 95% confidence interval of every count's mean.

The tool knows the study file's layout, not the lab's settings: a series is
named by the labels the file gives, its stakes per count are the file's own."""

import math
import os
from dataclasses import dataclass

from chart_common import FEW_ROUNDS, InputError
from ramp_overlay import Ramp, draw_ramps

STUDY_FORMAT = "truecount-lab study"
COMPARISON_FORMAT = "truecount-lab comparison"
# Versions 2 and 3 lay a study out alike (3 marks the exact basic strategy and
# the corrected Fab 4).
STUDY_VERSIONS = (2, 3)
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
class Study:
    name: str
    labels: list
    points: list
    ramp: object  # a Ramp, or None
    naive_se: bool
    complete: bool
    blocks: str  # "played of total"


@dataclass
class Comparison:
    """A study and its variant, played over the same blocks, and the
    difference (variant - study) per count as Points."""
    study: Study
    variant: Study
    difference: list


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


def _points(entries, where):
    """The points of a list of figures by count, in ascending order."""
    points = [_point(e, f"{where}[{i}]") for i, e in enumerate(entries)]
    for before, after in zip(points, points[1:]):
        if after.count <= before.count:
            raise InputError(f"{where}: count {after.count} does not "
                             f"follow count {before.count} in ascending order")
    return points


def _side(data, name, key, where):
    """One study of a file: its labels (at `key`) and figures, which a
    comparison keeps under `where` ("study", "variant")."""
    labels = [_label(e, f"{key}[{i}]") for i, e in enumerate(_member(data, key, list, ""))]
    figures = _member(data, "figures", dict, "")
    at = "figures."
    if where:
        figures = _member(figures, where, dict, at)
        at += where + "."
    entries = _member(figures, "counts", list, at)
    if not entries:
        raise InputError(f"{at}counts is empty: the study holds no rounds")
    blocks = _member(data, "blocks", dict, "")
    return Study(name, labels, _points(entries, at + "counts"), _ramp(figures.get("ramp")),
                 figures.get("se_method") == "naive", data.get("complete") is not False,
                 f"{blocks.get('played', '?')} of {blocks.get('total', '?')}")


def parse_study(data, name):
    """Check a decoded study file and return it as a Study, or a comparison
    file as a Comparison."""
    kinds = (STUDY_FORMAT, COMPARISON_FORMAT)
    if not isinstance(data, dict) or data.get("format") not in kinds:
        raise InputError(f"{name}: JSON but not a truecount-lab study "
                         f"(no \"format\": \"{STUDY_FORMAT}\" or \"{COMPARISON_FORMAT}\")")
    try:
        if data.get("version") not in STUDY_VERSIONS:
            raise InputError(f"study format version {data.get('version')!r}; this tool "
                             "reads versions 2 and 3 (truecount-lab merge FILE "
                             "--json NEW writes an older study anew)")
        if data["format"] == STUDY_FORMAT:
            return _side(data, name, "labels", None)
        difference = _member(_member(data, "figures", dict, ""), "difference", dict, "figures.")
        # A difference is drawn as a point of the fewer rounds of its two sides.
        entries = [dict(d, rounds=min(d.get("study_rounds", 0), d.get("variant_rounds", 0)),
                        share=0.0) if isinstance(d, dict) else d
                   for d in _member(difference, "counts", list, "figures.difference.")]
        return Comparison(_side(data, name, "labels", "study"),
                          _side(data, name, "variant_labels", "variant"),
                          _points(entries, "figures.difference.counts"))
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


def _draw_series(ax, points, color, label):
    """Error bars of the points' 95% intervals, a scatter of their means,
    hollow where few rounds, and a line through the well-sampled means."""
    x = [p.count for p in points]
    y = [p.mean for p in points]
    # NaN leaves out the bar of a count without an interval.
    below = [math.nan if p.low is None else p.mean - p.low for p in points]
    above = [math.nan if p.high is None else p.high - p.mean for p in points]
    ax.errorbar(x, y, yerr=[below, above], fmt="none", ecolor=color,
                elinewidth=1, capsize=2, label=label)
    ax.scatter(x, y, s=24, zorder=3, edgecolors=color, linewidths=1,
               facecolors=[color if _well_sampled(p) else "none" for p in points])
    # A line through the well-sampled points only, to follow the series
    # without zigzagging through the noise of the sparse counts.
    sure = [p for p in points if _well_sampled(p)]
    ax.plot([p.count for p in sure], [p.mean for p in sure], color=color, linewidth=0.8)


def _fit_y(ax, points):
    """Fit the y axis to the well-sampled points (a few rounds' wide intervals
    would otherwise squash the rest flat); return how many points lie beyond."""
    sure = [p for p in points if _well_sampled(p)]
    if not sure:
        return 0
    low = min(0.0, min(p.low for p in sure))
    high = max(0.0, max(p.high for p in sure))
    pad = 0.08 * (high - low) or 0.01
    ax.set_ylim(low - pad, high + pad)
    return sum(1 for p in points if not low - pad <= p.mean <= high + pad)


def study_figure(studies, labels=None, ramp=False, min_rounds=1, difference=None, found=()):
    """Draw the studies; return the matplotlib Figure.

    Its first Axes holds, per study, error bars of the 95% intervals (labelled
    with the series' name), a scatter of the means, hollow where few rounds,
    and a line through the well-sampled means; for a comparison (`difference`,
    the Points of variant - study) the next Axes the difference the same way;
    then the share of rounds per count as bars; last, with `ramp`, the stakes
    of the studies' ramps and of the (file name, Ramp) pairs `found` as step
    lines (ramp_overlay.draw_ramps)."""
    from matplotlib.figure import Figure
    from matplotlib.lines import Line2D
    from matplotlib.ticker import MaxNLocator, PercentFormatter

    names = study_labels(studies, labels)
    if not set.intersection(*({p.count for p in st.points} for st in studies)):
        raise InputError("the studies share no true count: nothing to compare")

    fig = Figure(figsize=(12, 10 if difference is not None else 8), dpi=110,
                 layout="constrained")
    if difference is not None:
        ax, difference_ax, share_ax = fig.subplots(3, 1, sharex=True, height_ratios=[3, 2, 1])
    else:
        ax, share_ax = fig.subplots(2, 1, sharex=True, height_ratios=[3, 1])

    def note(text):
        return Line2D([], [], linestyle="", label=text)

    handles, drawn = [], []
    width = 0.8 / len(studies)
    for i, (study, name) in enumerate(zip(studies, names)):
        color = f"C{i % 10}"
        points = [p for p in study.points if p.rounds >= min_rounds]
        drawn += points
        _draw_series(ax, points, color, name)
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
    outside = _fit_y(ax, drawn)
    if outside:
        handles.append(note(f"{outside} hollow points lie beyond the y range, "
                            "which fits the well-sampled counts"))

    if difference is not None:
        points = [p for p in difference if p.rounds >= min_rounds]
        _draw_series(difference_ax, points, "black", "variant less study")
        _fit_y(difference_ax, points)
        difference_ax.axhline(0.0, color="#b03030", linewidth=1, linestyle="--")
        difference_ax.grid(True, axis="y", color="#e0e0e0", linewidth=0.6)
        difference_ax.set_ylabel("Difference per round")
        difference_ax.set_title("The variant (second series) less the study (first), dealt the "
                                "same shoes; bars: 95% intervals from the paired blocks",
                                fontsize=10)

    if ramp:
        ramp_ax = ax.twinx()
        # Points in front of the stakes.
        ax.set_zorder(ramp_ax.get_zorder() + 1)
        ax.patch.set_visible(False)
        every = [p.count for st in studies for p in st.points]
        handles += draw_ramps(ramp_ax, studies, found, list(range(min(every), max(every) + 1)))

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
    # Long series names take a column each rather than squeeze the axes.
    wide = max(len(h.get_label()) for h in handles) > 60
    share_ax.legend(handles=handles, loc="upper center", bbox_to_anchor=(0.5, -0.35),
                    ncol=1 if wide else 2, fontsize=9, frameon=False)
    return fig
