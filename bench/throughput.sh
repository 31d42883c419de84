#!/usr/bin/env bash
# Cycles per second and peak resident memory of a build, on two generated
# catalogues piped in with output to /dev/null: short literals, as people
# type them, and 17-digit literals, as other programs write them. Each
# program runs RUNS times, and the figure is the median of its CPU times
# (user plus system, to the millisecond), which other work on the machine
# disturbs less than the elapsed time.
# usage: bench/throughput.sh [BUILD_DIR] [CYCLES] [RUNS]
# With the benchmarks built (-DKESTRION_BENCHMARKS=ON) it also measures the
# plain scanf/printf rendition, for scale, and how many times faster
# kestrion is.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
cycles=${2:-1000000}
runs=${3:-5}

stats=$(mktemp)
trap 'rm -f "$stats"' EXIT

# Prints a line for one program and sets `seconds`: name binary input.
measure() {
    local cpu=() t kib
    for _ in $(seq "$runs"); do
        t=$( { TIMEFORMAT='%3U %3S'; time "$2" < "$3" > /dev/null 2>/dev/null; } 2>&1 )
        cpu+=("$(awk -v t="$t" 'BEGIN { split(t, a, " "); printf "%.3f\n", a[1] + a[2] }')")
    done
    seconds=$(printf '%s\n' "${cpu[@]}" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
    "$here/peak_memory.sh" "$stats" "$2" < "$3" > /dev/null 2>/dev/null
    kib=$(tail -n 1 "$stats" | cut -d ' ' -f 2)
    awk -v n="$1" -v c="$cycles" -v s="$seconds" -v k="$kib" \
        'BEGIN { if (s < 0.001) s = 0.001; printf "%-24s %9d cycles  CPU %7.3f s  %10.0f cycles/s  peak RSS %6.2f MiB\n", n, c, s, c / s, k / 1024 }'
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
    ours=$seconds
    if [ -x "$build/bench/stdio_baseline" ]; then
        measure "stdio_baseline ($kind)" "$build/bench/stdio_baseline" "$input"
        awk -v a="$seconds" -v b="$ours" -v k="$kind" 'BEGIN { printf "kestrion is %.1f times the plain rendition (%s)\n", a / (b < 0.001 ? 0.001 : b), k }'
    fi
done
exit 0
