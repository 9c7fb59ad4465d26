"""Helpers for the tests that drive the built programs (CTest names them in
TRUECOUNT and TRUECOUNT_LAB)."""

import copy
import csv
import functools
import hashlib
import json
import operator
import os
import pathlib
import subprocess
import tempfile

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir)
LAB = os.environ.get("TRUECOUNT_LAB", os.path.join(ROOT, "build/release/truecount-lab"))
TRUECOUNT = os.environ.get("TRUECOUNT", os.path.join(ROOT, "build/release/truecount"))
# What the digest seals: everything that defines the study, and for a
# comparison its variant and the cross sums.
DEFINING = ("config", "blocks", "tallies", "events", "variant", "cross_tallies")


def lab(*args, timeout=60, **options):
    """Runs truecount-lab; returns the finished process, output as text."""
    return subprocess.run([LAB, *map(str, args)], capture_output=True, text=True,
                          timeout=timeout, **options)


def ok(*args, **options):
    """Runs truecount-lab, which must succeed; returns the finished process."""
    done = lab(*args, **options)
    assert done.returncode == 0, done.stderr
    return done


def refused(args, cwd, expected=None):
    """Runs truecount-lab in `cwd`, which must refuse: exit 2, one line on
    stderr (naming `expected`), nothing on standard output, no file written."""
    before = sorted(os.listdir(cwd))
    done = lab(*args, cwd=cwd)
    assert done.returncode == 2 and len(done.stderr.splitlines()) == 1, done.stderr
    assert not done.stdout and (expected is None or expected in done.stderr), done.stderr
    assert sorted(os.listdir(cwd)) == before, "a file was written"


def csv_rows(path):
    return list(csv.DictReader(pathlib.Path(path).read_text(encoding="utf-8").splitlines()))


def ramp_of(text):
    """The `--ramp STEPS` line that starts the ramp command's output: the
    stake at each count, and the steps."""
    option, ramp = text.splitlines()[0].split()
    assert option == "--ramp"
    steps = [tuple(map(int, step.split(":"))) for step in ramp.split(",")]
    return {c: [s for f, s in steps if f <= c][-1] for c in range(-60, 61)}, ramp


def side_events(text):
    """A comparison report's events line of each side, by side."""
    return dict(line.split(None, 1) for line in text.splitlines()
                if line.startswith("  ") and "decisions per round" in line)


def options(*groups):
    """Options of several groups, each option once: a later value wins."""
    chosen = dict(pair for group in groups for pair in zip(group[::2], group[1::2]))
    return [str(part) for pair in chosen.items() for part in pair]


def run_study(path, *groups, command="run"):
    """A quiet study (or comparison) on one thread, unless the groups say
    otherwise, written to `path`; returns the file decoded."""
    return printed_study(path, *groups, command=command)[1]


def printed_study(path, *groups, command="run"):
    """What a quiet run (or another command) on one thread, unless the groups
    say otherwise, printed, and the file it wrote to `path`, decoded."""
    done = ok(command, "--quiet", "--json", path, *options(["--threads", "1"], *groups))
    return done.stdout, read(path)


def read(path):
    return json.loads(pathlib.Path(path).read_text(encoding="utf-8"))


def write(path, study):
    pathlib.Path(path).write_text(json.dumps(study, indent=2), encoding="utf-8")


def edit(study, change):
    """A copy of a decoded study with `change` applied to it."""
    study = copy.deepcopy(study)
    change(study)
    return study


def set_in(path, value):
    """A change that sets the value at `path` (keys and indices) of a study."""
    def change(study):
        functools.reduce(operator.getitem, path[:-1], study)[path[-1]] = value
    return change


def played(study):
    """What a study holds, apart from the time its runs took."""
    events = {k: v for k, v in study["events"].items() if k != "seconds"}
    return study["tallies"], events, study["blocks"], study["complete"]


@functools.cache
def read_defaults():
    """The default of every setting, as a one-round study stores it."""
    with tempfile.TemporaryDirectory() as folder:
        config = run_study(os.path.join(folder, "d.json"), ["--rounds", "1"])["config"]
    return {**config, "rounds": "10000000", "block_size": "100000"}


def reseal(study):
    """Seals edited content with a matching digest, as the program would: the
    settings at their default (those the labels of a default study show) are
    left out of what is sealed."""
    defaults = read_defaults()

    def settings(config):
        return {k: v for k, v in config.items() if defaults.get(k) != v}

    sealed = {k: copy.deepcopy(study[k]) for k in DEFINING if k in study}
    sealed["config"] = settings(study["config"])
    if "variant" in sealed:
        sealed["variant"]["config"] = settings(study["variant"]["config"])
    content = json.dumps(sealed, separators=(",", ":"), ensure_ascii=False)
    study["digest"] = "sha256:" + hashlib.sha256(content.encode()).hexdigest()
    return study


def pytest_collection_modifyitems(config, items):
    """CTest runs a long file in parts. TRUECOUNT_TEST_PART=K/N keeps the K-th
    of N runs of consecutive tests, so that tests sharing a costly fixture
    share a part; K%N keeps the test functions K, K+N, K+2N... (each with all
    its cases), which spreads slow neighbours over the parts."""
    if part := os.environ.get("TRUECOUNT_TEST_PART"):
        index, parts = map(int, part.replace("%", "/").split("/"))
        if "%" in part:
            functions = list(dict.fromkeys(item.originalname for item in items))
            mine = set(functions[index - 1::parts])
            kept = [item for item in items if item.originalname in mine]
        else:
            kept = items[len(items) * (index - 1) // parts:len(items) * index // parts]
        config.hook.pytest_deselected(items=[item for item in items if item not in kept])
        items[:] = kept
