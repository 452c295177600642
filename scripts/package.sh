#!/usr/bin/env bash
# Builds the Debian packages from an already built tree and checks them as CI does: lintian
# finds no errors; the client's package, unpacked into an empty root, runs its `tavoro
# --version` without a display, finds its own catalogs and icons, and its desktop entry and
# AppStream metadata pass their validators.
# Usage: scripts/package.sh [build-dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="$(cd "${1:-build}" && pwd)"
VERSION="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD_DIR/CMakeCache.txt")"
OUT="$BUILD_DIR/packages"

rm -f "$OUT"/*.deb
(cd "$BUILD_DIR" && cpack -G DEB)
CLIENT="$OUT/tavoro-client_${VERSION}_amd64.deb"
DEMO="$OUT/tavoro-demo-server_${VERSION}_amd64.deb"
for deb in "$CLIENT" "$DEMO"; do
  [ -f "$deb" ] || { echo "not built: $deb" >&2; exit 1; }
done

echo "== lintian"
lintian --fail-on error "$CLIENT" "$DEMO"

ROOT="$(mktemp -d)"
trap 'rm -rf "$ROOT"' EXIT
dpkg-deb -x "$CLIENT" "$ROOT"
dpkg-deb -x "$DEMO" "$ROOT"

echo "== the installed client"
got="$(env -u DISPLAY -u WAYLAND_DISPLAY "$ROOT/usr/bin/tavoro" --version)"
[ "$got" = "tavoro $VERSION" ] || { echo "--version said '$got'" >&2; exit 1; }
paths="$(env -u TAVORO_IMAGES_DIR -u TAVORO_LOCALE_DIR "$ROOT/usr/bin/tavoro" --paths)"
echo "$paths"
grep -qx "icons: $ROOT/usr/share/Tavoro/images/" <<<"$paths"
grep -qx "translations: $ROOT/usr/share/locale/" <<<"$paths"
set +e
env -u DISPLAY "$ROOT/usr/bin/tavoro" --no-such-option 2>/dev/null
status=$?
set -e
[ "$status" -eq 2 ] || { echo "a bad option ended with status $status, not 2" >&2; exit 1; }
for f in usr/share/locale/de/LC_MESSAGES/tavoro.mo usr/share/man/man1/tavoro.1.gz \
         usr/share/icons/hicolor/scalable/apps/tavoro.svg usr/bin/tavoro-demo-server; do
  [ -f "$ROOT/$f" ] || { echo "missing from the packages: /$f" >&2; exit 1; }
done
for size in 16 22 24 32 48 64 128 256; do
  [ -f "$ROOT/usr/share/icons/hicolor/${size}x${size}/apps/tavoro.png" ] ||
    { echo "missing icon size $size" >&2; exit 1; }
done

echo "== desktop-file-validate"
desktop-file-validate "$ROOT/usr/share/applications/tavoro.desktop"
echo "== appstreamcli validate"
appstreamcli validate --no-net "$ROOT/usr/share/metainfo/org.tavoro.Client.metainfo.xml"
echo "packages checked: $(basename "$CLIENT") $(basename "$DEMO")"
