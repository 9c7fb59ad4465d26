#!/usr/bin/env bash
# Usage: tools/make_golden.sh <built program_test>; TRUECOUNT_WRITE_GOLDEN makes its golden test write tests/data/seed_20261206.* instead of comparing.
set -eu
TRUECOUNT_WRITE_GOLDEN=1 "$1" --gtest_filter=Program.GoldenRunForFixedSeed
