"""The stakes a study chart overlays with --ramp: each study's own ramp, as
its file gives it, and the ramp that makes a bankroll grow fastest on the
study's counts, found from the file's exact tallies by the rule of
truecount-lab's ramp command."""

import math
from dataclasses import dataclass
from fractions import Fraction

from chart_common import InputError

# The bankroll SCORE is defined at, the growth-optimal ramps' default.
SCORE_BANKROLL = 10000


@dataclass
class Sizing:
    spread: object  # (least, most) stake, or None for each study's own ramp's
    bankroll: float = SCORE_BANKROLL
    fraction: float = 1.0  # of the Kelly stake


def kelly_stakes(study, least, most, sizing, min_rounds):
    """The stake at each count with at least `min_rounds` rounds: the fraction
    of the Kelly stake, bankroll x mean / second moment of a round's payoff,
    which the tallies give exactly as units x sum / sum of squares, rounded to
    whole units (halves up) within least..most; least where the mean is not
    positive."""
    stakes = {}
    for count, (rounds, total, squares) in sorted(study.tallies.items()):
        if rounds < min_rounds:
            continue
        stake = least
        if total > 0:
            kelly = sizing.fraction * sizing.bankroll * float(
                Fraction(study.units * total, squares))
            stake = most if kelly >= most else max(
                least, math.floor(Fraction(kelly) + Fraction(1, 2)))
        stakes[count] = stake
    return stakes


def _step_values(stakes, xs):
    """A ramp's stake at each x: that of the count at or below it with a stake
    of its own, the lowest count's below them all."""
    counts = sorted(stakes)
    values = []
    for x in xs:
        below = [c for c in counts if c <= x]
        values.append(stakes[below[-1] if below else counts[0]])
    return values


def _ordinal(i):
    return ("first", "second", "third")[i] if i < 3 else f"{i + 1}th"


def draw_ramps(ax, studies, xs, sizing, min_rounds):
    """Draw on `ax` each distinct ramp the studies hold and each study's
    growth-optimal ramp; return the legend handles."""
    if sizing.spread is None and not any(st.ramp for st in studies):
        raise InputError("--ramp: none of the studies holds a ramp; give --spread for "
                         "their growth-optimal ramps")
    handles, highest = [], 0
    ramps = {}
    for i, st in enumerate(studies):
        if st.ramp:
            ramps.setdefault(st.ramp.text, i)
    for text, i in ramps.items():
        stakes = studies[i].ramp.stakes
        highest = max(highest, max(stakes.values()))
        handles += ax.step(
            xs, [stakes.get(c, math.nan) for c in xs], where="mid", linestyle="--",
            linewidth=1.2, color="dimgray" if len(ramps) == 1 else f"C{i % 10}",
            label=f"stake per count, ramp {text} (right axis)")
    for i, st in enumerate(studies):
        spread = sizing.spread or (
            (min(st.ramp.stakes.values()), max(st.ramp.stakes.values())) if st.ramp else None)
        stakes = kelly_stakes(st, *spread, sizing, min_rounds) if spread else {}
        if not stakes:
            continue
        highest = max(highest, max(stakes.values()))
        handles += ax.step(
            xs, _step_values(stakes, xs), where="mid", linestyle=":", linewidth=1.6,
            color=f"C{i % 10}",
            label=f"growth-optimal stakes of the {_ordinal(i)} series: {sizing.fraction:g} "
                  f"Kelly for {sizing.bankroll:g} units, {spread[0]} to {spread[1]} "
                  "(right axis)")
    ax.set_ylim(0, 1.1 * highest)
    ax.set_ylabel("Stake (units)")
    return handles
