#!/usr/bin/env bash
# Installs what is missing, builds, starts the demo monitoring server on 127.0.0.1 and runs
# the client logged in to it as the demo operator. The demo keeps its own settings file in a
# temporary folder, so the operator's real settings ($HOME/.Tavoro Client) are never touched.
# The server stops when the client exits.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh

DEMO_DIR="$(mktemp -d "${TMPDIR:-/tmp}/tavoro-demo.XXXXXX")"
SERVER_PID=""
cleanup() {
  if [ -n "$SERVER_PID" ]; then
    kill "$SERVER_PID" 2>/dev/null || true
    wait "$SERVER_PID" 2>/dev/null || true
  fi
  rm -rf "$DEMO_DIR"
}
trap cleanup EXIT INT TERM

build/server/tavoro-demo-server --port 0 --ready-file "$DEMO_DIR/port" \
  --log "$DEMO_DIR/server.log" ${TAVORO_DEMO_SERVER_ARGS:-} &
SERVER_PID=$!
for _ in $(seq 1 100); do
  [ -s "$DEMO_DIR/port" ] && break
  sleep 0.1
done
if [ ! -s "$DEMO_DIR/port" ]; then
  echo "The demo server did not start." >&2
  exit 1
fi
PORT="$(cat "$DEMO_DIR/port")"

umask 077
cat > "$DEMO_DIR/settings" <<SETTINGS
[General]
ServerDNSIP=127.0.0.1
ClientPortNumber=$PORT
Username=demo
Password=demo
OperatorName=Demo Operator
DepartmentName=Sales
SETTINGS

echo "Demo server on 127.0.0.1:$PORT (frame log: $DEMO_DIR/server.log)"
TAVORO_SETTINGS_FILE="$DEMO_DIR/settings" TAVORO_IMAGES_DIR="$PWD/data/images/" \
  build/src/tavoro
