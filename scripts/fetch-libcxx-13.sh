#!/usr/bin/env bash
# Unpacks LLVM 13's libc++ into build-oldest-libcxx/ for the `oldest` preset
# (clang 13 with that library, as Xcode 14.0 to 14.2 and FreeBSD 13.1 give
# their users), and installs clang-13 with apt-get if it is missing. The
# library is unpacked from Debian's packages, not installed: Debian's
# libc++-13-dev and libc++-14-dev conflict, and installing one removes the
# other, which the other libc++ presets build against. A second run finds
# it in place and does nothing.
# usage: scripts/fetch-libcxx-13.sh
set -euo pipefail
cd "$(dirname "$0")/.."
dest=build-oldest-libcxx
if [ -f "$dest/usr/lib/llvm-13/include/c++/v1/version" ] && command -v clang++-13 >/dev/null; then
    exit 0
fi

export DEBIAN_FRONTEND=noninteractive
# A mirror in the middle of a sync can fail one index while the packages
# still install: go on with the indexes at hand; a failed install stops.
apt-get update -qq || echo "apt-get update failed (status $?); downloading with the package indexes at hand"
command -v clang++-13 >/dev/null || apt-get install -y -qq --no-install-recommends clang-13 >/dev/null

# apt-get download writes as the _apt user where it can: a folder it may write.
packages=$(mktemp -d)
trap 'rm -rf "$packages"' EXIT
chmod a+rwx "$packages"
(cd "$packages" && apt-get download -q libc++-13-dev libc++abi-13-dev libc++1-13 libc++abi1-13 \
    libunwind-13 libunwind-13-dev >/dev/null)
rm -rf "$dest.partial"
for deb in "$packages"/*.deb; do dpkg -x "$deb" "$dest.partial"; done
rm -rf "$dest"
mv "$dest.partial" "$dest"
echo "LLVM 13's libc++ is in $dest/usr/lib/llvm-13"
