#!/usr/bin/env bash
# Cross-compiles kestrion for another Linux architecture with the auto back
# end, checks the back end it chose, leaves the program at BUILD_DIR/kestrion,
# runs the test suite under qemu-user, leaving the long sweeps and the
# exhaustive checks out, and
# builds and checks the architecture's Debian package
# (BUILD_DIR/kestrion_VERSION_ARCH.deb) as scripts/check-package.sh does.
# Installs with apt-get what it needs: the cross compiler, the
# architecture's libgtest-dev and libmpfr-dev, qemu-user, and the
# packaging tools.
# usage: scripts/test-cross.sh ARCH [BUILD_DIR]
#   ARCH: aarch64, armhf, i386, s390x (big-endian) or ppc64el; BUILD_DIR: build-ARCH
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${1:?usage: scripts/test-cross.sh aarch64|armhf|i386|s390x|ppc64el|win64 [BUILD_DIR]}
build=${2:-build-$arch}

# Debian architecture, compiler triple, library folder, emulator, the back
# end auto must choose (only i386 has the x87 format), and readelf's name
# for the machine.
case $arch in
    aarch64) deb=arm64   triple=aarch64-linux-gnu     multiarch=aarch64-linux-gnu     qemu=qemu-aarch64 backend=soft   machine=AArch64 ;;
    armhf)   deb=armhf   triple=arm-linux-gnueabihf   multiarch=arm-linux-gnueabihf   qemu=qemu-arm     backend=soft   machine=ARM ;;
    i386)    deb=i386    triple=i686-linux-gnu        multiarch=i386-linux-gnu        qemu=qemu-i386    backend=native machine='Intel 80386' ;;
    s390x)   deb=s390x   triple=s390x-linux-gnu       multiarch=s390x-linux-gnu       qemu=qemu-s390x   backend=soft   machine='IBM S/390' ;;
    ppc64el) deb=ppc64el triple=powerpc64le-linux-gnu multiarch=powerpc64le-linux-gnu qemu=qemu-ppc64le backend=soft   machine=PowerPC64 ;;
    win64)   exec "$(dirname "$0")/test-windows.sh" "$build" ;;
    *) echo "unknown architecture '$arch': aarch64, armhf, i386, s390x, ppc64el or win64" >&2; exit 2 ;;
esac

need=()
dpkg --print-foreign-architectures | grep -qx "$deb" || dpkg --add-architecture "$deb"
for p in "g++-$triple" "libmpfr-dev:$deb" "libgtest-dev:$deb" qemu-user cmake binutils dpkg-dev lintian man-db groff-base; do
    dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    # A mirror in the middle of a sync can fail one index while the packages
    # still install: go on with the indexes at hand; a failed install stops.
    apt-get update -qq || echo "apt-get update failed (status $?); installing with the package indexes at hand"
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-cross.cmake" \
    -DKESTRION_CROSS_PROCESSOR="$arch" -DKESTRION_CROSS_TRIPLE="$triple" \
    -DKESTRION_CROSS_MULTIARCH="$multiarch" -DKESTRION_CROSS_QEMU="$qemu" \
    -DKESTRION_EXTENDED=auto >/dev/null
chosen=$(sed -n 's/^KESTRION_EXTENDED_BACKEND:INTERNAL=//p' "$build/CMakeCache.txt")
if [ "$chosen" != "$backend" ]; then
    echo "expected the $arch build to choose the $backend back end, got '$chosen'" >&2
    exit 1
fi
echo "$arch: back end $chosen"
cmake --build "$build" -j2
readelf -h "$build/kestrion" | grep -q "Machine: *$machine" || { echo "$build/kestrion is not an $arch program" >&2; exit 1; }
ctest --test-dir "$build" -j2 --output-on-failure -LE "sweep|exhaustive"
scripts/check-package.sh "$build"
