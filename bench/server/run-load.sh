#!/usr/bin/env bash
# Load benchmark of quillora-server, in four steps:
#  1. SQLite, one instance: requests per second and p99 latency of POST /api/v1/polish (rules
#     engine) and GET /api/v1/presets, with wrk and 32 connections, against the targets (5,000
#     requests per second each, p99 under 25 ms), with the server's CPU time per request (which
#     does not depend on what else the machine is doing).
#  2. PostgreSQL, two instances on one database at once (a throwaway cluster made with initdb).
#  3. The openai engine against an upstream that takes 1 s per call: 500 concurrent polishings of
#     4 presets with --upstream-concurrency 2000, then with the default limit; /api/v1/health is
#     timed throughout.
#  4. The first run of step 3 again with 200 slow-header connections held open meanwhile.
#
# Usage: bench/server/run-load.sh [--duration 10s] [--database URL] [--pin]
#
# Builds the release preset first. --database replaces the fresh SQLite file of step 1. --pin puts
# the server and wrk on different cores (best on an otherwise idle machine).
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
helper_pids=()
postgres_data=""
cleanup() {
    cleanup_servers
    for pid in "${helper_pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    if [ -n "$postgres_data" ]; then
        as_postgres "$pg_bin/pg_ctl" -D "$postgres_data" -m immediate stop >/dev/null 2>&1 || true
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

ulimit -n 65536 2>/dev/null || ulimit -n "$(ulimit -Hn)"
server_pids=()
cleanup_servers() {
    for pid in "${server_pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    server_pids=()
}

# Starts a server with the given options on a free port; sets $base and $server_pid.
start_server() {
    local log="$workdir/server-${#server_pids[@]}.log"
    "${server_cpu[@]}" build/release/src/server/quillora-server --listen 127.0.0.1:0 --mode local "$@" 2>"$log" &
    server_pid=$!
    server_pids+=("$server_pid")
    base=""
    for _ in $(seq 1 100); do
        base=$(grep -o 'serving http://127.0.0.1:[0-9]*/api/v1' "$log" | head -1 | cut -d' ' -f2 || true)
        if [ -n "$base" ] || ! kill -0 "$server_pid" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    if [ -z "$base" ]; then
        echo "the server did not start:" >&2
        cat "$log" >&2
        exit 1
    fi
}
start_server --engine rules --database "$database"

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

# 2. PostgreSQL: two instances on one database, loaded at the same time.
pg_bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
as_postgres() {
    if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}
cleanup_servers
if [ -n "$pg_bin" ]; then
    chmod 755 "$workdir"
    postgres_data="$workdir/pg"
    mkdir -p "$postgres_data"
    [ "$(id -u)" -eq 0 ] && chown postgres "$postgres_data"
    pg_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    as_postgres "$pg_bin/initdb" -D "$postgres_data" -A trust -U quillora -E UTF8 --no-sync >/dev/null
    as_postgres "$pg_bin/pg_ctl" -D "$postgres_data" -l "$postgres_data/log" -w \
        -o "-p $pg_port -k $postgres_data -c listen_addresses=127.0.0.1 -c max_connections=200" start >/dev/null
    pg_url="postgresql://quillora@127.0.0.1:$pg_port/postgres"
    start_server --engine rules --database "$pg_url"
    first=$base
    start_server --engine rules --database "$pg_url"
    second=$base
    for call in presets polish; do
        script=()
        [ "$call" = polish ] && script=(-s bench/server/polish.lua)
        wrk -t1 -c16 -d"$duration" --latency "${script[@]}" "$first/$call" >"$workdir/pg1-$call.txt" &
        wrk -t1 -c16 -d"$duration" --latency "${script[@]}" "$second/$call" >"$workdir/pg2-$call.txt"
        wait $!
        read -r rps1 p991 < <(summarize <"$workdir/pg1-$call.txt")
        read -r rps2 p992 < <(summarize <"$workdir/pg2-$call.txt")
        printf 'PostgreSQL, 2 instances, %-8s %6s req/s together (%s + %s), p99 %s / %s ms\n' \
            "$call:" $((rps1 + rps2)) "$rps1" "$rps2" "$p991" "$p992"
    done
    cleanup_servers
else
    echo "PostgreSQL is not installed; step 2 skipped"
fi

# 3 and 4. A slow upstream: 1 s per call.
upstream_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 bench/server/slow-upstream.py "$upstream_port" 1 &
helper_pids+=($!)
sleep 0.5
slow_server() {
    start_server --engine openai --openai-base-url "http://127.0.0.1:$upstream_port/v1" --openai-model slow \
        --database "$workdir/slow-$RANDOM.sqlite" --max-connections 5000 --max-connections-per-client 5000 "$@"
}

# Times /api/v1/health every 100 ms while $1 runs; prints the slowest answer in ms.
health_during() {
    local worst=0 took
    while kill -0 "$1" 2>/dev/null; do
        took=$(curl -s -o /dev/null -m 5 -w '%{time_total}' "$base/health" || echo 5)
        worst=$(awk -v a="$worst" -v b="$took" 'BEGIN { b *= 1000; print (b > a ? b : a) }')
        sleep 0.1
    done
    printf '%.0f' "$worst"
}

slow_run() {
    local name=$1 out="$workdir/slow-$2.txt"
    wrk -t2 -c500 -d"$duration" --timeout 60s --latency -s bench/server/polish.lua "$base/polish" >"$out" &
    local wrk_pid=$!
    local worst
    worst=$(health_during "$wrk_pid")
    read -r rps p99 < <(summarize <"$out")
    local failed
    failed=$(awk '/Non-2xx/ { print $NF }' "$out")
    printf '%-44s %6s polishings/s  p99 %7s ms  failed %s  slowest health %s ms\n' \
        "$name" "$rps" "$p99" "${failed:-0}" "$worst"
    echo "$rps" >"$out.rps"
}

# Each run on a fresh server, so that no run inherits the upstream calls its predecessor left.
slow_server --upstream-concurrency 2000
slow_run "slow upstream, 500 concurrent, limit 2000" wide
cleanup_servers
slow_server --upstream-concurrency 2000
slow_headers_count=200
python3 bench/server/slow-headers.py 127.0.0.1 "$(echo "$base" | sed -E 's|.*:([0-9]+)/.*|\1|')" "$slow_headers_count" 5 >"$workdir/slowloris.txt" &
slowloris_pid=$!
helper_pids+=("$slowloris_pid")
sleep 1
slow_run "same, 200 slow-header connections held" held
kill -TERM "$slowloris_pid" 2>/dev/null || true
wide=$(cat "$workdir/slow-wide.txt.rps") held=$(cat "$workdir/slow-held.txt.rps")
awk -v a="$wide" -v b="$held" 'BEGIN { printf "with slow-header connections: %.0f%% of the throughput (must stay above 80%%)\n", b * 100 / a }'
cleanup_servers
slow_server
slow_run "slow upstream, 500 concurrent, default limit" narrow
