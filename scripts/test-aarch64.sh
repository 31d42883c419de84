#!/usr/bin/env bash
# Cross-compiles kestrion for 64-bit ARM Linux, where long double is IEEE
# quad, so the build chooses the MPFR back end by itself; leaves the program
# at BUILD_DIR/kestrion and runs the whole test suite under qemu-user.
# usage: scripts/test-aarch64.sh [BUILD_DIR]   (default build-aarch64)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-aarch64}

need=()
dpkg --print-foreign-architectures | grep -qx arm64 || dpkg --add-architecture arm64
for p in g++-aarch64-linux-gnu libmpfr-dev:arm64 libgtest-dev:arm64 qemu-user cmake; do
    dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-aarch64-linux-gnu.cmake" \
    -DKESTRION_EXTENDED=auto -DKESTRION_WERROR="${CI:-OFF}"
backend=$(sed -n 's/^KESTRION_EXTENDED_BACKEND:INTERNAL=//p' "$build/CMakeCache.txt")
if [ "$backend" != mpfr ]; then
    echo "expected the aarch64 build to choose the mpfr back end, got '$backend'" >&2
    exit 1
fi
cmake --build "$build" -j2
# ELF machine 0xb7 is AArch64.
[ "$(od -An -tx1 -j18 -N2 "$build/kestrion" | tr -d " ")" = b700 ] || { echo "$build/kestrion is not an aarch64 program" >&2; exit 1; }
ctest --test-dir "$build" -j2 --output-on-failure
