"""The trip chart: a truecount-lab trip file's bankroll hour by hour, the
middle half of the trips and nine in ten of them as bands about the median,
the starting bankroll as a line, the chance of ruin in the title."""

from chart_common import InputError

TRIP_FORMAT = "truecount-lab trip"
QUANTILES = ("p5", "p25", "p50", "p75", "p95")


class Trip:
    def __init__(self, name, plan, ruin, hours):
        self.name, self.plan, self.ruin, self.hours = name, plan, ruin, hours


def is_trip(data):
    return isinstance(data, dict) and data.get("format") == TRIP_FORMAT


def parse_trip(data, name):
    """Check a decoded trip file and return it as a Trip."""
    try:
        if data.get("version") != 1:
            raise InputError(f"trip format version {data.get('version')!r}; this tool reads "
                             "version 1")
        plan, ruin, hours = data["plan"], data["ruin"], data["hours"]
        rows = [[float(hour["hour"])] + [float(hour[q]) for q in QUANTILES] for hour in hours]
        if not rows:
            raise InputError("no whole hour to draw (trips of --hours 1 or more have one)")
        return Trip(name, plan, float(ruin["share"]), rows)
    except (KeyError, TypeError, ValueError) as err:
        raise InputError(f"{name}: not a complete trip file ({err!r} missing or not a number)"
                         ) from None
    except InputError as err:
        raise InputError(f"{name}: {err}") from None


def trip_figure(trip):
    import matplotlib
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt
    hours = [0.0] + [row[0] for row in trip.hours]
    start = float(trip.plan["bankroll"])
    band = [[start] + [row[i] for row in trip.hours] for i in range(1, 6)]
    fig, ax = plt.subplots(figsize=(9, 5))
    ax.fill_between(hours, band[0], band[4], alpha=0.2, label="5% to 95% of trips")
    ax.fill_between(hours, band[1], band[3], alpha=0.35, label="25% to 75%")
    ax.plot(hours, band[2], label="median")
    ax.axhline(start, color="grey", linewidth=0.8, linestyle="--", label="starting bankroll")
    ax.axhline(0, color="black", linewidth=0.8)
    ax.set_xlabel("hours")
    ax.set_ylabel("bankroll (units)")
    ax.set_title(f"{trip.plan['played']} trips of {trip.plan['hours']:g} hours from "
                 f"{start:g} units: ruined {100 * trip.ruin:.2f}%")
    ax.legend()
    fig.tight_layout()
    return fig
