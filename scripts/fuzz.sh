#!/usr/bin/env bash
# Builds the libFuzzer target (clang, ASan + UBSan) and fuzzes the whole
# dialogue for SECONDS (default 60), starting from fuzz/corpus. Exits non-zero
# on any finding; the crashing input is left in build-fuzz/findings/.
# usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

work=build-fuzz/corpus
mkdir -p "$work" build-fuzz/findings
cp fuzz/corpus/* "$work"/
log=build-fuzz/fuzz.log
status=0
build-fuzz/fuzz/dialogue_fuzzer "$work" \
    -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix=build-fuzz/findings/ > "$log" 2>&1 || status=$?
grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|^stat::|SUMMARY|ERROR|runtime error|^Done' "$log" || true
if [ "$status" -ne 0 ]; then
    tail -n 40 "$log"
    echo "fuzzing found a failure (status $status); inputs in build-fuzz/findings/"
fi
exit "$status"
