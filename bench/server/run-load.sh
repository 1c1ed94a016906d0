#!/usr/bin/env bash
# Load benchmark of quillora-server: requests per second and p99 latency of POST /api/v1/polish
# (rules engine) and GET /api/v1/presets, with wrk and 32 connections.
#
# Usage: bench/server/run-load.sh [--duration 10s] [--database URL] [--pin]
#
# Builds the release preset, starts a server on a free loopback port with a fresh SQLite database
# (or the given one), runs wrk once per call, prints the numbers against the targets (5,000 and
# 5,000 requests per second, p99 under 25 ms) and stops the server. It also prints the server's CPU
# time per request, which does not depend on what else the machine is doing. --pin puts the server
# and wrk on different cores (best on an otherwise idle machine).
set -euo pipefail
cd "$(dirname "$0")/../.."

duration=10s
database=""
pin=no
while [ $# -gt 0 ]; do
    case "$1" in
        --duration) duration=$2; shift 2 ;;
        --database) database=$2; shift 2 ;;
        --pin) pin=yes; shift ;;
        *) echo "usage: $0 [--duration 10s] [--database URL] [--pin]" >&2; exit 2 ;;
    esac
done

scripts/setup
cmake --preset release >/dev/null
cmake --build --preset release --target quillora-server >/dev/null

workdir=$(mktemp -d)
server_pid=""
cleanup() {
    if [ -n "$server_pid" ]; then
        kill -TERM "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$workdir"
}
trap cleanup EXIT

database=${database:-$workdir/bench.sqlite}

server_cpu=() wrk_cpu=() wrk_threads=2
if [ "$pin" = yes ] && [ "$(nproc)" -ge 2 ]; then
    server_cpu=(taskset -c 0)
    wrk_cpu=(taskset -c 1)
    wrk_threads=1
fi

# Port 0: the server picks a free port and names it in its first line.
"${server_cpu[@]}" build/release/src/server/quillora-server --listen 127.0.0.1:0 --mode local \
    --engine rules --database "$database" 2>"$workdir/server.log" &
server_pid=$!
base=""
for _ in $(seq 1 100); do
    base=$(grep -o 'serving http://127.0.0.1:[0-9]*/api/v1' "$workdir/server.log" | head -1 | cut -d' ' -f2 || true)
    if [ -n "$base" ] || ! kill -0 "$server_pid" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
if [ -z "$base" ]; then
    echo "the server did not start:" >&2
    cat "$workdir/server.log" >&2
    server_pid=""
    exit 1
fi

# Prints "<requests per second> <p99 in ms>" from wrk's --latency output.
summarize() {
    awk '
        /Requests\/sec:/ { rps = $2 }
        /^ +99%/ {
            value = $2
            if (value ~ /us$/) { sub(/us$/, "", value); p99 = value / 1000 }
            else if (value ~ /ms$/) { sub(/ms$/, "", value); p99 = value }
            else if (value ~ /s$/) { sub(/s$/, "", value); p99 = value * 1000 }
        }
        END { printf "%.0f %.2f\n", rps, p99 }'
}

# The server's user and system CPU time so far, in clock ticks.
server_ticks() {
    awk '{ print $14 + $15 }' "/proc/$server_pid/stat"
}

# Runs wrk against one call; writes its output to $2 and the server's CPU ticks to $2.ticks.
load() {
    local before after
    before=$(server_ticks)
    "${wrk_cpu[@]}" wrk -t"$wrk_threads" -c32 -d"$duration" --latency "$@" >"$output"
    after=$(server_ticks)
    echo $((after - before)) >"$output.ticks"
}

report() {
    local name=$1 target=$2 output=$3
    read -r rps p99 < <(summarize <"$output")
    local requests ticks cpu_us
    requests=$(awk '/requests in/ { print $1 }' "$output")
    ticks=$(cat "$output.ticks")
    cpu_us=$(awk -v t="$ticks" -v n="$requests" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "%.0f", t / hz * 1e6 / n }')
    local verdict="meets"
    if awk -v r="$rps" -v t="$target" -v p="$p99" 'BEGIN { exit !(r < t || p >= 25) }'; then
        verdict="MISSES"
    fi
    printf '%-22s %6s req/s  p99 %6s ms  server CPU %4s us/request  (target %s req/s, p99 < 25 ms: %s)\n' \
        "$name" "$rps" "$p99" "$cpu_us" "$target" "$verdict"
}

echo "quillora-server load benchmark: 32 connections, $duration per call, $(nproc) cores, load average $(cut -d' ' -f1 /proc/loadavg)"
output="$workdir/polish.txt" load -s bench/server/polish.lua "$base/polish"
output="$workdir/presets.txt" load "$base/presets"

errors=$(grep -h "Non-2xx" "$workdir/polish.txt" "$workdir/presets.txt" || true)
report "POST /polish (rules)" 5000 "$workdir/polish.txt"
report "GET /presets" 5000 "$workdir/presets.txt"
if [ -n "$errors" ]; then
    echo "wrk saw failures: $errors" >&2
    exit 1
fi
