#!/usr/bin/env bash
# Starts quillora --uitesting on a private X server with its own session bus, tray host and window
# manager, and checks what a person would see: the window "Quillora History", the tray entry, and a
# second start that raises the first window, says so and exits 1. Every process started here is
# ended here.
#
# Usage: LaunchUnderXvfbTest.sh path/to/quillora
# Exit codes: 0 passed, 1 failed, 77 skipped (no X server could be started).
set -uo pipefail

readonly quillora=$1
readonly skip=77
pids=()
work=$(mktemp -d)

cleanup() {
    local pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        pid=${pids[i]}
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        for _ in $(seq 1 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*.log; do
        [ -s "$log" ] && { echo "--- $log" >&2; tail -20 "$log" >&2; }
    done
    exit 1
}

# Polls `command` every 0.1 s for at most `seconds`; true as soon as it succeeds.
wait_for() {
    local seconds=$1
    shift
    for _ in $(seq 1 $((seconds * 10))); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

if ! command -v Xvfb >/dev/null; then
    echo "SKIPPED: Xvfb is not installed (Debian package xvfb)" >&2
    exit $skip
fi

mkdir -p "$work/runtime" "$work/config" "$work/data"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY

for tool in xdotool xwininfo; do
    command -v "$tool" >/dev/null || fail "$tool is missing (Debian packages xdotool, x11-utils)"
done

# The server picks a free display number and writes it to the descriptor. Servers that other
# tests start at the same moment may contend for that number, so a server that does not answer
# on the display it named is replaced by a new one.
started=false
for attempt in 1 2 3; do
    : >"$work/display"
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    pids+=($xvfb)
    exec 3>&-
    if wait_for 10 test -s "$work/display"; then
        export DISPLAY=":$(cat "$work/display")"
        if wait_for 5 xwininfo -root; then
            started=true
            break
        fi
    fi
    kill "$xvfb" 2>/dev/null || true
done
if ! $started; then
    echo "SKIPPED: Xvfb could not be started: $(tail -1 "$work/xvfb.log")" >&2
    exit $skip
fi

command -v dbus-daemon >/dev/null || fail "dbus-daemon is missing (Debian package dbus)"
dbus-daemon --session --nofork --print-address=4 4>"$work/bus" >"$work/dbus.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/bus" || fail "the session bus did not start"
export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/bus")

have_wm=false
if command -v openbox >/dev/null; then
    openbox >"$work/openbox.log" 2>&1 &
    pids+=($!)
    have_wm=true
fi
have_tray=false
if command -v trayer >/dev/null; then
    trayer --edge top --align right --widthtype pixel --width 120 --heighttype pixel --height 24 \
        >"$work/trayer.log" 2>&1 &
    pids+=($!)
    wait_for 10 sh -c 'xwininfo -root -tree | grep -q "(\"panel\" \"trayer\")"' || fail "trayer did not appear"
    have_tray=true
else
    echo "note: trayer is not installed; the tray entry is not checked" >&2
fi

"$quillora" --uitesting >"$work/first.log" 2>&1 &
first=$!
pids+=($first)

history_windows() { xdotool search --name '^Quillora History$' 2>/dev/null; }
wait_for 30 history_windows || fail "no window \"Quillora History\" appeared"
window=$(history_windows | head -1)
echo "ok: the window \"Quillora History\" is shown"

if $have_tray; then
    panel=$(xwininfo -root -tree | grep '("panel" "trayer")' | awk '{print $1}')
    wait_for 10 sh -c "xwininfo -tree -id $panel | grep -q '(\"quillora\" \"quillora\")'" ||
        fail "no tray entry of quillora inside the tray host"
    echo "ok: the tray entry is registered with the tray host"
fi

if $have_wm; then
    xdotool windowminimize "$window"
    wait_for 10 sh -c "xwininfo -id $window | grep -q IsUnMapped" || fail "the window could not be minimised"
fi

timeout 20 "$quillora" >"$work/second.log" 2>&1
code=$?
[ "$code" -eq 1 ] || fail "the second start exited with $code, not 1"
grep -q "Quillora is already running; its window was raised." "$work/second.log" ||
    fail "the second start did not say that Quillora is already running"
kill -0 "$first" 2>/dev/null || fail "the first instance ended when the second started"
wait_for 10 sh -c "xwininfo -id $window | grep -q IsViewable" || fail "the second start did not raise the window"
[ "$(history_windows | wc -l)" -eq 1 ] || fail "more than one history window"
echo "ok: a second start raised the first window, said so and exited 1"
echo "1 passed, 0 failed"
