#!/usr/bin/env bash
# The install test, as on a new machine: builds the packages (scripts/package.sh), checks them
# with lintian, makes a fresh Debian 12 root with debootstrap, installs both packages there with
# apt-get (which pulls their dependencies from Debian's mirror), starts corvo-server from its
# packaged configuration (directly: no systemd here), creates the demo, logs in through the
# real protocol from outside the root, checks /health, takes a backup while the server runs
# and restores it into a new database, and runs the installed client's setup.
#   bash scripts/package-test.sh [BUILD_DIR]    needs root, debootstrap and lintian
#                                               (scripts/debian-packages.txt), and a build/
#                                               with corvo_login_check for the login
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-release}
login_check=${CORVO_LOGIN_CHECK:-$top/build/bin/corvo_login_check}
started=$SECONDS
step() { echo "== package-test: $1 ($((SECONDS - started)) s)"; }

[[ $(id -u) -eq 0 ]] || { echo "package-test.sh: needs root (debootstrap, chroot)" >&2; exit 1; }
[[ -x "$login_check" ]] || {
    echo "package-test.sh: build corvo_login_check first (cmake --build build --target corvo_login_check)" >&2
    exit 1
}

# CORVO_PACKAGES=DIR tests the packages already in DIR instead of building them.
packages=${CORVO_PACKAGES:-$build/packages}
[[ -n "${CORVO_PACKAGES:-}" ]] || bash "$top/scripts/package.sh" "$build"
server_deb=$(ls "$packages"/corvo-server_*.deb)
client_deb=$(ls "$packages"/corvo_*.deb)
step "packages built: $(du -k "$server_deb" | cut -f1) KiB $(basename "$server_deb"), $(du -k "$client_deb" | cut -f1) KiB $(basename "$client_deb")"

# Errors fail the test; warnings are shown.
lintian --fail-on error "$server_deb" "$client_deb"
step "lintian: no errors"

# The mirror apt already uses on this machine.
mirror=$({ cat /etc/apt/sources.list /etc/apt/sources.list.d/*.sources \
    /etc/apt/sources.list.d/*.list 2>/dev/null || true; } | grep -E '^(URIs:|deb )' |
    grep -v security | head -n 1 |
    sed -E 's/^URIs:[[:space:]]*//; s/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?//; s/[[:space:]].*//')
root=$(mktemp -d /tmp/corvo-root-XXXXXX)
chmod 755 "$root" # the root of the new system: every user passes through it
server_pid=""
cleanup() {
    [[ -n "$server_pid" ]] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
    umount "$root/proc" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.debootstrap.log" 2>&1 ||
    { tail -n 30 "$root.debootstrap.log" >&2; exit 1; }
rm -f "$root.debootstrap.log"
mount -t proc proc "$root/proc"
step "Debian 12 root made from $mirror"

cp "$server_deb" "$client_deb" "$root/tmp/"
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 "$@"; }
in_root apt-get update -q >/dev/null
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    "./tmp/$(basename "$server_deb")" "./tmp/$(basename "$client_deb")" >"$root/tmp/apt.log" ||
    { tail -n 30 "$root/tmp/apt.log" >&2; exit 1; }
step "both packages installed with their dependencies"

# What the package made: the user, the state folder, the settings readable by that user only.
in_root getent passwd corvo >/dev/null
[[ $(in_root stat -c '%U:%G %a' /var/lib/corvo) == "corvo:corvo 750" ]]
[[ $(in_root stat -c '%U:%G %a' /etc/corvo/server.conf) == "root:corvo 640" ]]
in_root dpkg-query -W -f='${Conffiles}\n' corvo-server | grep -q /etc/corvo/server.conf

in_root runuser -u corvo -- corvo-server init-demo --db sqlite:/var/lib/corvo/corvo.db >/dev/null
port=$((20000 + RANDOM % 20000))
while (: </dev/tcp/127.0.0.1/$port) 2>/dev/null; do port=$((port + 1)); done
in_root runuser -u corvo -- corvo-server serve --config /etc/corvo/server.conf \
    --listen "127.0.0.1:$port" >"$root/tmp/serve.out" 2>"$root/tmp/serve.log" &
server_pid=$!
for _ in $(seq 1 100); do
    grep -q '^listening on' "$root/tmp/serve.out" 2>/dev/null && break
    sleep 0.1
done
grep '^listening on' "$root/tmp/serve.out"
step "corvo-server serves from /etc/corvo/server.conf"

"$login_check" "http://127.0.0.1:$port/scripts/Velmarwebsvr.dll" DEMO admin admin
[[ $(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/health") == 200 ]]
step "login through the protocol and /health 200"

in_root runuser -u corvo -- corvo-server backup --db sqlite:/var/lib/corvo/corvo.db \
    --out /var/lib/corvo/backup.db
in_root runuser -u corvo -- corvo-server restore --in /var/lib/corvo/backup.db \
    --db sqlite:/var/lib/corvo/restored.db
step "backup while serving, restored into a new database"

in_root env HOME=/root corvo setup --server "127.0.0.1:$port"
[[ -f "$root/root/.local/share/corvo/Data/IP.dll" ]]
in_root test -f /usr/share/applications/corvo.desktop
in_root test -f /usr/share/icons/hicolor/scalable/apps/corvo.svg
step "the installed client wrote its settings to the user's data folder"

kill "$server_pid"
wait "$server_pid" || true
server_pid=""
grep -c 'login' "$root/tmp/serve.log" >/dev/null
step "done"
