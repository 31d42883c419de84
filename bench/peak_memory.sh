#!/usr/bin/env bash
# Runs PROGRAM on the standard streams it is given and writes "SECONDS KIB",
# its elapsed seconds and peak resident memory in KiB, as the last line of
# STATS_FILE; exits with the program's status. GNU time (Linux) reports both
# with -f. The time of macOS and the BSDs has no -f: it reports them with
# -l, among the program's standard error (which is then not passed on), and
# macOS counts the peak in bytes where the BSDs count KiB.
# usage: bench/peak_memory.sh STATS_FILE PROGRAM [ARGUMENT...]
set -uo pipefail
stats=${1:?usage: bench/peak_memory.sh STATS_FILE PROGRAM [ARGUMENT...]}
shift
if /usr/bin/time -f '' true 2>/dev/null; then
    exec /usr/bin/time -o "$stats" -f '%e %M' "$@"
fi
report=$(mktemp)
trap 'rm -f "$report"' EXIT
status=0
/usr/bin/time -l "$@" 2> "$report" || status=$?
awk -v unit="$([ "$(uname -s)" = Darwin ] && echo 1024 || echo 1)" '
    / real / { seconds = $1 }
    /maximum resident set size/ { kib = int($1 / unit) }
    END { print seconds, kib }' "$report" > "$stats"
exit "$status"
