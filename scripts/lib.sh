# Shared by scripts/test and scripts/run: the builds, the X display and
# the Wine prefix.  Source it; it defines functions only.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

build_native() {
    cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build "$root/build/native" -j "$jobs"
}

build_windows() {
    cmake -S "$root" -B "$root/build/mingw" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
    cmake --build "$root/build/mingw" -j "$jobs"
}

# Starts Xvfb on a free display unless DISPLAY already works; the screen
# is 1280x1024 unless a size such as 1024x768 is given.
start_display() {
    local size=${1:-1280x1024}
    if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
        return 0
    fi
    local n
    for n in $(seq 90 130); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
        xvfb_pid=$!
        export DISPLAY=":$n"
        for _ in $(seq 50); do
            xdpyinfo >/dev/null 2>&1 && return 0
            sleep 0.2
        done
        kill "$xvfb_pid" 2>/dev/null || true
    done
    echo "could not start Xvfb" >&2
    return 1
}

# A private Wine prefix, created once per build tree.
prepare_wine() {
    export WINEPREFIX="$root/build/wineprefix"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        timeout 300 wine wineboot --init >/dev/null 2>&1 || true
        timeout 120 wineserver -w || true
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
        # Without a window manager, managed windows make every dialog wait
        # for window-manager events that never come.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
        timeout 60 wineserver -w || true
    fi
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine prefix could not be created" >&2; return 1; }
    # One server for the whole run saves its start-up per test program.
    # Its first program starts Wine's background services, which keep that
    # program's output open: start them here, away from ctest's pipes.
    wineserver -p >/dev/null 2>&1 || true
    timeout 120 wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

stop_wine_and_display() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
}
