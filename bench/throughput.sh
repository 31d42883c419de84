#!/usr/bin/env bash
# Cycles per second and peak resident memory of a build, on two generated
# catalogues piped in with output to /dev/null: short literals, as people
# type them, and 17-digit literals, as other programs write them.
# usage: bench/throughput.sh [BUILD_DIR] [CYCLES] [RUNS]
# With the benchmarks built (-DKESTRION_BENCHMARKS=ON) it also measures the
# plain scanf/printf rendition, for scale.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
cycles=${2:-1000000}
runs=${3:-5}

stats=$(mktemp)
trap 'rm -f "$stats"' EXIT

measure() {  # name binary input
    local best=""
    local peak=0
    for _ in $(seq "$runs"); do
        local line
        /usr/bin/time -o "$stats" -f '%e %M' "$2" < "$3" > /dev/null 2>/dev/null
        line=$(tail -n 1 "$stats")
        local seconds=${line% *} kib=${line#* }
        if [ -z "$best" ] || awk -v a="$seconds" -v b="$best" 'BEGIN{exit !(a<b)}'; then best=$seconds; fi
        [ "$kib" -gt "$peak" ] && peak=$kib
    done
    awk -v n="$1" -v c="$cycles" -v s="$best" -v k="$peak" \
        'BEGIN{ if (s < 0.01) s = 0.01; printf "%-24s %9d cycles  best %6.2f s  %10.0f cycles/s  peak RSS %6.2f MiB\n", n, c, s, c/s, k/1024 }'
}

for kind in short long; do
    input=${TMPDIR:-/tmp}/kestrion-catalogue-$kind-$cycles.txt
    if [ ! -s "$input" ]; then
        if [ "$kind" = long ]; then
            python3 "$here/generate_input.py" --long "$cycles" > "$input"
        else
            python3 "$here/generate_input.py" "$cycles" > "$input"
        fi
    fi
    measure "kestrion ($kind)" "$build/kestrion" "$input"
    if [ -x "$build/bench/stdio_baseline" ]; then measure "stdio_baseline ($kind)" "$build/bench/stdio_baseline" "$input"; fi
done
exit 0
