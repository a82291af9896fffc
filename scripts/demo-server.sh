#!/usr/bin/env bash
# Starts or stops the bundled management server: nginx on loopback serving generated content.
#   scripts/demo-server.sh start <content folder> <run folder> [port]
# DEMO_RATE (default 2m) limits the speed of package downloads, so that progress can be seen;
# 0 lifts the limit.
#   scripts/demo-server.sh stop <run folder>
# The run folder receives nginx.conf, access.log and reports.log (one line per report).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cmd=${1:-}
case "$cmd" in
start)
    content=$(cd "$2" && pwd)
    mkdir -p "$3"
    run=$(cd "$3" && pwd)
    port=${4:-18080}
    if [ -f "$run/nginx.pid" ] && kill -0 "$(cat "$run/nginx.pid")" 2>/dev/null; then
        kill "$(cat "$run/nginx.pid")"
        for _ in $(seq 1 100); do kill -0 "$(cat "$run/nginx.pid" 2>/dev/null)" 2>/dev/null || break; sleep 0.05; done
    fi
    rm -f "$run/access.log" "$run/reports.log" "$run/error.log"
    sed -e "s|@PORT@|$port|g" -e "s|@ROOT@|$content/www|g" -e "s|@RUN@|$run|g" \
        -e "s|@RATE@|${DEMO_RATE:-2m}|g" \
        "$here/tools/demo-server/nginx.conf.in" > "$run/nginx.conf"
    nginx=$(command -v nginx || echo /usr/sbin/nginx)
    "$nginx" -e "$run/error.log" -p "$run" -c "$run/nginx.conf" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 1 200); do
        if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
            echo "management server on http://127.0.0.1:$port (pid $(cat "$run/nginx.pid"))"
            exit 0
        fi
        sleep 0.05
    done
    echo "the management server did not start:" >&2
    cat "$run/error.log" >&2 || true
    exit 1
    ;;
stop)
    run=$2
    if [ -f "$run/nginx.pid" ]; then
        kill "$(cat "$run/nginx.pid")" 2>/dev/null || true
        rm -f "$run/nginx.pid"
    fi
    ;;
*)
    echo "usage: $0 start <content> <run> [port] | stop <run>" >&2
    exit 2
    ;;
esac
