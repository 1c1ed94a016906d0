#!/usr/bin/env bash
# How the desktop program starts and starts again, without a display server:
# - without DISPLAY and WAYLAND_DISPLAY, quillora says what it needs and exits 1 (no toolkit abort);
# - the restart in place keeps the process: same process id, the parent still sees it running, the
#   arguments kept except the one-shot ones.
#
# Usage: StartAndRestartTest.sh path/to/quillora path/to/quillora_restart_fixture
set -uo pipefail

readonly quillora=$1
readonly fixture=$2
work=$(mktemp -d)
child=""
cleanup() {
    [ -n "$child" ] && kill -TERM "$child" 2>/dev/null
    [ -n "$child" ] && wait "$child" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    for log in "$work"/*; do
        [ -s "$log" ] && { echo "--- $log" >&2; tail -20 "$log" >&2; }
    done
    exit 1
}

env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 20 "$quillora" >"$work/nodisplay.out" 2>"$work/nodisplay.err"
code=$?
[ "$code" -eq 1 ] || fail "without a display quillora exited with $code, not 1"
grep -q "quillora needs a graphical session (DISPLAY or WAYLAND_DISPLAY is not set)" "$work/nodisplay.err" ||
    fail "without a display quillora did not say what it needs"
grep -q "Reinstalling" "$work/nodisplay.err" && fail "the toolkit's abort message was printed"
echo "ok: without a display quillora says so and exits 1"

"$fixture" --keep --once >"$work/restart.out" 2>"$work/restart.err" &
child=$!
for _ in $(seq 1 100); do
    grep -q '^after' "$work/restart.out" && break
    sleep 0.1
done
grep -qx "before $child --keep --once" "$work/restart.out" || fail "the fixture did not start as process $child"
grep -qx "after $child --keep" "$work/restart.out" || fail "the restarted program is not process $child with --keep"
state=$(ps -o stat= -p "$child" 2>/dev/null)
[ -n "$state" ] && [[ $state != Z* ]] || fail "the parent no longer sees process $child running (state '$state')"
echo "ok: the restart kept process $child, its parent and its arguments"
echo "2 passed, 0 failed"
