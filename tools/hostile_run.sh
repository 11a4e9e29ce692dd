#!/usr/bin/env bash
# A hostile game server against the real client under ASan+UBSan, over the real pipe: trelvo-hostile
# plays the host, brings the client to a table by real clicks (under a private Xvfb with openbox) and
# sends whole games with seeded mutations. Prints the client's deaths, its error boxes, the slowest
# answer and its memory against the start. Not a CI test: it takes several minutes.
#   tools/hostile_run.sh [MESSAGES] [SEED]        (defaults 20000 and 1)
#   TRELVO_HOSTILE_BUILD=default tools/hostile_run.sh    the same against the default build
set -euo pipefail
cd "$(dirname "$0")/.."

messages=${1:-20000}
seed=${2:-1}
preset=${TRELVO_HOSTILE_BUILD:-asan}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target trelvo trelvo-hostile

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"
client_err="$work/client.err"

# Its own network namespace: the pipe's and the instance guard's names are private to this run.
unshare -n bash -s "$preset" "$messages" "$seed" "$work" "$client_err" <<'INNER'
set -uo pipefail
preset=$1 messages=$2 seed=$3 work=$4 client_err=$5
ip link set lo up
export XDG_RUNTIME_DIR=$work
source tools/x_session.sh
x_session_start 120
# ASan keeps 256 MiB of freed memory aside by default, to catch late uses of it; that would be most of
# the memory figure. 32 MiB still catches a use soon after the free, and leaves the figure the client's.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:quarantine_size_mb=32 UBSAN_OPTIONS=print_stacktrace=1
sleep 1
"build/$preset/tools/hostile/trelvo-hostile" "build/$preset/src/app/trelvo" "$messages" "$seed" "$client_err"
rc=$?
x_session_stop
echo "error boxes          $(grep -c 'error box:' "$client_err")"
echo "sanitizer reports    $(grep -cE 'ERROR: AddressSanitizer|runtime error:' "$client_err")"
grep -E 'error box:|ERROR: AddressSanitizer|runtime error:' "$client_err" | sort | uniq -c | sort -rn | head -20
exit $rc
INNER
