#!/usr/bin/env bash
# Builds the Debian package from a configured build folder and checks it:
# its contents, lintian's verdict (no error, no warning, no missing
# hardening), a sample session
# with the unpacked program (under the build's emulator, for a cross build)
# and the unpacked manual page, rendered without a groff warning. For a
# native build it also checks that the package is reproducible: built with
# README's commands from the last commit in two fresh folders, seconds
# apart, it has the same bytes.
# usage: scripts/check-package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

fail() { echo "package check: $*" >&2; exit 1; }

cmake --build "$build" --target kestrion
rm -f "$build"/kestrion_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/kestrion_*.deb)
dpkg-deb -f "$deb" Package Version Architecture Section Maintainer

contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for path in ./usr/bin/kestrion ./usr/share/man/man1/kestrion.1.gz \
            ./usr/share/doc/kestrion/copyright ./usr/share/doc/kestrion/changelog.gz; do
    grep -qx "$path" <<< "$contents" || fail "$path missing from $(basename "$deb")"
done

lintian --allow-root --fail-on error,warning --display-info "$deb" > "$build/lintian.txt" ||
    { cat "$build/lintian.txt"; fail "lintian found errors or warnings"; }
cat "$build/lintian.txt"
! grep -q "hardening-" "$build/lintian.txt" || fail "the program lacks Debian's hardening"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
emulator=$(sed -n 's/^KESTRION_CROSS_QEMU:[A-Z]*=//p' "$build/CMakeCache.txt")  # empty for a native build
got=$(echo "1 1 5800 4000 5500" | $emulator "$scratch/usr/bin/kestrion" | sed -n 13,15p)
want=$'Luminosity\n    star1=0.884857\n    star2=0.115143'
[ "$got" = "$want" ] || fail "unexpected session output: $got"

page="$scratch/usr/share/man/man1/kestrion.1.gz"
warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
[ -z "$warnings" ] || fail "man page warnings: $warnings"
MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "HOW THE SHARES ARE COMPUTED" || fail "man page did not render"

if [ -z "$emulator" ]; then
    for copy in first second; do
        git clone -q . "$scratch/$copy"
        (cd "$scratch/$copy" && cmake --preset release >/dev/null && cmake --build --preset release >/dev/null &&
            cd build-release && cpack -G DEB >/dev/null)
        sleep 2
    done
    cmp "$scratch"/first/build-release/kestrion_*.deb "$scratch"/second/build-release/kestrion_*.deb ||
        fail "two builds of the package from one commit differ"
    echo "package reproducible: two builds from $(git rev-parse --short HEAD) are identical"
fi
echo "package check passed: $(basename "$deb")"
