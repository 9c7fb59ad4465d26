#!/usr/bin/env bash
# Submits a study to Slurm in N shards: an array of N tasks running
# shard.sbatch in FOLDER, and merge.sbatch once every task has ended well.
# Prints the two job ids. sbatch's own settings come from its SBATCH_*
# variables (SBATCH_TIMELIMIT, SBATCH_PARTITION, ...), the array's others from
# TRUECOUNT_SBATCH ("--cpus-per-task=8 --mem=2G": each task's threads follow
# its processors); TRUECOUNT_LAB names the program when it is not on the
# nodes' PATH, TRUECOUNT_CHECKPOINT the seconds between checkpoints (default
# 60).
# Usage: tools/cluster/submit.sh FOLDER N RUN-OPTION...
set -euo pipefail
if [ "$#" -lt 2 ]; then
  echo "usage: $0 FOLDER N RUN-OPTION..." >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
folder=$1
shards=$2
shift 2
read -ra options <<<"${TRUECOUNT_SBATCH:-}"
mkdir -p "$folder"
array=$(sbatch --parsable --chdir="$folder" --array="0-$((shards - 1))" "${options[@]}" \
  "$here/shard.sbatch" "$shards" "$@")
array=${array%%;*}
merge=$(sbatch --parsable --chdir="$folder" --dependency="afterok:$array" \
  --kill-on-invalid-dep=yes "$here/merge.sbatch" "$shards")
echo "$array ${merge%%;*}"
