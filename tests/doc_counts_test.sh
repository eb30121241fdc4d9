#!/usr/bin/env bash
# The counts the docs quote are the code's: the host calls per command that the benchmark counts
# (a count edited by hand, or code that makes more calls, fails here until scripts/figures has
# written them anew). Times are measured, not held to anything.
#   doc_counts_test.sh BENCH DOC
set -euo pipefail
bench=$1 doc=$2
table=$("$bench" --benchmark_filter='^$' 2>/dev/null | sed -n '/^command /,$p')
status=0
while read -r command algorithm measured; do
  for kind in algorithm measured; do
    want=${!kind}
    quoted=$(grep -o "<!-- figure count\.$command\.$kind -->[0-9]*<!-- /figure -->" "$doc" |
      sed 's/.*-->\([0-9]*\)<.*/\1/')
    if [ "$quoted" != "$want" ]; then
      echo "FAIL $doc quotes $quoted for $command's $kind host calls; the code makes $want"
      status=1
    fi
  done
done < <(printf '%s\n' "$table" | grep -E '^[A-Za-z]+Task ')
[ $status -eq 0 ] && echo "every quoted count is the code's"
exit $status
