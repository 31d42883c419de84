#!/usr/bin/env bash
# Cross-builds kestrion.exe for 64-bit Windows with mingw-w64 (the native
# back end: the x87 unit), runs the whole test suite, the long sweeps
# included (the exhaustive checks not), under Wine, and checks that the program prints byte for byte
# what the Linux build prints, on a generated catalogue. GMP and MPFR are
# built statically for Windows from Debian's own source packages, and
# GoogleTest from Debian's googletest sources, all into BUILD_DIR/deps,
# where a second run finds them. Installs with apt-get what it needs.
# usage: scripts/test-windows.sh [BUILD_DIR]   (BUILD_DIR: build-win64)
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p "${1:-build-win64}"
build=$(cd "${1:-build-win64}" && pwd)
deps=$build/deps
host=x86_64-w64-mingw32
export WINEPREFIX=$build/wine WINEDEBUG=-all DEBIAN_FRONTEND=noninteractive

need=()
for p in g++-mingw-w64-x86-64-posix wine64 m4 make cmake dpkg-dev googletest python3 xz-utils; do
    dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    # A mirror in the middle of a sync can fail one index while the packages
    # still install: go on with the indexes at hand; a failed install stops.
    apt-get update -qq || echo "apt-get update failed (status $?); installing with the package indexes at hand"
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# Debian's sources for the archive this machine installs from, through an
# apt configuration of its own: the machine's stays as it is.
fetch_sources() {
    local apt=$deps/apt
    mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache/archives/partial" "$deps/src"
    : > "$apt/sources.list"
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^deb \(.*debian.*\)/deb-src \1/p' /etc/apt/sources.list > "$apt/sources.list"
    fi
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && grep -q 'debian' "$f" || continue
        sed 's/^Types: deb$/Types: deb-src/' "$f" > "$apt/parts/$(basename "$f")"
    done
    local options=(-o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts="$apt/parts"
                   -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache")
    # As with the packages: a mirror mid-sync may fail one index, and the
    # source download that follows says whether the rest were enough.
    apt-get "${options[@]}" update -qq ||
        echo "apt-get update of the source indexes failed (status $?); fetching with those at hand"
    (cd "$deps/src" && apt-get "${options[@]}" source -qq gmp mpfr4 2>/dev/null)
}

autotools_build() {  # name source-dir configure-arguments…
    local name=$1 source=$2
    shift 2
    mkdir -p "$deps/build-$name"
    (cd "$deps/build-$name" &&
        "$source/configure" --host=$host --build=x86_64-pc-linux-gnu --prefix="$deps" \
            --enable-static --disable-shared CC=$host-gcc-posix "$@" > configure.log &&
        make -j2 > make.log && make install > install.log)
}

if [ ! -f "$deps/lib/libmpfr.a" ]; then
    fetch_sources
    gmp=$(ls -d "$deps"/src/gmp-*/)
    mpfr=$(ls -d "$deps"/src/mpfr4-*/)
    # Debian's GMP source leaves out the manual, which its build still names.
    mkdir -p "$gmp/doc"
    printf 'all install install-strip check clean distclean installcheck uninstall info dvi pdf html:\n\t@:\n' \
        > "$gmp/doc/Makefile.in"
    autotools_build gmp "$gmp"
    autotools_build mpfr "$mpfr" --with-gmp="$deps"
fi
if [ ! -f "$deps/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$deps/build-googletest" -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-windows.cmake" -DKESTRION_WINDOWS_DEPS="$deps" \
        -DCMAKE_INSTALL_PREFIX="$deps" > /dev/null
    cmake --build "$deps/build-googletest" -j2 > /dev/null
    cmake --install "$deps/build-googletest" > /dev/null
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-windows.cmake" -DKESTRION_WINDOWS_DEPS="$deps" \
    -DCMAKE_PREFIX_PATH="$deps" -DKESTRION_EXTENDED=auto > /dev/null
chosen=$(sed -n 's/^KESTRION_EXTENDED_BACKEND:INTERNAL=//p' "$build/CMakeCache.txt")
[ "$chosen" = native ] || { echo "expected the Windows build to choose the native back end, got '$chosen'" >&2; exit 1; }
cmake --build "$build" -j2
file "$build/kestrion.exe" | grep -q "PE32+ executable.*x86-64" || { echo "$build/kestrion.exe is not a Windows program" >&2; exit 1; }

# One Wine server for the whole run, rather than one started for every
# test, with Wine's own services started first, away from the tests'
# pipes: they would otherwise inherit the first test's output, and CTest
# would wait on it for ever.
/usr/lib/wine/wineserver -p
trap '/usr/lib/wine/wineserver -k || true' EXIT
/usr/lib/wine/wine64 cmd /c exit < /dev/null > /dev/null 2>&1
ctest --test-dir "$build" -j2 --output-on-failure -LE exhaustive

# The same bytes as the Linux program, whose build is README's run command.
cmake --preset release > /dev/null && cmake --build --preset release > /dev/null
catalogue=$build/catalogue.txt
python3 bench/generate_input.py 20000 > "$catalogue"
python3 bench/generate_input.py --long 20000 >> "$catalogue"
printf '1 1 202.70840454101562 5800 1000\njunk\n1e 2.5E- 0x10 inf 5e3\n\0\r\n1 0.79 7963.075 6000 7336.4067\n' >> "$catalogue"
./build-release/kestrion < "$catalogue" > "$build/linux.out" 2> "$build/linux.err"
/usr/lib/wine/wine64 "$build/kestrion.exe" < "$catalogue" > "$build/windows.out" 2> "$build/windows.err"
for stream in out err; do
    cmp "$build/linux.$stream" "$build/windows.$stream" ||
        { echo "kestrion.exe and the Linux program write different bytes (std$stream)" >&2; exit 1; }
done
echo "win64: kestrion.exe prints what the Linux program prints ($(wc -c < "$build/linux.out") bytes)"
