#!/bin/bash
# Builds everything for x86 and x64 and runs the whole test suite: the native
# tests of the pure code under the sanitizers with the fuzz runs, then the
# Windows tests of each architecture under Wine.
set -uo pipefail
source "$(dirname "$0")/lib.sh"

bash "$ROOT/tools/setup.sh" || exit 1

status=0
trap 'for a in x86 x64; do [ -x "$BUILD/$a/wine-run" ] && "$BUILD/$a/wine-run" --stop; done; stop_xvfb' EXIT

echo "== native build (pure code, sanitizers)"
build_native || exit 1
(cd "$BUILD/native" && ctest --output-on-failure) || status=1

start_xvfb
for arch in x64 x86; do
    echo "== $arch build"
    build_win "$arch" || exit 1
    if [ "$arch" = x86 ] && ! can_run_x86; then
        echo "== x86 tests NOT RUN: this machine's kernel cannot run 32-bit programs (built only)"
        continue
    fi
    echo "== $arch tests under Wine (display $DISPLAY)"
    "$BUILD/$arch/wine-run" --prepare
    (cd "$BUILD/$arch" && ctest --output-on-failure --timeout 300) || status=1
    "$BUILD/$arch/wine-run" --stop
done

exit $status
