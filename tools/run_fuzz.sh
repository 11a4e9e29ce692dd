#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, ASan+UBSan) and runs each briefly with a fixed seed from the
# committed corpus (fuzz/corpus/<target>; the scene target's seeds are whole games), plus a generated
# message past 1 MiB for the dispatcher. Exits non-zero on a finding; the crashing input is kept in build/fuzz/artifacts/.
#   tools/run_fuzz.sh            default number of runs
#   TRELVO_FUZZ_RUNS=100000 tools/run_fuzz.sh
#   TRELVO_FUZZ_SECONDS=30 tools/run_fuzz.sh     each target stops after 30 s at most (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${TRELVO_FUZZ_RUNS:-5000}
seconds=${TRELVO_FUZZ_SECONDS:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_pipes fuzz_dispatcher fuzz_scene

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build/fuzz/artifacts

# The fuzzer adds what it finds to the first folder: a scratch copy, so the committed corpus stays as is.
mkdir -p "$work/pipes" "$work/dispatcher" "$work/scene"
cp fuzz/corpus/pipes/* "$work/pipes/"
cp fuzz/corpus/dispatcher/* "$work/dispatcher/"
cp fuzz/corpus/scene/* "$work/scene/"
# A table list of 1.1 MB in the lobby (90 000 tables), then one whose entries are bad fields.
{
    printf '\0017;2;90000;'
    for _ in $(seq 90000); do printf '1000;0;1;0;2;'; done
    printf '\n7;2;3;'
    head -c 3000 /dev/zero | tr '\0' 'x' | sed 's/x/x;/g'
} >"$work/dispatcher/huge-table-list"

# Each target's progress goes to its own log; a finding prints the end of it, a clean run one line.
run_target() {
    local name=$1
    shift
    local log="build/fuzz/$name.log"
    if ! "$@" >"$log" 2>&1; then
        echo "$name: FOUND A FAULT (the input is in build/fuzz/artifacts/); the end of $log:"
        tail -n 60 "$log"
        return 1
    fi
    echo "$name: clean, $(grep -E '^Done [0-9]+ runs' "$log" | tail -n 1)"
}

run_target fuzz_pipes build/fuzz/fuzz/fuzz_pipes -seed=1 -runs="$runs" -max_len=2048 -len_control=0 -max_total_time="$seconds" \
    -rss_limit_mb=2048 -artifact_prefix=build/fuzz/artifacts/ "$work/pipes"
run_target fuzz_dispatcher build/fuzz/fuzz/fuzz_dispatcher -seed=1 -runs="$runs" -max_len=1300000 -max_total_time="$seconds" \
    -rss_limit_mb=4096 -artifact_prefix=build/fuzz/artifacts/ "$work/dispatcher"
# The real scene is slower per input: whole games with their animations and timers.
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" \
    LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0" \
    run_target fuzz_scene build/fuzz/fuzz/fuzz_scene -seed=1 -runs="$runs" -max_len=8192 \
    -max_total_time="$seconds" -rss_limit_mb=4096 -artifact_prefix=build/fuzz/artifacts/ "$work/scene"
