#!/usr/bin/env bash
# Hardening checks, each of which fails on any finding:
#   1. the libFuzzer targets of fuzz/: their kept reproducers, then each target
#      for a bounded time from a scratch copy of its seed corpus;
#   2. the full 50000-round program built with AddressSanitizer (leak detection
#      on) and UndefinedBehaviorSanitizer: exit status 1, nothing on stderr;
#   3. the optimised program under valgrind memcheck: exit status 1, no error,
#      no leak of any kind;
#   4. clang-tidy (.clang-tidy) over the program's sources.
# Usage: tools/quality_checks.sh [seconds per fuzz target, default 60]
# Uses build/asan and build/release as `cmake --workflow --preset asan` and
# `--preset release` leave them (configuring and building them if missing),
# and builds the fuzz targets in build/fuzz with clang++.
set -uo pipefail
shopt -s nullglob
cd "$(dirname "$0")/.." || exit

seconds="${1:-60}"
release_dir="${TRUECOUNT_RELEASE_DIR:-build/release}"
asan_dir="${TRUECOUNT_ASAN_DIR:-build/asan}"
logs=build/quality
targets=(hand deck strategy table study_file index_file)
passed=0
failed=0
mkdir -p "$logs"

pass() {
  echo "PASS: $1 ($((SECONDS - started)) s)"
  passed=$((passed + 1))
}
fail() {
  echo "FAIL: $1"
  [ -n "${2:-}" ] && grep -v 'warnings generated' "$2" | tail -n 40
  failed=$((failed + 1))
}
# Builds the program in a preset's directory, configuring it first if needed.
build_program() {
  { [ -f "$2/CMakeCache.txt" ] || cmake --preset "$1" -B "$2"; } >"$logs/build-$1.log" 2>&1 &&
    cmake --build "$2" -j2 --target truecount >>"$logs/build-$1.log" 2>&1
}

started=$SECONDS
if cmake -S fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ >"$logs/build-fuzz.log" 2>&1 &&
  cmake --build build/fuzz -j2 >>"$logs/build-fuzz.log" 2>&1; then
  pass "fuzz targets built"
  for target in "${targets[@]}"; do
    started=$SECONDS
    fuzzer="build/fuzz/${target}_fuzz"
    log="$logs/fuzz-$target.log"
    work="build/fuzz/corpus-work/$target"
    findings="build/fuzz/findings/$target"
    rm -rf "$work" "$findings"
    mkdir -p "$work" "$findings"
    cp fuzz/corpus/"$target"/* "$work"/
    regressions=(fuzz/regressions/"$target"/*)
    if [ "${#regressions[@]}" -gt 0 ] && ! "$fuzzer" "${regressions[@]}" >"$log" 2>&1; then
      fail "$target fuzz target: a kept reproducer fails again" "$log"
      continue
    fi
    if "$fuzzer" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$findings/" "$work" >"$log" 2>&1 &&
      [ -z "$(ls -A "$findings")" ]; then
      runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
      pass "$target fuzz target, ${#regressions[@]} reproducer(s) and $runs executions"
    else
      fail "$target fuzz target found a fault; input kept in $findings" "$log"
    fi
  done
else
  fail "fuzz targets do not build" "$logs/build-fuzz.log"
fi

started=$SECONDS
if build_program asan "$asan_dir"; then
  status=0
  ASAN_OPTIONS=detect_leaks=1:exitcode=98 UBSAN_OPTIONS=print_stacktrace=1:exitcode=98 \
    "$asan_dir/truecount" >"$logs/asan.out" 2>"$logs/asan.err" || status=$?
  if [ "$status" -eq 1 ] && [ ! -s "$logs/asan.err" ] &&
    grep -qx "50000 / 50000 simulated." "$logs/asan.out"; then
    pass "full run under AddressSanitizer and UndefinedBehaviorSanitizer"
  else
    fail "full run under the sanitizers: status $status (1 expected), stderr:" "$logs/asan.err"
  fi
else
  fail "asan build" "$logs/build-asan.log"
fi

started=$SECONDS
if build_program release "$release_dir"; then
  status=0
  valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=all --error-exitcode=99 \
    --log-file="$logs/valgrind.log" "$release_dir/truecount" >"$logs/valgrind.out" \
    2>"$logs/valgrind.err" || status=$?
  if [ "$status" -eq 1 ] && [ ! -s "$logs/valgrind.err" ]; then
    pass "full run under valgrind memcheck"
  else
    fail "full run under valgrind memcheck: status $status (1 expected, 99 for errors)" \
      "$logs/valgrind.log"
  fi

  started=$SECONDS
  mapfile -t sources < <(sed -n 's/^ *"file": *"\(.*\)",\{0,1\}$/\1/p' \
    "$release_dir/compile_commands.json" | grep -E '/(text|count|deck|exact|table|strategy|driver|selftest|stats|study|lab)/[^/]+\.cpp$')
  status=0
  printf '%s\n' "${sources[@]}" |
    xargs -r -P 2 -n 1 clang-tidy -p "$release_dir" --quiet --warnings-as-errors='*' \
      >"$logs/clang-tidy.log" 2>&1 || status=$?
  if [ "${#sources[@]}" -gt 0 ] && [ "$status" -eq 0 ] &&
    ! grep -qE '(warning|error):' "$logs/clang-tidy.log"; then
    pass "clang-tidy over ${#sources[@]} sources"
  else
    grep -E '(warning|error):' "$logs/clang-tidy.log" | sort -u >"$logs/clang-tidy-findings.log"
    fail "clang-tidy over ${#sources[@]} sources (details in $logs/clang-tidy.log)" \
      "$logs/clang-tidy-findings.log"
  fi
else
  fail "release build" "$logs/build-release.log"
fi

echo "quality_checks: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
