#!/usr/bin/env bash
# Two builds of the program on the same catalogues, run alternately in one
# session, so that the machine's drift touches both alike: the median CPU
# time (user plus system) of each, and their ratio, on the short and the
# 17-digit catalogue (generated as bench/throughput.sh does). Also checks
# that both print the same bytes.
# usage: bench/compare.sh BEFORE_PROGRAM AFTER_PROGRAM [CYCLES] [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
before=${1:?usage: bench/compare.sh BEFORE_PROGRAM AFTER_PROGRAM [CYCLES] [ROUNDS]}
after=${2:?usage: bench/compare.sh BEFORE_PROGRAM AFTER_PROGRAM [CYCLES] [ROUNDS]}
cycles=${3:-1000000}
rounds=${4:-11}

cpu_seconds() {  # program input
    local t
    t=$( { TIMEFORMAT='%3U %3S'; time "$1" < "$2" > /dev/null 2>/dev/null; } 2>&1 )
    awk -v t="$t" 'BEGIN { split(t, a, " "); printf "%.3f\n", a[1] + a[2] }'
}
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

for kind in short long; do
    input=${TMPDIR:-/tmp}/kestrion-catalogue-$kind-$cycles.txt
    if [ ! -s "$input" ]; then
        python3 "$here/generate_input.py" $([ "$kind" = long ] && echo --long) "$cycles" > "$input"
    fi
    cmp -s <("$before" < "$input" 2>&1) <("$after" < "$input" 2>&1) || { echo "the two programs print different bytes ($kind)" >&2; exit 1; }
    a=() b=()
    for _ in $(seq "$rounds"); do
        a+=("$(cpu_seconds "$before" "$input")")
        b+=("$(cpu_seconds "$after" "$input")")
    done
    ma=$(printf '%s\n' "${a[@]}" | median)
    mb=$(printf '%s\n' "${b[@]}" | median)
    awk -v k="$kind" -v a="$ma" -v b="$mb" 'BEGIN { printf "%-6s before %.3f s  after %.3f s  after/before %.3f\n", k, a, b, b / a }'
done
