#!/bin/sh
# Runs one fuzz target for a bounded time on its seed corpus.
# Usage: run-fuzz.sh FUZZER SEED_DIR [SECONDS]
# New inputs go to a scratch folder, so the seed corpus in the repository is
# never written to; crashes are written to the current folder.
set -eu
fuzzer=$1
seeds=$2
seconds=${3:-10}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT INT TERM
"$fuzzer" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
  -print_final_stats=1 "$scratch" "$seeds"
