#!/usr/bin/env bash
# Installs what is missing, builds and runs the client with the operator's own settings
# ($HOME/.Tavoro Client). With no server configured the options dialog opens first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
export TAVORO_IMAGES_DIR="$PWD/data/images/"
exec build/src/tavoro
