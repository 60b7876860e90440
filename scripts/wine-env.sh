# Sourced by the run and test scripts: a private Wine prefix under the build tree and,
# when asked for, a private Xvfb display that is stopped again on exit.
: "${BUILD_DIR:?}"
export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
watcher_pid=""
# What the box watcher closed: a run that leaves a box open fails (check_box_watcher).
box_watcher_log="$BUILD_DIR/box-watcher.log"
box_watcher_displays="$BUILD_DIR/box-watcher.displays"
# The X servers started by start_x_server, stopped by stop_x_servers.
x_servers=()

# The Release Win32 build of the benchmarks in $BUILD_DIR, made up to the given targets.
build_win32_bench() {
    local source_root
    source_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    cmake -S "$source_root" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$source_root/cmake/mingw-i686.cmake" \
          -DNOVADRIFT_BENCHMARKS=ON >/dev/null
    cmake --build "$BUILD_DIR" --target "$@" -j"$(nproc)" >/dev/null
}

start_private_display() {
    local number
    for number in $(seq 91 140); do
        if [ ! -e "/tmp/.X${number}-lock" ] && [ ! -e "/tmp/.X11-unix/X${number}" ]; then
            Xvfb ":${number}" -screen 0 "${1:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 &
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

# A message box blocks the program that shows it. Tests answer the boxes they expect;
# this watcher closes any box still open 5-10 s after it was seen, so the run goes on,
# and notes it in $box_watcher_log, which check_box_watcher turns into a failure. It
# watches every display listed in $box_watcher_displays: the one it was started on and
# each that a script starts for its tests (watch_display_for_boxes).
start_box_watcher() {
    if ! command -v xdotool >/dev/null; then
        echo "xdotool is not installed (scripts/setup.sh installs it)" >&2
        return 1
    fi
    : >"$box_watcher_log"
    echo "$DISPLAY" >"$box_watcher_displays"
    (
        declare -A seen
        while sleep 5; do
            mapfile -t displays <"$box_watcher_displays"
            for display in "${displays[@]}"; do
                for window in $(DISPLAY=$display xdotool search --onlyvisible \
                                    --name '^(Error|Info|Warning)$' 2>/dev/null); do
                    if [ -n "${seen[$display/$window]:-}" ]; then
                        echo "$(date +%T) closed a message box left open on $display:" \
                             "\"$(DISPLAY=$display xdotool getwindowname "$window" 2>/dev/null)\"" \
                             >>"$box_watcher_log"
                        DISPLAY=$display xdotool key --window "$window" Return 2>/dev/null || true
                        DISPLAY=$display xdotool windowclose "$window" 2>/dev/null || true
                    else
                        seen[$display/$window]=1
                    fi
                done
            done
        done
    ) &
    watcher_pid=$!
}

# The box watcher of this build tree also watches this display from now on.
watch_display_for_boxes() {
    echo "$1" >>"$box_watcher_displays"
}

# Fails when the box watcher had to close a box.
check_box_watcher() {
    [ -s "$box_watcher_log" ] || return 0
    echo "The box watcher closed message boxes that no test answered:" >&2
    cat "$box_watcher_log" >&2
    return 1
}

# Starts an X server on the first display number from 141 on that is free and answers;
# sets $started to the number. Other engineers' servers come and go, so a number taken
# meanwhile is skipped.
start_x_server() {
    local number
    for number in $(seq 141 240); do
        [ -e "/tmp/.X${number}-lock" ] || [ -e "/tmp/.X11-unix/X${number}" ] && continue
        "$@" ":${number}" >/dev/null 2>&1 &
        local pid=$!
        for _ in $(seq 1 100); do
            if xdpyinfo -display ":${number}" >/dev/null 2>&1; then
                x_servers+=("$pid")
                started=$number
                return 0
            fi
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    echo "could not start $1" >&2
    return 1
}

stop_x_servers() {
    local pid
    for pid in "${x_servers[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${x_servers[@]}"; do wait "$pid" 2>/dev/null || true; done
}

# A display of two monitors side by side, watched for boxes, becomes $DISPLAY: an Xvfb
# host and, drawn into it, a Xephyr server with two Xinerama screens and no RandR
# extension, which Wine reports as two monitors (1024x768 primary at 0,0 and the second,
# WIDTHxHEIGHT, at 1024,0; Wine's 32-bit X11 driver needs the i386 libxinerama for it).
start_two_monitor_display() {
    local second=$1
    local second_width=${second%x*} second_height=${second#*x}
    started=""
    start_x_server Xvfb -screen 0 \
        "$((1024 + second_width))x$((second_height > 768 ? second_height : 768))x24" \
        -nolisten tcp || return 1
    local host=$started
    start_x_server env DISPLAY=":${host}" Xephyr -screen 1024x768+0+0 \
        -screen "${second}+1024+0" +xinerama -extension RANDR -nolisten tcp || return 1
    export DISPLAY=":${started}"
    watch_display_for_boxes "$DISPLAY"
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
