#!/usr/bin/env bash
# Cycles per second and peak resident memory of a build, on two generated
# catalogues piped in with output to /dev/null: short literals, as people
# type them, and 17-digit literals, as other programs write them. Each
# program runs RUNS times, and the figure is the median of its CPU times
# (user plus system, to the millisecond), which other work on the machine
# disturbs less than the elapsed time.
# usage: bench/throughput.sh [BUILD_DIR] [CYCLES] [RUNS]
# With the benchmarks built (-DKESTRION_BENCHMARKS=ON) it also measures the
# two other renditions of the program, for scale, and how many times faster
# kestrion is than each: the plain scanf/printf one (stdio_baseline) and the
# one with block reads and writes and <charconv> (charconv_baseline, where
# the C++ library has floating-point from_chars).
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
        'BEGIN { if (s < 0.001) s = 0.001; printf "%-27s %9d cycles  CPU %7.3f s  %10.0f cycles/s  peak RSS %6.2f MiB\n", n, c, s, c / s, k / 1024 }'
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
    for peer in "stdio_baseline:plain rendition" "charconv_baseline:charconv rendition"; do
        program=${peer%%:*}
        if [ -x "$build/bench/$program" ]; then
            measure "$program ($kind)" "$build/bench/$program" "$input"
            awk -v a="$seconds" -v b="$ours" -v p="${peer#*:}" -v k="$kind" \
                'BEGIN { printf "kestrion is %.1f times the %s (%s)\n", a / (b < 0.001 ? 0.001 : b), p, k }'
        fi
    done
done
exit 0
