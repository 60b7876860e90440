# Sourced by the run and test scripts: a private Wine prefix under the build tree and,
# when asked for, a private Xvfb display that is stopped again on exit.
: "${BUILD_DIR:?}"
export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
watcher_pid=""

start_private_display() {
    local number
    for number in $(seq 91 140); do
        if [ ! -e "/tmp/.X${number}-lock" ] && [ ! -e "/tmp/.X11-unix/X${number}" ]; then
            Xvfb ":${number}" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
            xvfb_pid=$!
            export DISPLAY=":${number}"
            for _ in $(seq 1 50); do
                xdpyinfo >/dev/null 2>&1 && return 0
                sleep 0.1
            done
            kill "$xvfb_pid" 2>/dev/null || true
        fi
    done
    echo "could not start Xvfb" >&2
    return 1
}

# A message box blocks the program that shows it. Tests find and close their own boxes;
# this watcher is the safety net that closes any box still open 10 s after it was seen.
start_box_watcher() {
    (
        declare -A seen
        while sleep 5; do
            for window in $(xdotool search --onlyvisible --name '^(Error|Info|Warning)$' 2>/dev/null); do
                if [ -n "${seen[$window]:-}" ]; then
                    echo "box watcher: closing a message box left open" >&2
                    xdotool key --window "$window" Return 2>/dev/null || true
                    xdotool windowclose "$window" 2>/dev/null || true
                else
                    seen[$window]=1
                fi
            done
        done
    ) &
    watcher_pid=$!
}

# desktop: "virtual" runs every program in a 1024x768 Wine desktop, where display-mode
# changes (16-bit modes included) are emulated; "real" uses the X display as it is.
prepare_wine_prefix() {
    local desktop=${1:-virtual}
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        timeout 300 wineboot -i >/dev/null 2>&1 || true
        timeout 120 wineserver -w || true
    fi
    if [ "$desktop" = virtual ]; then
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
    else
        wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
    fi
    timeout 60 wineserver -k >/dev/null 2>&1 || true
}

stop_wine_and_display() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$watcher_pid" ] && kill "$watcher_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
