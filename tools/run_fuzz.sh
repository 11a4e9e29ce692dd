#!/usr/bin/env bash
# Builds the pipe reader's fuzz target (clang, libFuzzer, ASan+UBSan) and runs it briefly with a fixed
# seed. Exits non-zero on a finding; the crashing input is kept in build/fuzz/artifacts/.
#   tools/run_fuzz.sh            default number of runs
#   TRELVO_FUZZ_RUNS=100000 tools/run_fuzz.sh
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${TRELVO_FUZZ_RUNS:-5000}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_pipes

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
mkdir -p build/fuzz/artifacts
build/fuzz/fuzz/fuzz_pipes -seed=1 -runs="$runs" -max_len=2048 -len_control=0 -max_total_time=60 -rss_limit_mb=2048 \
    -artifact_prefix=build/fuzz/artifacts/ "$corpus"
