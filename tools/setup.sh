#!/bin/bash
# Installs what the build, the tests and the demo need, unless it is there:
# mingw-w64 for x86 and x64 with its tools, Wine with wine32 and wine64,
# Xvfb and ImageMagick, clang with libFuzzer and the sanitizers, CMake and
# Ninja, GoogleTest sources. Non-interactive and idempotent; run as root.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for p in g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools \
         wine wine64 wine32:i386 xvfb imagemagick x11-utils \
         cmake ninja-build clang libclang-rt-14-dev googletest libgtest-dev \
         util-linux; do
    have "$p" || need+=("$p")
done
if [ ${#need[@]} -eq 0 ]; then
    exit 0
fi
echo "setup: installing ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -q '^i386$'; then
    dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
