#!/usr/bin/env bash
# Runs the client against the demo monitoring server on this machine:
#   - starts tavoro-demo-server on a free loopback port, logging every frame to
#     $DEMO_DIR/frames.log;
#   - points a separate demo settings file ($DEMO_DIR/settings.ini, never the operator's own
#     "$HOME/.Tavoro Client") at it, with the demo credentials demo / demo;
#   - starts the client with that file and stops the server when the client exits.
# Expects a build in $BUILD_DIR (default build/). Extra arguments go to the client;
# DEMO_SERVER_ARGS adds options of the server (see server/README.md), for example
#   DEMO_SERVER_ARGS="--event-rate 20 --chat-interval 5" server/run-demo.sh
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${BUILD_DIR:-build}"
DEMO_DIR="${DEMO_DIR:-$BUILD_DIR/demo}"
SERVER="$BUILD_DIR/server/tavoro-demo-server"
CLIENT="$BUILD_DIR/src/tavoro"
for f in "$SERVER" "$CLIENT"; do
    [ -x "$f" ] || { echo "missing $f: build first (scripts/build.sh)" >&2; exit 1; }
done

mkdir -p "$DEMO_DIR"
chmod 700 "$DEMO_DIR"
ready="$DEMO_DIR/port"
rm -f "$ready"

"$SERVER" --port 0 --ready-file "$ready" --log "$DEMO_DIR/frames.log" \
    ${DEMO_SERVER_ARGS:-} >/dev/null &
server_pid=$!
stop_server() {
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
}
trap stop_server EXIT INT TERM

for _ in $(seq 1 100); do
    [ -s "$ready" ] && break
    kill -0 "$server_pid" 2>/dev/null || { echo "the demo server did not start" >&2; exit 1; }
    sleep 0.1
done
[ -s "$ready" ] || { echo "the demo server did not start listening" >&2; exit 1; }
port=$(cat "$ready")
echo "demo server listening on 127.0.0.1:$port (frame log: $DEMO_DIR/frames.log)"

# The demo settings: every other section (layout, options) is kept from earlier demo runs;
# the connection and the credentials are set afresh.
settings="$DEMO_DIR/settings.ini"
touch "$settings"
chmod 600 "$settings"
{
    awk '/^\[/ { skip = ($0 == "[General]") } !skip' "$settings"
    printf '[General]\n'
    printf 'ServerDNSIP=127.0.0.1\nClientPortNumber=%s\n' "$port"
    printf 'Username=demo\nPassword=demo\nOperatorName=Demo Operator\nDepartmentName=Sales\n'
    printf 'DefaultStatus=0\n'
} >"$settings.new"
mv "$settings.new" "$settings"

export TAVORO_SETTINGS_FILE="$(cd "$DEMO_DIR" && pwd)/settings.ini"
export TAVORO_IMAGES_DIR="${TAVORO_IMAGES_DIR:-$PWD/data/images/}"
"$CLIENT" "$@"
