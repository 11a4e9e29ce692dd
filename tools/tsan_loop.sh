#!/usr/bin/env bash
# Runs ./test.sh tsan again and again (twenty times unless told otherwise) and counts ThreadSanitizer
# reports, so that a race that shows once in many runs is seen. Not part of CI: it takes an hour.
#   tools/tsan_loop.sh [RUNS] [ctest arguments...]
# Each run's output is kept in build/tsan-loop/run-N.log. On a machine shared with other checkouts, run it
# in a network namespace of its own: unshare -n bash -c 'ip link set lo up; tools/tsan_loop.sh'.
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-20}
[ $# -gt 0 ] && shift
logs=build/tsan-loop
mkdir -p "$logs"
total=0
failed=0
for i in $(seq "$runs"); do
    log="$logs/run-$i.log"
    if ! ./test.sh tsan "$@" >"$log" 2>&1; then
        failed=$((failed + 1))
    fi
    reports=$(grep -c 'WARNING: ThreadSanitizer' "$log" || true)
    total=$((total + reports))
    echo "run $i: $reports reports, $failed failed runs so far"
done
echo "$runs runs: $total ThreadSanitizer reports, $failed runs failed"
[ "$total" -eq 0 ] && [ "$failed" -eq 0 ]
