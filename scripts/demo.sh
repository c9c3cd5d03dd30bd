#!/usr/bin/env bash
# The demo: installs what is missing, builds, creates the demo company (once), starts
# corvo-server on 127.0.0.1:8211, points the client at it and starts the client. The server
# stops when the client exits. Log in with organisation DEMO, user admin, password admin.
# Usage: scripts/demo.sh            (needs a display; without one: xvfb-run -a scripts/demo.sh)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build
data=$top/demo-data
listen=127.0.0.1:8211

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "demo.sh: no display. Run it on a desktop, or under a virtual one:" >&2
    echo "    xvfb-run -a -s '-screen 0 1280x800x24' bash scripts/demo.sh" >&2
    exit 1
fi

"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target corvo corvo-server

mkdir -p "$data"
if [ ! -f "$data/demo.db" ]; then
    "$build/bin/corvo-server" init-demo --db "sqlite:$data/demo.db"
fi
if (: </dev/tcp/127.0.0.1/8211) 2>/dev/null; then
    echo "demo.sh: something already listens on $listen; stop it first." >&2
    exit 1
fi
"$build/bin/corvo-server" serve --listen "$listen" --db "sqlite:$data/demo.db" \
    > "$data/server.out" 2> "$data/server.log" &
server=$!
trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null || true' EXIT
trap 'exit 130' INT TERM
for _ in $(seq 1 100); do
    grep -q '^listening on' "$data/server.out" 2>/dev/null && break
    kill -0 "$server" 2>/dev/null || { cat "$data/server.log" >&2; exit 1; }
    sleep 0.1
done
echo "corvo-server: $(head -n 1 "$data/server.out") (log: $data/server.log)"

export CORVO_HOME=$data/client
"$build/bin/corvo" setup --server "$listen"
echo "Log in with organisation DEMO, user admin, password admin."
"$build/bin/corvo"
