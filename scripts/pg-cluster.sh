#!/usr/bin/env bash
# A private PostgreSQL cluster for tests: no fsync, trust authentication, its socket inside DIR.
#   pg-cluster.sh start DIR PORT   creates the cluster if missing, starts it on 127.0.0.1:PORT,
#                                  creates the database corvo_test and prints its URL
#   pg-cluster.sh stop DIR         stops it
# As root the server runs as the user postgres (initdb refuses root), which then owns DIR.
set -euo pipefail

die() {
    echo "pg-cluster.sh: $*" >&2
    exit 1
}

usage() {
    die "usage: pg-cluster.sh start DIR PORT | pg-cluster.sh stop DIR"
}

find_bin() {
    if [[ -n "${PG_BIN:-}" ]]; then
        echo "$PG_BIN"
        return
    fi
    local dir
    dir=$(printf '%s\n' /usr/lib/postgresql/*/bin | sort -V | tail -n 1)
    [[ -n "$dir" && -x "$dir/pg_ctl" ]] || die "no PostgreSQL server binaries in /usr/lib/postgresql/*/bin"
    echo "$dir"
}

# Runs a server binary as the cluster's owner.
as_owner() {
    if [[ $(id -u) -eq 0 ]]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

# Shows the end of a log on failure.
fail_with_log() {
    local message=$1 log=$2
    [[ -f "$log" ]] && tail -n 20 "$log" >&2
    die "$message"
}

command=${1:-}
case "$command" in
start)
    [[ $# -eq 3 ]] || usage
    port=$3
    [[ "$port" =~ ^[0-9]+$ && "$port" -ge 1 && "$port" -le 65535 ]] || die "bad port: $port"
    mkdir -p "$2"
    ;;
stop) [[ $# -eq 2 ]] || usage ;;
*) usage ;;
esac
bin=$(find_bin)
[[ -d "$2" ]] || die "no directory $2"
dir=$(cd "$2" && pwd)
data="$dir/data"

case "$command" in
start)
    if [[ $(id -u) -eq 0 ]]; then
        id postgres >/dev/null 2>&1 || die "running as root needs the user postgres"
        chown postgres: "$dir"
        runuser -u postgres -- test -w "$dir" ||
            die "$dir is not reachable by the user postgres (check its parent directories)"
    fi
    if [[ ! -f "$data/PG_VERSION" ]]; then
        as_owner "$bin/initdb" -D "$data" -U postgres -A trust -E UTF8 --locale=C \
            >"$dir/initdb.log" 2>&1 || fail_with_log "initdb failed" "$dir/initdb.log"
    fi
    if ! as_owner "$bin/pg_ctl" -D "$data" status >/dev/null 2>&1; then
        as_owner "$bin/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 60 \
            -o "-p $port -k '$dir' -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off" \
            start >/dev/null 2>&1 || fail_with_log "the server did not start" "$dir/server.log"
    fi
    exists=$(as_owner "$bin/psql" -h "$dir" -p "$port" -U postgres -d postgres -XtAq \
        -c "SELECT 1 FROM pg_database WHERE datname = 'corvo_test'") ||
        die "cannot reach the server on port $port (is another cluster in $dir running on another port?)"
    if [[ "$exists" != "1" ]]; then
        as_owner "$bin/createdb" -h "$dir" -p "$port" -U postgres corvo_test ||
            die "cannot create the database corvo_test"
    fi
    echo "postgresql://postgres@127.0.0.1:$port/corvo_test"
    ;;
stop)
    [[ -f "$data/PG_VERSION" ]] || die "no cluster in $dir"
    if as_owner "$bin/pg_ctl" -D "$data" status >/dev/null 2>&1; then
        as_owner "$bin/pg_ctl" -D "$data" -m fast -w stop >/dev/null ||
            die "the server in $dir did not stop"
    fi
    ;;
esac
