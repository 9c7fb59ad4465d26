#!/usr/bin/env bash
# Installs what the tests lack, then builds everything of the optimised build
# (programs, tests, benchmarks) and runs every test.
set -u
cd "$(dirname "$0")/.." || exit
tools/ensure_packages.sh run test || exit
exec cmake --workflow --preset test
