#!/usr/bin/env bash
# Regenerates the icon files in data/images/ from the SVG drawings in data/icon-src/.
#
# Each SVG is rendered with rsvg-convert at the sizes its format needs, then packed with
# ImageMagick: ICO files hold 16, 24 and 32 px images (the application icon also 48 px), GIF
# files one 32 px image whose half-transparent edge pixels are blended onto white (GIF has only
# on/off transparency and the pictures are shown on white grid cells).
# The results are committed; the build does not run this script.
#
# Needs: rsvg-convert (librsvg2-bin) and convert (imagemagick).
# Usage: scripts/make-icons.sh [output-dir]   (default: data/images)
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
SRC="$ROOT/data/icon-src"
OUT="${1:-$ROOT/data/images}"

# Prefer ImageMagick's own binary over any wrapper earlier on PATH.
CONVERT="${CONVERT:-}"
if [ -z "$CONVERT" ]; then
  if [ -x /usr/bin/convert ]; then CONVERT=/usr/bin/convert; else CONVERT=convert; fi
fi
RSVG="${RSVG:-rsvg-convert}"
for tool in "$CONVERT" "$RSVG"; do
  command -v "$tool" >/dev/null || { echo "missing tool: $tool" >&2; exit 1; }
done

# source drawing | file written to the images directory
ICONS=(
  "tech-support.svg|Tech Support.ico"
  "tech-support-restricted.svg|Tech Support Restricted.ico"
  "tech-support-progress.svg|Tech Support Progress.ico"
  "tech-support-delete.svg|Tech Support Delete.ico"
  "settings-global.svg|Settings Global 1.ico"
  "exit.svg|Exit.ico"
  "logout.svg|Logout.ico"
  "tech-support-chat-transfer.svg|Tech Support Chat Transfer.ico"
  "history-chat.svg|History Chat.ico"
  "block-visitor.svg|block-visitor.ico"
  "blue-flag.svg|Blue Flag.ico"
  "green-flag.svg|Green Flag.ico"
  "red-flag.svg|Red Flag.ico"
  "yellow-flag.svg|Yellow Flag.ico"
  "grey-flag.svg|Grey Flag.ico"
  "no-flag.svg|No Flag.ico"
  "anonymous-user-red.svg|Anonymous User Red.ico"
  "anonymous-user-green.svg|Anonymous User Green.ico"
  "anonymous-user-blue.svg|Anonymous User Blue.ico"
  "anonymous-user-blue-chat.svg|Anonymous User Blue Chat.ico"
  "prospect-new.svg|Prospect New 256.gif"
  "prospect.svg|Prospect 256.gif"
  "customer.svg|Customer 256.gif"
  "customer-new.svg|Customer New 256.gif"
  "click-fraud-warning.svg|Click Fraud Warning.ico"
  "tavoro.svg|tavoro.ico"
  "tavoro.svg|tavoro.png"
)

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$OUT"

render() {  # svg size png
  "$RSVG" --width "$2" --height "$2" --keep-aspect-ratio --format png --output "$3" "$1"
}

for entry in "${ICONS[@]}"; do
  svg="$SRC/${entry%%|*}"
  name="${entry#*|}"
  target="$OUT/$name"
  stem="$WORK/$(basename "$svg" .svg)"
  case "$name" in
    tavoro.ico)
      sizes=(16 24 32 48)
      for s in "${sizes[@]}"; do render "$svg" "$s" "$stem-$s.png"; done
      "$CONVERT" "$stem-16.png" "$stem-24.png" "$stem-32.png" "$stem-48.png" "ICO:$target"
      ;;
    *.ico)
      for s in 16 24 32; do render "$svg" "$s" "$stem-$s.png"; done
      "$CONVERT" "$stem-16.png" "$stem-24.png" "$stem-32.png" "ICO:$target"
      ;;
    *.gif)
      render "$svg" 32 "$stem-32.png"
      # Colour: the picture flattened on white. Transparency: on where the drawing covers
      # less than 40 %.
      "$CONVERT" "$stem-32.png" \
        \( -clone 0 -background white -alpha remove -alpha off \) \
        \( -clone 0 -alpha extract -threshold 40% \) \
        -delete 0 -compose copy_opacity -composite \
        -dither None -colors 255 "GIF:$target"
      ;;
    *.png)
      render "$svg" 48 "$stem-48.png"
      # No time stamps or other metadata, so a rerun gives the same bytes.
      "$CONVERT" "$stem-48.png" -strip -define png:exclude-chunks=date,time "PNG32:$target"
      ;;
    *)
      echo "unknown output format: $name" >&2
      exit 1
      ;;
  esac
  echo "wrote $name"
done
