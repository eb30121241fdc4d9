#!/usr/bin/env bash
# Builds the libFuzzer targets with the fuzz preset (build/fuzz; its tests replay the seeds) and
# runs each for the given seconds (default 60), starting from its seed corpus in fuzz/seeds. A
# crash, leak or failed check stops with non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
out=build/fuzz

cmake --workflow --preset fuzz

for seeds in fuzz/seeds/*/; do
  target=$(basename "$seeds")
  corpus="$out/corpus/$target"
  mkdir -p "$corpus"
  echo "== running $target for ${seconds}s"
  "$out/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/$target-" "$corpus" "$seeds" \
    2>"$out/$target.log" || {
    tail -n 60 "$out/$target.log"
    echo "$target: FAILED (log: $out/$target.log)"
    exit 1
  }
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$out/$target.log" || true
  echo "$target: passed"
done
