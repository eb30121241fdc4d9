#!/usr/bin/env bash
# Builds the libFuzzer targets into build/fuzz and runs each for the given seconds (default 60),
# starting from the seed corpus in fuzz/seeds. A crash, leak or failed check stops with non-zero.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
out=build/fuzz
mkdir -p "$out"

flags=(-std=c++20 -O1 -g -Wall -Wextra -Werror -I. -fsanitize=fuzzer,address,undefined
  -fno-sanitize-recover=all -fno-omit-frame-pointer)
declare -A sources=(
  [marker_fuzz]="fuzz/marker_fuzz.cpp links/tracking.cpp links/linked_task.cpp"
  [clean_file_name_fuzz]="fuzz/clean_file_name_fuzz.cpp links/send_to_task.cpp links/safe_file_name.cpp links/unicode_letters.cpp"
)

for target in marker_fuzz clean_file_name_fuzz; do
  echo "== building $target"
  # shellcheck disable=SC2086
  clang++ "${flags[@]}" ${sources[$target]} -o "$out/$target"
done

for target in marker_fuzz clean_file_name_fuzz; do
  corpus="$out/corpus/$target"
  mkdir -p "$corpus"
  echo "== running $target for ${seconds}s"
  "$out/$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$out/$target-" "$corpus" "fuzz/seeds/$target" \
    2>"$out/$target.log" || {
    tail -n 60 "$out/$target.log"
    echo "$target: FAILED (log: $out/$target.log)"
    exit 1
  }
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$out/$target.log" || true
  echo "$target: passed"
done
