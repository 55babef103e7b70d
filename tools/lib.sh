# Shared by the project's scripts.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VIX_BUILD_DIR:-$ROOT/build}"
JOBS="${VIX_JOBS:-2}"

# Builds take a machine-wide lock: two builds never run at once here.
locked() { flock /tmp/vix-build.lock "$@"; }

configure_win() {  # arch
    local arch=$1
    if [ ! -f "$BUILD/$arch/build.ninja" ]; then
        cmake -S "$ROOT" -B "$BUILD/$arch" -G Ninja -DCMAKE_BUILD_TYPE=Release \
              -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-mingw-$arch.cmake" >/dev/null
    fi
}

build_win() {  # arch
    configure_win "$1"
    locked cmake --build "$BUILD/$1" -j "$JOBS"
}

build_native() {
    if [ ! -f "$BUILD/native/build.ninja" ]; then
        CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
    fi
    locked cmake --build "$BUILD/native" -j "$JOBS"
}

# A private X display for Wine's windows; sets DISPLAY and XVFB_PID.
start_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then return 0; fi
    local fifo
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    local num
    read -r num <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$num"
}

stop_xvfb() {
    if [ -n "${XVFB_PID:-}" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
    XVFB_PID=
}

# Whether this machine's kernel runs 32-bit programs (Wine's x86 programs
# need its 32-bit loader).
can_run_x86() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
