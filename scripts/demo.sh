#!/usr/bin/env bash
# Installs what is missing, builds, starts the demo monitoring server on 127.0.0.1 and runs
# the client logged in to it as the demo operator (server/run-demo.sh). The demo keeps its own
# settings file under build/demo/, so the operator's real settings ($HOME/.Tavoro Client) are
# never touched. The server stops when the client exits.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
exec server/run-demo.sh "$@"
