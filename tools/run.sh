#!/usr/bin/env bash
# Builds the optimised simulator and runs it once. truecount exits with status
# 1 after every complete run; this wrapper turns that into success so that a
# normal run does not look like a failure.
set -u
cd "$(dirname "$0")/.."
cmake --workflow --preset release >/dev/null || exit $?
./build/release/truecount
status=$?
if [ "$status" -eq 1 ]; then
  exit 0
fi
echo "truecount ended with unexpected status $status" >&2
exit "$status"
