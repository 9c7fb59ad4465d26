"""truecount-lab's promises, through the real program: shards, merges and
resumes give the study of one run; bad input is refused before any work with
exit 2 and nothing written; a file that lies is refused; no result is lost or
half-written; signals stop the work and keep what was done."""

import contextlib
import math
import os
import random
import re
import shlex
import shutil
import signal
import stat
import subprocess
import time
from fractions import Fraction

import pytest

from conftest import (LAB, csv_rows, edit, lab, ok, options, played, read, refused, reseal,
                      run_study, set_in, side_events, write)

# A counter's study: what defines it (a count, index plays, wonging) must
# survive shards and merges, and the rounds it watches merge too.
STUDY = ("--rounds 60000 --block-size 5000 --seed 11 --strategy basic --count hilo --indices i18 "
         "--wong-in 1 --wong-out -1 --ramp -60:1,2:4").split()


@pytest.fixture(scope="module")
def files(tmp_path_factory):
    """A whole study, its three shards and a study of another seed."""
    folder = tmp_path_factory.mktemp("files")
    paths = {name: folder / f"{name}.json" for name in "whole seed12 shard0 shard1 shard2".split()}
    run_study(paths["whole"], STUDY, ["--threads", "2"])
    run_study(paths["seed12"], STUDY, ["--seed", "12"])
    subprocess.run(["parallel", "--halt", "now,fail=1", LAB, "run", *STUDY, "--quiet", "--threads",
                    "1", "--blocks", "{}/3", "--json", folder / "shard{}.json", ":::", *"012"],
                   check=True, timeout=60)
    return paths


def test_shards_under_parallel_merge_to_the_whole_study(tmp_path, files):
    long_name = tmp_path / ("s" * 250 + ".json")  # legal, and written as any other
    done = ok("merge", *(files[f"shard{k}"] for k in (2, 0, 1)), "--json", long_name)
    merged, whole = read(long_name), read(files["whole"])
    assert played(merged) == played(whole) and merged["config"] == whole["config"]
    assert merged["events"]["rounds_watched"] > 0 and "holds" not in done.stderr
    assert "all " in done.stdout and "rounds per second over the" in done.stdout
    # The pace counts the rounds dealt, watched ones too.
    assert merged["figures"]["rounds_per_second"] == pytest.approx(
        int(merged["config"]["rounds"]) / merged["events"]["seconds"])
    partial = ok("merge", files["shard0"], files["shard1"], "--json", tmp_path / "two.json")
    assert "holds 8 of 12 blocks" in partial.stderr
    os.chmod(tmp_path / "two.json", 0o600)
    ok("run", "--resume", tmp_path / "two.json", "--quiet")
    # The resumed file keeps its mode.
    assert played(read(tmp_path / "two.json")) == played(whole)
    assert os.stat(tmp_path / "two.json").st_mode & 0o777 == 0o600
    # The first descriptor free is the lowest: with standard input closed too,
    # a standard output reopened on /dev/null would leave descriptor 1 to the file.
    for closed in (">/dev/null 2>&-", "<&- >&-"):
        subprocess.run(f'"{LAB}" merge "{files["shard0"]}" --json "{tmp_path}/m.json" {closed}',
                       shell=True, check=True, timeout=60)
        assert read(tmp_path / "m.json")["blocks"]["positions"] == "0-3"
    assert sorted(os.listdir(tmp_path)) == sorted([long_name.name, "m.json", "two.json"])


# A comparison of two strategies, each block dealt to both from one shoe; each
# side wongs from its own count, so each watches rounds of its own.
COMPARED = "--rounds 24000 --block-size 2000 --seed 3 --ramp -60:1,2:4 --wong-in 1".split()
VARIANT = "--strategy visible --ramp '-60:1, 1:3' --wong-in 2"


@pytest.fixture(scope="module")
def comparisons(tmp_path_factory):
    """A whole comparison, its one-block shards, and each side as a study of
    its own settings."""
    folder = tmp_path_factory.mktemp("comparisons")
    paths = {name: folder / f"{name}.json" for name in ("whole", "study", "variant")}
    paths["blocks"] = [folder / f"block{k}.json" for k in range(12)]
    for path, blocks in [(paths["whole"], ["--threads", "2"]), *(
            (path, ["--blocks", f"{k}/12"]) for k, path in enumerate(paths["blocks"]))]:
        run_study(path, COMPARED, ["--with", VARIANT], blocks, command="compare")
    run_study(paths["study"], COMPARED)
    run_study(paths["variant"], COMPARED, shlex.split(VARIANT))
    return paths


def test_comparison_shards_merge_and_resume_to_the_whole(tmp_path, comparisons):
    whole, blocks = read(comparisons["whole"]), comparisons["blocks"]
    assert whole["format"] == "truecount-lab comparison"
    done = ok("merge", *blocks[::-1], "--json", tmp_path / "m.json")
    merged = read(tmp_path / "m.json")
    assert "variant - study" in done.stdout and played(merged) == played(whole)
    assert all(merged[k] == whole[k] for k in ("cross_tallies", "variant"))
    # Each side's events line names its own watched rounds.
    events = side_events(done.stdout)
    for side, study in (("study", whole), ("variant", whole["variant"])):
        assert events[side].endswith(f"; rounds watched {study['events']['rounds_watched']}")
    assert whole["events"]["rounds_watched"] != whole["variant"]["events"]["rounds_watched"]
    partial = tmp_path / "part.json"
    ok("merge", *blocks[:4], *blocks[8:], "--json", partial)
    ok("compare", "--resume", partial, "--quiet", "--csv", tmp_path / "c.csv")
    assert played(read(partial)) == played(whole) and read(partial)["variant"] == whole["variant"]
    rows = csv_rows(tmp_path / "c.csv")
    assert list(rows[0])[:5] == ["count", "study_rounds", "study_mean", "study_se", "variant_rounds"]
    # A difference where both sides have rounds, and only there.
    counts = {d["count"]: d["mean"] for d in whole["figures"]["difference"]["counts"]}
    assert set(counts) == {c["count"] for c in whole["tallies"]["counts"]} & {
        c["count"] for c in whole["variant"]["tallies"]["counts"]}
    assert {int(r["count"]): float(r["difference"]) for r in rows if r["difference"]} == (
        pytest.approx(counts, rel=1e-8))


def sums(tallies, series, count):
    """A series' rounds and payoff sum (units) in each block's tallies."""
    entries = [t[series] if count is None else next(
        (c for c in t["counts"] if c["count"] == count), {"rounds": 0, "sum": 0}) for t in tallies]
    return [(int(e["rounds"]), int(e["sum"])) for e in entries]


def paired_se(study, variant, units):
    """The difference's linearised cluster error from per-block values: per
    block z_b = (S_bB - r_B n_bB)/N_B - (S_bA - r_A n_bA)/N_A, se² =
    B/(B-1) Σ z_b²."""
    (na, sa), (nb, sb) = (map(sum, zip(*side)) for side in (study, variant))
    squares = sum((Fraction(tb * nb - sb * mb, nb * nb) - Fraction(ta * na - sa * ma, na * na)) ** 2
                  for (ma, ta), (mb, tb) in zip(study, variant))
    return math.sqrt(len(study) / (len(study) - 1) * squares) / units


def test_the_paired_error_is_that_of_the_per_block_differences(comparisons):
    whole = read(comparisons["whole"])
    # Each side is the study of its own settings, to the bit.
    assert [read(comparisons[side])["tallies"] for side in ("study", "variant")] == [
        whole["tallies"], whole["variant"]["tallies"]]
    blocks = [read(path) for path in comparisons["blocks"]]
    sides = [b["tallies"] for b in blocks], [b["variant"]["tallies"] for b in blocks]
    difference = whole["figures"]["difference"]
    checked = [("all", None, difference["overall"]), ("weighted", None, difference["weighted"])]
    checked += [("counts", d["count"], d) for d in difference["counts"]
                if d["se_method"] == "cluster"]
    assert len(checked) > 6
    for series, count, figures in checked:
        study, variant = (sums(tallies, series, count) for tallies in sides)
        assert sum(n for n, _ in study) == figures["study_rounds"]
        se = paired_se(study, variant, whole["tallies"]["payoff_units_per_stake"])
        assert figures["se"] == pytest.approx(se, rel=1e-9) and se < figures["se_unpaired"], count


@pytest.mark.parametrize("args, expected", [
    (["run", "--rounds", "1e12", "--block-size", "10"], "more than 10000000"),
    (["run", "--json", ""], "--json: \"\": expected a file name"),
    (["run", "--resume", "", "--rounds", "2000"], None),
    (["run", "--resume", "whole.json", "--game", "6d-s17"], "give no --game beside it"),
    (["run", "--ramp", "1:2", "--bankroll", "0x10"], "--bankroll: \"0x10\""),
    (["run", "--bankroll", "5"], "--bankroll needs --ramp"),
    (["run", "--rounds-per-hour", "0"], "above 0 and at most 1000"),
    (["run", "--rounds-per-hour", "1000.5"], "above 0 and at most 1000"),
    (["run", "--players", "2", "--seat", "3"], "--seat 3 is beyond the 2 players"),
    (["run", "--seat", "2"], "--seat 2 is beyond the 1 player at the table; give --players 2"),
    (["run", "--players", "8"], "--players: \"8\""),
    (["run", "--spots", "2:2,1:3"], "counts must be strictly ascending, after 2"),
    (["run", "--spots", "2:8"], "hands must be whole numbers from 1 to 7"),
    (["run", "--players", "6", "--spots", "2:2,4:3"], "needs 3 seats beside the 5 other players"),
    (["trip", "--hours", "1"], "trip needs --ramp"),
    (["trip", "--ramp", "-60:1,2:4", "--hours", "1"], "trip needs --bankroll"),
    (["trip", "--ramp", "-60:2,2:4", "--bankroll", "1.5", "--hours", "1"], "least stake of 2"),
    (["trip", "--ramp", "-60:1,2:4", "--bankroll", "9", "--hours", "0"], "--hours: \"0\""),
    (["trip", "--ramp", "-60:1,2:4", "--bankroll", "9"], "trip needs --hours"),
    (["trip", "--rounds", "5"], "no option of truecount-lab trip"),
    (["run", "--rounds", "1000", "--block-size", "100", "--blocks", "10/20"], "only 10 blocks"),
    (["run", "--blocks", "5/18446744073709551615"], "--blocks"),
    (["run", "--threads", "0"], "--threads"),
    (["run", "--decks", "1"], "give --reshuffle-after up to 37 (--penetration up to 71.1%)"),
    (["run", "--unknown"], "no option of truecount-lab run (see truecount-lab run --help; --game NAME"),
    (["run", "--rounds", "5", "--rounds", "6"], "--rounds is given 2 times"),
    (["run", "--rounds"], "--rounds needs a value, N (see truecount-lab run --help)"),
    (["bogus"], "\"bogus\" is no command: give run, compare"),
    (["run", "--game", "6d-s18"], "no game of that name and no such file; expected truecount, 6d-s17"),
    (["run", "--penetration", "75%", "--reshuffle-after", "60"], "give one"),
    (["run", "--penetration", "96%", "--decks", "6"], "at most 297 cards (95.1%)"),
    (["run", "--penetration", "101%"], "the share of the shoe dealt before the reshuffle"),
    (["compare", "--with", "--penetration 6 --game 6d-s17"], "at most 297 cards"),
    (["run", "--checkpoint", "-1"], "--checkpoint: \"-1\": expected a whole number from 0 to 86400"),
    (["compare", "--checkpoint", "", "--with", "--seed 3"], "--checkpoint: \"\""),
    (["indices", "--checkpoint", "5"], "--checkpoint"),
    (["run", "--checkpoint", "5"], "--checkpoint needs --json FILE or --resume FILE"),
    (["merge", "missing.json"], "missing.json: cannot be read"),
    (["merge", "new\nline.json"], "new\\nline.json: cannot be read"),
    (["merge", "."], "a folder, not a file"),
    (["merge", "shard0.json", "shard1.json", "again.json"],
     "again.json cannot be merged with shard1.json: the studies share blocks"),
    (["merge", "whole.json", "seed12.json"],
     "seed12.json cannot be merged with whole.json: the studies differ in --seed: 11 against 12"),
    (["compare", "--rounds", "2000"], "compare needs --with"),
    (["compare", "--with", ""], "--with: \"\": expected the variant's options"),
    (["compare", "--with", "--seed 3"], "so it keeps --seed 1 (not 3)"),
    (["compare", "--with", "--strategy composition"], "the variant's settings are the study's"),
    (["compare", "--with", "--strategy  x"], "--strategy: \"x\": expected composition"),
    (["compare", "--with", "--no-such-setting 1"], "--no-such-setting"),
    (["compare", "--with", "visible"], "visible"),
    (["compare", "--with", "--strategy 'visible"], "a quote or a backslash is left open"),
    (["compare", "--with", "--ramp 1:2 --bankroll 5 --bankroll 6"], "--bankroll"),
    (["run", "--ramp", "1:12"], "--ramp 1:12 is one step: 12 units at every count"),
    (["compare", "--ramp", "-60:1,1:2", "--bankroll", "9", "--with", "--ramp none"],
     "--bankroll needs --ramp"),
    (["compare", "--resume", "cmp.json", "--with", "--strategy basic"], "give no --with beside it"),
    (["compare", "--resume", "whole.json"], "whole.json: a study; resume it with truecount-lab run"),
    (["run", "--resume", "cmp.json"], "cmp.json: a comparison; resume it with truecount-lab compare"),
    (["merge", "cmp.json", "shard0.json"], "one is a comparison, the other a study"),
    (["merge", "cmp.json", "other.json"], "the variants differ in --strategy: visible against basic"),
    (["merge", "shard1.json", "indexed.json"], "differ in --indices: i18 against hand,up_card"),
    (["ramp", "cmp.json", "--spread", "1:8", "--bankroll", "100"], "cmp.json: a comparison"),
    (["ramp", "whole.json", "--bankroll", "100"], "ramp needs a study file, --spread and"),
    (["merge"], "merge needs the study files to unite"),
    (["ramp", "whole.json", "--spread", "1:8", "--bankroll", "9", "--kelly", "1.5"],
     "at most 1"),
    (["ramp", "whole.json", "--spread", "1:8", "--bankroll", "9", "--min-rounds", "0"],
     "--min-rounds"),
    # The chart takes only the rules of a game.
    (["strategy", "--rounds", "5", "--csv", "c.csv"], "no option of truecount-lab strategy"),
    (["strategy", "--max-hands", "9", "--csv", "c.csv"], "--max-hands: \"9\""),
    # edge values one round off the top, of cards the shoe holds.
    (["edge", "--ramp", "1:2", "--json", "e.json"], "--ramp means nothing off the top"),
    (["edge", "--removed", "A,11"], "\"11\" is not a card"),
    (["edge", "--decks", "1", "--removed", "A,a,A,A,A"], "takes out 5 cards of value A"),
    (["edge", "--decks", "1", "--removed", ",".join(["10"] * 16 + ["9"] * 4 + ["8"] * 4 + ["7"] * 3)],
     "leaves 25 cards; at least 26"),
    (["edge", "--strategy", "visible"], "edge plays basic"),
    (["edge", "--insurance", "count:2", "--csv", "e.csv"], "needs a count"),
    (["run", "--indices", "i18,i18"], "expected i18, fab4, both as i18,fab4, none"),
    # Outputs are checked before any work, and none may overwrite an input.
    (["run", "--json", "folder"], "it is a folder"),
    (["run", "--json", "keep.json", "--csv", "folder"], "cannot write folder: it is a folder"),
    (["run", "--json", "no/such/folder.json"], "cannot write no/such/folder.json"),
    (["run", "--json", "x.json", "--csv", "./x.json"], "are the same file"),
    (["run", "--json", "keep.json", "--csv", "./keep.json"], "are the same file"),
    (["run", "--json", "locked/x.json"], "cannot write locked/x.json"),
    (["run", "--json", "s" * 256 + ".json"], "File name too long"),
    (["run", "--resume", "s.json", "--csv", "./s.json"], "are the same file"),
    (["run", "--resume", "s.json", "--json", "t.json", "--csv", "./s.json"], "is the input s.json"),
    (["merge", "s.json", "t.json", "--json", "m.json", "--csv", "s.json"], "is the input s.json"),
    (["merge", "s.json", "t.json", "--json", "./t.json"], "is the input t.json"),
], ids=lambda value: " ".join(value)[:80] if isinstance(value, list) else None)
def test_bad_input_is_refused_before_any_work(tmp_path, files, comparisons, args, expected):
    if os.geteuid() == 0 and "locked/x.json" in args:
        pytest.skip("root writes any folder")
    for name, source in [*((name, files[name]) for name in ("whole", "seed12", "shard0", "shard1")),
                         ("again", files["shard1"]), ("s", files["shard0"]), ("t", files["shard1"]),
                         ("cmp", comparisons["blocks"][0])]:
        shutil.copy(source, tmp_path / f"{name}.json")
    write(tmp_path / "other.json", reseal(edit(read(comparisons["blocks"][1]), set_in(
        ["variant", "config", "strategy"], "basic"))))
    write(tmp_path / "indexed.json", reseal(edit(read(files["shard0"]), set_in(
        ["config", "indices"], "hand,up_card,action,index,direction\n16,10,stand,0,>=\n"))))
    (tmp_path / "folder").mkdir()
    (tmp_path / "locked").mkdir(mode=0o500)
    (tmp_path / "keep.json").write_text("kept")
    merge = args[0] == "merge" and "--json" not in args
    refused(args + ["--json", "out.json"] if merge else args, tmp_path, expected)
    assert (tmp_path / "keep.json").read_text() == "kept"


# Each edit of a study's shard file (which a resume reads too) or a
# comparison's, with the digest resealed or not, and the refusal; an older
# file's basic strategy is never grown.
@pytest.mark.parametrize("command, change, sealed, expected", [
    (command, *lie) for command in ("merge", "resume") for lie in [
        (set_in(["config", "seed"], "12"), False, "its digest does not match"),
        (set_in(["config", "ramp"], "none"), True, "--bankroll needs --ramp"),
        (lambda s: s["tallies"]["all"].update(sum=str(int(s["tallies"]["all"]["sum"]) + 10)),
         True, "the overall tallies are not the sums"),
        (set_in(["tallies", "counts", 0, "count"], 2 ** 64 - 3), True, "\"count\" must be"),
        (set_in(["events", "seconds"], -1e9), True, "\"seconds\" must be"),
        (lambda s: s.update(version=2) or s["config"].update(indices="fab4", surrender="late"),
         True, "lie.json: its blocks played basic strategy as this program did before file "
         "version 3 (every decision priced from a full shoe, and the Fab 4 before its 15 v 10 row "
         "was corrected), so they may be read and charted but not resumed or merged")]] + [
    ("merge comparison", set_in(["cross_tallies", "all", "sum_x_sum"], str(10 ** 30)), True,
     "the overall cross sums cannot pair"),
    ("merge comparison", set_in(["variant", "events", "decisions"], 1), False,
     "its digest does not match"),
    ("merge comparison", set_in(["version"], 1), False, "comparisons versions 2 and 3"),
])
def test_lying_files_are_refused(tmp_path, files, comparisons, command, change, sealed, expected):
    if command == "merge comparison":
        study = read(comparisons["blocks"][0])
    else:
        study = reseal(edit(read(files["shard0"]), set_in(["config", "bankroll"], "250")))
    lie = edit(study, change)
    write(tmp_path / "lie.json", reseal(lie) if sealed else lie)
    refused(["run", "--resume", "lie.json", "--json", "out.json"] if command == "resume"
            else ["merge", "lie.json", "--json", "out.json"], tmp_path, expected)


def test_an_older_files_study_is_read_and_one_of_composition_grown(tmp_path, files):
    # The table of lies holds the refusal to grow an older file's basic strategy.
    write(tmp_path / "basic.json", edit(read(files["shard0"]), set_in(["version"], 2)))
    ok("ramp", "basic.json", "--spread", "1:4", "--bankroll", "100", cwd=tmp_path)
    study = run_study(tmp_path / "c.json", ["--rounds", "2000", "--block-size", "1000", "--blocks",
                                            "0/2"])
    write(tmp_path / "c.json", edit(study, set_in(["version"], 2)))
    ok("run", "--resume", "c.json", "--quiet", cwd=tmp_path)


GAME = ("decks = 6\nreshuffle_after = 234\ndealer = s17\nafter_split = das\nsplit_21 = 1:1\n"
        "blackjack_pays = 3:2\nsurrender = late\nsplit_aces = one-card\nresplit_aces = no\n"
        "max_hands = 4\ndouble = any\nhole_card = peek\n")


# A game file's faults, each by its line, files that are no game file, an
# index file's fault by its line and column, and study files read no further
# than a repeated key or a nesting no study file has.
@pytest.mark.parametrize("args, text, expected", [
    ("run --game", GAME.replace("decks = 6", "decks = six"),
     "line 1: decks = \"six\": expected a whole number"),
    ("run --game", GAME + "dealer = h17\n", "line 13: dealer is set twice (first on line 3)"),
    ("run --game", GAME + "strategy = basic\n", "line 13: \"strategy\" is not a house rule"),
    ("run --game", GAME + "colour = red\n", "line 13: \"colour\" is no setting"),
    ("run --game", GAME + "surrender late\n", "line 13: expected SETTING = VALUE"),
    ("run --game", GAME.replace("hole_card = peek\n", ""),
     "no hole_card: a game file sets every house rule"),
    ("run --game", GAME.replace("decks = 6", "decks = 1"), "give --reshuffle-after up to 37"),
    ("run --game", GAME + "#" * 4096, "larger than a game file"),
    ("run --game", None, "not a game file"),
    ("run --strategy basic --indices",
     "hand,up_card,action,index,direction\n16,10,stand,0,>=\n\"A,7\",2,dubble,1,>=\n",
     "f.txt: line 3, column 9: the action must be"),
    ("merge", '{"config": {"seed": "11", "seed": "12"}}', "the key \"seed\" appears twice"),
    ("run --resume", "[" * 20_000_000, "nested deeper than any study file"),
], ids=["value", "twice", "not a house rule", "unknown", "no =", "missing", "shoe", "large",
        "fifo", "index", "key twice", "deep"])
def test_files_are_refused_at_their_fault_and_cheaply(tmp_path, args, text, expected):
    path = tmp_path / "f.txt"
    if text is None:
        os.mkfifo(path)
    else:
        path.write_text(text)
    started = time.monotonic()
    refused([*args.split(), "f.txt"], tmp_path, expected)
    assert time.monotonic() - started < 5


def device(path, minor):
    """A private copy of /dev/null (minor 3) or /dev/full (7): a program that
    replaced it would harm only the copy."""
    try:
        os.mknod(path, stat.S_IFCHR | 0o666, os.makedev(1, minor))
    except PermissionError:
        pytest.skip("making a device needs root")
    return path


def test_devices_are_written_in_place_and_a_failed_write_saves_the_study(tmp_path):
    ok("run", "--rounds", "2000", "--quiet", "--csv", device(tmp_path / "null", 3))
    assert stat.S_ISCHR(os.stat(tmp_path / "null").st_mode)
    device(tmp_path / "full", 7)
    done = lab("run", "--rounds", "2000", "--quiet", "--json", "full", cwd=tmp_path)
    saved = [name for name in os.listdir(tmp_path) if name.startswith("truecount-lab-saved-")]
    assert done.returncode == 1 and len(saved) == 1 and f"saved in {saved[0]}" in done.stderr
    assert int(read(tmp_path / saved[0])["tallies"]["all"]["rounds"]) == 2000
    assert sorted(os.listdir(tmp_path)) == sorted(["full", "null", *saved])
    with open("/dev/full", "w") as full:
        table = subprocess.run([LAB, "run", "--rounds", "2000"], stdout=full,
                               stderr=subprocess.PIPE, text=True, timeout=60)
    assert table.returncode == 1 and "standard output" in table.stderr


def start(args, cwd):
    return subprocess.Popen([LAB, *map(str, args)], cwd=cwd, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, text=True)


def until_running(process, seconds):
    time.sleep(seconds)
    assert process.poll() is None, process.communicate()


def interrupted(args, cwd, seconds, sent=(signal.SIGINT,)):
    """Runs truecount-lab and sends it each signal of `sent`, the first after
    `seconds`: its exit status, output, errors and the seconds it took to end."""
    process = start(args, cwd)
    until_running(process, seconds)
    for each in sent:
        process.send_signal(each)
        time.sleep(0.1)
    started = time.monotonic()
    out, err = process.communicate(timeout=30)
    return process.returncode, out, err, time.monotonic() - started


# The first of two blocks takes about a second: one signal lets it finish, a
# second ends it at once and keeps no block; the file resumes to the whole.
CUT = ["--rounds", "1M", "--block-size", "500k", "--seed", "5"]


@pytest.fixture(scope="module")
def uncut(tmp_path_factory):
    return run_study(tmp_path_factory.mktemp("uncut") / "whole.json", CUT, ["--threads", "2"])


@pytest.mark.parametrize("command, sent", [
    (["run"], [signal.SIGINT]), (["run"], [signal.SIGTERM]), (["run"], [signal.SIGHUP]),
    (["run"], [signal.SIGINT] * 2), (["compare", "--with", "--dealer s17"], [signal.SIGINT]),
], ids=["INT", "TERM", "HUP", "twice", "compare"])
def test_a_signal_keeps_the_blocks_played_for_resume(tmp_path, uncut, command, sent):
    status, out, err, took = interrupted([*command, *CUT, "--threads", "1", "--json", "cut.json"],
                                         tmp_path, 0.2, sent)
    kept = 2 - len(sent)
    assert status == 130 and out == "" and (kept or took < 0.5), err
    assert (f"{kept} of 2 blocks written to cut.json; continue with: truecount-lab {command[0]} "
            "--resume cut.json") in err
    study = read(tmp_path / "cut.json")
    assert not study["complete"] and study["blocks"]["played"] == kept
    ok(command[0], "--resume", "cut.json", "--threads", "2", "--quiet", cwd=tmp_path)
    assert played(read(tmp_path / "cut.json")) == played(uncut)
    assert os.listdir(tmp_path) == ["cut.json"]


@pytest.mark.parametrize("command", [["merge", "fifo"], ["run", "--resume", "fifo"]])
def test_waiting_for_a_fifo_can_be_interrupted(tmp_path, command):
    os.mkfifo(tmp_path / "fifo")
    status, _, err, _ = interrupted([*command, "--json", "out.json"], tmp_path, 0.3)
    assert status == 130 and "interrupted; nothing written" in err, err
    assert sorted(os.listdir(tmp_path)) == ["fifo"]


SANITIZED = "ASAN_OPTIONS" in os.environ or "TSAN_OPTIONS" in os.environ


@pytest.mark.skipif(SANITIZED, reason="the sanitizers reserve the address space")
def test_an_error_ends_with_a_message_and_no_file(tmp_path):
    # Address space too small for a worker's stack, from too small for the
    # program to load upward: every limit ends in a load failure, a reported
    # error or a finished run, never an escaped exception or a file left.
    import resource
    reported = 0
    for megabytes in range(8, 40, 2):
        limit = megabytes << 20
        done = lab("run", "--rounds", "2000", "--threads", "1", "--json", "s.json", cwd=tmp_path,
                   preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_AS, (limit, limit)))
        if done.returncode == 0:
            break
        if done.returncode == 1:
            assert done.stderr.startswith("truecount-lab: stopped by an error"), done.stderr
            assert len(done.stderr.splitlines()) == 1 and os.listdir(tmp_path) == []
            reported += 1
        else:
            assert "loading shared libraries" in done.stderr, (done.returncode, done.stderr)
    assert reported > 0


@pytest.mark.parametrize("quiet", [[], ["--quiet"]], ids=["terminal", "quiet"])
def test_the_progress_line_is_drawn_on_a_terminal_unless_quiet(tmp_path, quiet):
    import pty
    leader, follower = pty.openpty()
    process = subprocess.Popen([LAB, "run", "--rounds", "400000", "--block-size", "10000",
                                "--threads", "1", *quiet], stdout=subprocess.DEVNULL,
                               stderr=follower, cwd=tmp_path)
    os.close(follower)
    drawn = b""
    with contextlib.suppress(OSError):  # the terminal closes with the program
        while chunk := os.read(leader, 4096):
            drawn += chunk
    os.close(leader)
    assert process.wait(timeout=30) == 0
    # A slow build may draw its first line before the first block ends: 0% and "?:?? left".
    lines = [line for line in drawn.decode().split("\r") if "% done, " in line]
    shares = [float(line.split("%")[0]) for line in lines]
    assert not drawn if quiet else (
        shares and all(0 <= share < 100 for share in shares) and shares[-1] > 0
        and shares == sorted(shares) and "rounds per second" in lines[-1]
        and re.search(r" \d+:\d\d left ", lines[-1]) and drawn.endswith(b"\r\x1b[K")), drawn


def test_an_interrupted_indices_reports_what_it_has(tmp_path):
    # Long enough for basic strategy's tables and a few blocks under a sanitizer.
    status, out, err, _ = interrupted(["indices", "--rounds", "20M", "--block-size", "20000",
                                       "--threads", "1", "--count", "hilo", "--csv", "i.csv"],
                                      tmp_path, 4.0)
    # A slow build may have played one block, too few for any index: the report
    # must hold the blocks played and the decisions they priced.
    blocks = re.search(r"interrupted: the indices above are from ([1-9]\d*) of 1000 blocks", err)
    assert status == 130 and blocks, err
    assert re.match(rf"truecount-lab indices: {int(blocks[1]) * 20000} of 20000000 rounds in "
                    rf"{blocks[1]} of 1000 blocks, [1-9]\d* decisions priced", out), out
    assert (tmp_path / "i.csv").read_text().startswith("hand,up_card,basic,deviation,index")


def test_a_side_that_plays_no_round_has_no_figures(tmp_path):
    never = "--rounds 100k --block-size 10k --strategy basic --count hilo --quiet".split()
    study = lab("run", *never, "--wong-in", "60", "--json", "s.json", cwd=tmp_path)
    compared = lab("compare", *never, "--with", "--wong-in 60", cwd=tmp_path)
    for done in (study, compared):
        assert done.returncode == 0 and "nan" not in done.stdout, done.stdout
    assert "No round played, so no figures: every round dealt was watched" in study.stdout
    assert "Flat-bet edge" not in study.stdout
    ramp = lab("ramp", "s.json", "--spread", "1:4", "--bankroll", "100", cwd=tmp_path)
    assert ramp.returncode == 2 and "no round played" in ramp.stderr and not ramp.stdout


@pytest.mark.parametrize("variant, note", [("--count hilo", True), ("--dealer s17", False)])
def test_a_comparison_says_when_its_sides_book_by_different_counts(tmp_path, variant, note):
    done = ok("compare", "--rounds", "20k", "--strategy", "basic", "--with", variant, "--quiet")
    assert ("The sides book by different counts" in done.stdout) == note


# Long enough for a checkpoint a second to land a few times, with the
# sanitizers' slower play too.
LONG = ["--rounds", "400k" if SANITIZED else "4M", "--block-size", "10000", "--seed", "8",
        "--threads", "2", "--quiet"]


def litter(folder):
    """The temporary files of writes a kill cut short."""
    return [name for name in os.listdir(folder) if name.startswith(".truecount-lab-")]


def kill_when(process, ready):
    """Kills the program as soon as `ready()` holds, or lets it end."""
    while process.poll() is None:
        if ready():
            process.kill()
        time.sleep(0.0002)  # leaves the workers their cores
    process.wait()


def test_a_kill_at_any_moment_leaves_no_file_or_a_resumable_partial_study(tmp_path):
    # The uninterrupted run plays on one thread beside the runs killed.
    uncut = start(["run", *options(LONG, ["--threads", "1"]), "--json", "whole.json"], tmp_path)
    (cut := tmp_path / "cut").mkdir()
    # Killed during the first checkpoint's write, at a random moment after
    # it, during a later write (a checkpoint's or the last), then at any
    # moment; each run resumes the file the last one left, if any.
    after = random.uniform(0, 0.9)
    moments = ["write", "checkpointed", "write", *(random.uniform(0.05, 1.5) for _ in "ab")]
    for moment in moments + [None]:
        new = not (cut / "s.json").exists()
        resume = [*LONG, "--json", "s.json"] if new else ["--resume", "s.json", "--quiet"]
        process = start(["run", *resume, "--checkpoint", "1"], cut)
        if moment == "write":
            kill_when(process, lambda: litter(cut))
            assert litter(cut), "the kill landed after the write"
        elif moment == "checkpointed":
            kill_when(process, (cut / "s.json").exists)
            time.sleep(after)
        elif moment is not None:
            time.sleep(moment)
        if moment is not None:
            process.kill()
        finished = process.wait(timeout=120) == 0
        assert finished or process.returncode == -signal.SIGKILL and moment is not None, moment
        for name in litter(cut):
            os.unlink(cut / name)
        if (cut / "s.json").exists():
            study = read(cut / "s.json")
            assert study["complete"] == finished, moment
            assert int(study["tallies"]["all"]["rounds"]) == study["blocks"]["played"] * 10000
        assert moment != "checkpointed" or 0 < study["blocks"]["played"] < study["blocks"]["total"]
    assert uncut.wait(timeout=120) == 0, uncut.communicate()
    whole = read(tmp_path / "whole.json")
    assert played(read(cut / "s.json")) == played(whole)
    assert read(cut / "s.json")["config"] == whole["config"]


def test_a_checkpoint_not_written_is_said_once_and_the_last_one_kept(tmp_path):
    (tmp_path / "d").mkdir()
    process = start(["compare", *options(LONG, ["--rounds", "20M"]), "--with", "--strategy basic",
                     "--checkpoint", "1", "--json", "d/c.json"], tmp_path)
    while not (tmp_path / "d/c.json").exists():
        assert process.poll() is None, process.communicate()
        time.sleep(0.01)
    os.rename(tmp_path / "d", tmp_path / "kept")
    said = process.stderr.readline()
    assert "checkpoint not written (cannot write d/c.json: No such file" in said
    time.sleep(1.5)  # another checkpoint falls due, and fails unsaid
    process.send_signal(signal.SIGINT)
    _, err = process.communicate(timeout=30)
    assert process.returncode == 130 and "checkpoint" not in err, err
    saved = read(tmp_path / re.search(r"written to (\S+);", err).group(1))
    assert "holds" in ok("merge", "kept/c.json", cwd=tmp_path).stderr
    assert 0 < read(tmp_path / "kept/c.json")["blocks"]["played"] < saved["blocks"]["played"]


def test_no_checkpoint_is_written_when_asked_for_none(tmp_path):
    process = start(["run", *LONG, "--checkpoint", "0", "--json", "s.json"], tmp_path)
    until_running(process, 1.5)
    process.kill()
    process.wait()
    assert os.listdir(tmp_path) == []
