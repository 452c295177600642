#!/usr/bin/env bash
# Renders the application icon for the desktop's icon theme: data/icon-src/tavoro.svg as PNG
# files in every size the desktop asks for, under data/icons/hicolor/<size>x<size>/apps/.
# The drawing itself is installed as the scalable icon. The results are committed; the build
# does not run this script.
#
# Needs: rsvg-convert (librsvg2-bin).
# Usage: scripts/make-app-icons.sh [output-dir]   (default: data/icons/hicolor)
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SVG="$ROOT/data/icon-src/tavoro.svg"
OUT="${1:-$ROOT/data/icons/hicolor}"
RSVG="${RSVG:-rsvg-convert}"
command -v "$RSVG" >/dev/null || { echo "missing tool: $RSVG" >&2; exit 1; }

for size in 16 22 24 32 48 64 128 256; do
  dir="$OUT/${size}x${size}/apps"
  mkdir -p "$dir"
  "$RSVG" --width "$size" --height "$size" --keep-aspect-ratio --format png \
    --output "$dir/tavoro.png" "$SVG"
  echo "wrote ${size}x${size}/apps/tavoro.png"
done
