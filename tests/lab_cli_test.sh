#!/usr/bin/env bash
# truecount-lab end to end: shards run by GNU parallel and merged equal one
# run; an interrupted run resumes to the same study; bad input exits 2 and
# leaves no file. Usage: lab_cli_test.sh PATH-TO-truecount-lab
set -u
lab=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The exact tallies and blocks of two study files agree.
same_study() {
  python3 - "$1" "$2" <<'PY'
import json, sys
a, b = (json.load(open(path)) for path in sys.argv[1:3])
for study in a, b:
    del study["events"]["seconds"]
sys.exit(0 if (a["tallies"], a["events"], a["blocks"]["ranges"], a["complete"]) ==
         (b["tallies"], b["events"], b["blocks"]["ranges"], b["complete"]) else 1)
PY
}

study=(--rounds 60000 --block-size 5000 --seed 11 --quiet)
"$lab" run "${study[@]}" --threads 2 --json "$work/whole.json" > /dev/null || fail "whole run"

parallel --halt now,fail=1 "$lab" run "${study[@]}" --threads 1 --blocks {}/3 \
  --json "$work/shard{}.json" ::: 0 1 2 > /dev/null || fail "shards under parallel"
"$lab" merge "$work/shard2.json" "$work/shard0.json" "$work/shard1.json" \
  --json "$work/merged.json" --csv "$work/merged.csv" > "$work/merged.txt" || fail "merge"
same_study "$work/whole.json" "$work/merged.json" || fail "merged shards differ from one run"
grep -q '^all ' <(sed 's/^ *//' "$work/merged.txt") || fail "merge printed no table"
[ "$(head -1 "$work/merged.csv")" = "count,rounds,share,mean,sd,se,se_naive,ci95_low,ci95_high,se_method" ] ||
  fail "csv header"

long=(--rounds 1500000 --block-size 20000 --seed 5)
"$lab" run "${long[@]}" --threads 1 --json "$work/cut.json" > "$work/cut.out" 2> "$work/cut.err" &
pid=$!
sleep 0.5
kill -INT "$pid"
wait "$pid"
status=$?
[ "$status" -eq 130 ] || fail "interrupted run exited $status, not 130"
grep -q "interrupted; .* blocks written to $work/cut.json" "$work/cut.err" || fail "no interruption notice"
[ ! -s "$work/cut.out" ] || fail "an interrupted run printed a table"
grep -q '"complete": false' "$work/cut.json" || fail "interrupted study not marked incomplete"
"$lab" run --resume "$work/cut.json" --threads 2 --quiet > /dev/null || fail "resume"
"$lab" run "${long[@]}" --threads 2 --quiet --json "$work/uncut.json" > /dev/null || fail "uncut run"
same_study "$work/cut.json" "$work/uncut.json" || fail "resumed study differs from an uninterrupted one"

# Every refusal: exit 2, one line on standard error, nothing on standard
# output and no result file.
"$lab" run --rounds 60000 --block-size 5000 --seed 12 --quiet --json "$work/seed12.json" > /dev/null || fail "seed 12 run"
while IFS= read -r args; do
  eval "set -- $args"
  "$lab" "$@" --json "$work/refused.json" > "$work/out" 2> "$work/err"
  status=$?
  [ "$status" -eq 2 ] || fail "'$args' exited $status"
  [ "$(wc -l < "$work/err")" -eq 1 ] || fail "'$args' said: $(cat "$work/err")"
  [ ! -s "$work/out" ] && [ ! -e "$work/refused.json" ] || fail "'$args' wrote output"
  ls "$work" | grep -q partial && fail "'$args' left a temporary file"
done <<ARGS
run --rounds 0
run --rounds 1e13
run --rounds 1e12 --block-size 10
run --rounds 1000 --block-size 100 --blocks 5/18446744073709551615
run --rounds 1000 --block-size 100 --blocks 10/20
run --csv $work/refused.json
run --threads 0
run --blocks 2/2
run --unknown
run --ramp 3:1,2:2
run --reshuffle-after 90
run --decks 1
run --resume $work/whole.json --seed 3
merge $work/missing.json
merge $work/merged.csv
merge $work/shard0.json $work/whole.json
merge $work/whole.json $work/seed12.json
ARGS
"$lab" merge "$work/shard1.json" "$work/shard0.json" "$work/shard0.json" 2>&1 >/dev/null |
  grep -q "shard0.json cannot be merged with $work/shard0.json: the studies share blocks" ||
  fail "merge does not name the file a study conflicts with"
"$lab" run --rounds 10 --json "$work/no/such/dir.json" > /dev/null 2>&1
[ $? -eq 2 ] || fail "an unwritable result path is not refused"

"$lab" run --help | grep -q -- '--blocks K/N' || fail "--help does not explain --blocks"
"$lab" --version | grep -q '^truecount-lab ' || fail "--version"

echo "lab command line: $failures failed"
[ "$failures" -eq 0 ]
