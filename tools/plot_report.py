#!/usr/bin/python3
"""Draw one chart of either a truecount run's payoff report or truecount-lab
studies: the report chart (report_chart.py) reads a run's standard output,
the study chart (study_chart.py) the JSON files of truecount-lab. Neither
program is changed or run by it."""

import argparse
import json
import math
import os
import re
import sys

from chart_common import FEW_ROUNDS, IMAGE_FORMATS, InputError, save
from report_chart import parse_report, report_figure
from ramp_overlay import read_found_ramp
from study_chart import Comparison, Study, parse_study, study_figure
from trip_chart import Trip, is_trip, parse_trip, trip_figure


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
    """Return the input as a Report, a Study or a Comparison, told apart by
    its content: a study is a JSON object, a report is plain text."""
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
    return parse_trip(decoded, shown) if is_trip(decoded) else parse_study(decoded, shown)


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
                    "title. The points have no error bars, since the report holds no "
                    "per-round spread, unless --assumed-sd is given. "
                    "STUDIES: the JSON files of 'truecount-lab run/merge --json', "
                    "one series each, named by the settings each file's labels mark "
                    "as naming a series (and any other setting that differs, when "
                    "those are alike) or by --label: the mean payoff per round at "
                    "each true count with its 95% confidence interval as an error "
                    "bar; the y axis fits the counts with at least "
                    f"{FEW_ROUNDS} rounds; below, on the same count axis, the share of "
                    "rounds at each count. A COMPARISON ('truecount-lab compare "
                    "--json'), drawn alone: both sides as two series and, in a panel "
                    "between, their difference per count with its paired 95% interval. "
                    "A TRIP file ('truecount-lab trip --json'), drawn alone: the "
                    "bankroll hour by hour, its median and the bands of the middle half "
                    "and of nine in ten trips, and the chance of ruin. "
                    f"In all, counts with fewer than {FEW_ROUNDS} rounds are drawn hollow.",
        epilog="Refused, with a one-line error on standard error, exit status 2 and "
               "no output file: an input that is neither a well-formed report "
               "(empty, no payoff table, truncated or garbled) nor a study "
               "(malformed JSON, another format or version, missing figures); a "
               "report together with studies, or more than one report; studies "
               "that share no true count, or two of the same settings without "
               "--label (merge those); a comparison with other inputs; --ramp "
               "when no study holds a ramp and no --ramp-file is given; a --ramp-file "
               "that is not the ramp command's output; an unwritable OUTPUT. Examples: "
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
                        help="studies: overlay each ramp that a study holds (played "
                             "with 'truecount-lab run --ramp'), its stake per count as a "
                             "step line on a second y axis, and each ramp of --ramp-file")
    parser.add_argument("--ramp-file", action="append", default=[], metavar="FILE",
                        help="studies, implies --ramp: the saved output of 'truecount-lab "
                             "ramp', whose ramp (its first line) is drawn dotted; once per "
                             "file")
    parser.add_argument("--assumed-sd", type=_positive, metavar="SD",
                        help="report: draw APPROXIMATE error bars of ±1 standard "
                             "error, SD/sqrt(rounds), from this assumed standard "
                             "deviation of one round's payoff (about 1.1 to 1.2 "
                             "for blackjack); labelled as such on the chart")
    parser.add_argument("--min-rounds", type=_positive_int, default=1, metavar="N",
                        help="leave out the points of counts with fewer than N "
                             "rounds (their bars or shares stay), so that the y "
                             "axis shows the well-sampled counts; default 1, all points")
    args = parser.parse_args(argv)

    try:
        if os.path.splitext(args.output)[1].lower() not in IMAGE_FORMATS:
            raise InputError(f"output {args.output!r} must end in .png or .svg")
        names = args.inputs or ["-"]
        if names.count("-") > 1:
            raise InputError("standard input ('-') can be read only once")
        loaded = [load(name, _read(name)) for name in names]
        trips = [item for item in loaded if isinstance(item, Trip)]
        if trips and (len(loaded) > 1 or args.label or args.ramp_file or args.ramp):
            raise InputError("a trip file is drawn alone, without --label or --ramp")
        studies = [item for item in loaded if isinstance(item, (Study, Comparison))]
        found = [(name, read_found_ramp(name, _read(name).decode("utf-8", errors="replace")))
                 for name in args.ramp_file]
        ramp = args.ramp or bool(found)
        if trips:
            fig = trip_figure(trips[0])
        elif not studies:
            if len(loaded) > 1:
                raise InputError("one truecount report per chart; several inputs "
                                 "must all be studies")
            if args.label or ramp:
                raise InputError("--label and --ramp are for studies; a truecount "
                                 "report has one series and no ramp")
            fig = report_figure(loaded[0], args.assumed_sd, args.min_rounds)
        else:
            if len(studies) < len(loaded):
                raise InputError("a truecount report and studies cannot share a chart")
            if args.assumed_sd is not None:
                raise InputError("--assumed-sd is for a truecount report; a study's "
                                 "error bars come from its own data")
            compared = [item for item in studies if isinstance(item, Comparison)]
            if compared and len(studies) > 1:
                raise InputError("a comparison is drawn alone, with the difference of "
                                 "its two sides")
            if compared:
                fig = study_figure([compared[0].study, compared[0].variant], args.label,
                                   ramp, args.min_rounds, compared[0].difference, found)
            else:
                fig = study_figure(studies, args.label, ramp, args.min_rounds, found=found)
        save(fig, args.output)
    except InputError as err:
        print(f"plot_report.py: error: {err}", file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main())
