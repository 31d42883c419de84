#!/usr/bin/env bash
# Builds the Debian package from a configured build folder, unpacks it into a
# scratch folder, runs a sample session with the unpacked program, and
# renders the unpacked man page, failing on any groff warning.
# usage: scripts/check-package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

cmake --build "$build" --target kestrion
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/kestrion_*.deb)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
dpkg-deb -f "$deb" Package Version Section Maintainer

fail() { echo "package check: $*" >&2; exit 1; }

got=$(echo "1 1 5800 4000 5500" | "$scratch/usr/bin/kestrion" | sed -n 13,15p)
want=$'Luminosity\n    star1=0.884857\n    star2=0.115143'
[ "$got" = "$want" ] || fail "unexpected session output: $got"

page="$scratch/usr/share/man/man1/kestrion.1"
[ -f "$page" ] || fail "no man page in the package"
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man page warnings: $warnings"
MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "HOW THE SHARES ARE COMPUTED" || fail "man page did not render"
echo "package check passed: $(basename "$deb")"
