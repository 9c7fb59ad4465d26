"""The stakes a study chart overlays with --ramp: each study's own ramp, as
its file gives it, and each ramp that truecount-lab's ramp command found, as
its saved output names it on its first line."""

import os
import re
from dataclasses import dataclass

from chart_common import InputError

# The ramp command's first line: the ramp as the option run takes.
_FOUND_LINE = re.compile(r"--ramp (-?\d+:\d+(?:,-?\d+:\d+)*)")


@dataclass
class Ramp:
    text: str
    stakes: dict  # stake per count where it changes, or at every count


def read_found_ramp(name, text):
    """The ramp on the first line of `truecount-lab ramp`'s saved output."""
    match = _FOUND_LINE.fullmatch(text.split("\n", 1)[0].rstrip("\r"))
    if not match:
        raise InputError(f"{name}: not the output of truecount-lab ramp, whose first line "
                         "is --ramp COUNT:STAKE,...")
    steps = (step.split(":") for step in match[1].split(","))
    return Ramp(match[1], {int(count): int(stake) for count, stake in steps})


def _step_values(stakes, xs):
    """A ramp's stake at each x: that of the count at or below it with a stake
    of its own, the lowest count's below them all."""
    counts = sorted(stakes)
    values = []
    for x in xs:
        below = [c for c in counts if c <= x]
        values.append(stakes[below[-1] if below else counts[0]])
    return values


def draw_ramps(ax, studies, found, xs):
    """Draw on `ax` each distinct ramp the studies hold (dashed) and each
    (file name, Ramp) of `found` (dotted); return the legend handles."""
    own = {}
    for i, st in enumerate(studies):
        if st.ramp:
            own.setdefault(st.ramp.text, (i, st.ramp))
    if not own and not found:
        raise InputError("--ramp: none of the studies holds a ramp; play one with "
                         "truecount-lab run --ramp, or give --ramp-file")
    lines = [(ramp, "--", 1.2, "dimgray" if len(own) == 1 else f"C{i % 10}",
              f"stake per count, ramp {ramp.text} (right axis)") for i, ramp in own.values()]
    lines += [(ramp, ":", 1.6, f"C{(len(studies) + j) % 10}",
               f"stake per count found by truecount-lab ramp ({os.path.basename(name)}), "
               f"ramp {ramp.text} (right axis)") for j, (name, ramp) in enumerate(found)]
    handles = []
    for ramp, style, width, color, label in lines:
        handles += ax.step(xs, _step_values(ramp.stakes, xs), where="mid", linestyle=style,
                           linewidth=width, color=color, label=label)
    ax.set_ylim(0, 1.1 * max(max(ramp.stakes.values()) for ramp, *_ in lines))
    ax.set_ylabel("Stake (units)")
    return handles
