#!/usr/bin/env bash
# A hostile game server against the real host and its real client: trelvo-hostile-server plays the game
# server on loopback, trelvo-host --server logs in with its client (under a private Xvfb with openbox), and
# the server breaks its rules: subcodes that are no numbers, floods of checks and table lists, seeded
# mutations, then one broken session after another. Ends with the host and the client alive, a check
# answered within seconds and both within twice their start memory, or exits 1 and says what failed.
#   tools/hostile_server_run.sh [PHASE_SECONDS] [SEED] [BROKEN_SESSIONS]   (defaults 10, 1 and all 10)
#   TRELVO_HOSTILE_BUILD=asan tools/hostile_server_run.sh                   the same under ASan+UBSan
# CI runs a short form: tools/hostile_server_run.sh 5 1 5 (about two minutes).
set -euo pipefail
cd "$(dirname "$0")/.."

phase=${1:-10}
seed=${2:-1}
broken=${3:-10}
preset=${TRELVO_HOSTILE_BUILD:-default}
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j2 --target trelvo trelvo-host trelvo-hostile-server

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
chmod 700 "$work"

# Its own network namespace: the pipe's and the instance guard's names, and loopback, are this run's.
unshare -n bash -s "$preset" "$phase" "$seed" "$broken" "$work" <<'INNER'
set -uo pipefail
preset=$1 phase=$2 seed=$3 broken=$4 work=$5
ip link set lo up
export XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/config
source tools/x_session.sh
x_session_start 130
# Nothing leaves the machine: no statistics service, no probe.
export TRELVO_STATS_SERVICE= TRELVO_STATS_PROBE=
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:quarantine_size_mb=32 UBSAN_OPTIONS=print_stacktrace=1
"build/$preset/tools/hostile/trelvo-hostile-server" "build/$preset/host/trelvo-host" "build/$preset/src/app/trelvo" \
    "$phase" "$seed" "$broken" 2>"$work/run.err"
rc=$?
x_session_stop
grep -vE '^(qt|trelvo)\.|^$' "$work/run.err" | grep -E 'frames|answered|dropped|KEPT|never|trouble|logged in|sanitizer|ERROR|runtime error' | head -40
exit $rc
INNER
