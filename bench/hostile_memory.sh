#!/usr/bin/env bash
# Peak resident memory and time for the hostile inputs: a 1 GiB line of
# letters, a 1 GiB run of digits, a 100,000-digit literal, a 400-digit
# exponent, all streamed into the program.
# usage: bench/hostile_memory.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
stats=$(mktemp)
trap 'rm -f "$stats"' EXIT
tail_values=" 0.9655985959905 9.1292e+03 13270.027243044078 5.213010e+03"

run() {  # name, then a command writing the input
    local name=$1
    shift
    "$@" | "$here/peak_memory.sh" "$stats" "$build/kestrion" > /dev/null 2>&1
    read -r seconds kib < <(tail -n 1 "$stats")
    printf '%-28s %6.2f s  peak RSS %6.2f MiB\n' "$name" "$seconds" "$(awk -v k="$kib" 'BEGIN{print k/1024}')"
}

run "1 GiB line of letters" sh -c "head -c 1073741824 /dev/zero | tr '\\0' x; echo; echo '$tail_values'"
run "1 GiB run of digits" sh -c "head -c 1073741824 /dev/zero | tr '\\0' 7; echo '$tail_values'"
run "100,000-digit literal" sh -c "printf '0.585'; head -c 100000 /dev/zero | tr '\\0' 0; echo '1 $tail_values'"
run "400-digit exponent" sh -c "printf '0.585e-'; head -c 399 /dev/zero | tr '\\0' 0; echo '1 $tail_values'"
