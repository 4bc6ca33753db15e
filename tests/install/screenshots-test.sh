#!/usr/bin/env bash
# The tour's pages README shows are what the player draws today: each
# picture in docs/screenshots/ equals, pixel for pixel, the page of its name
# the build's player exports. scripts/screenshots makes them again.
#
#   screenshots-test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
shots=$2/docs/screenshots
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
QT_QPA_PLATFORM=offscreen "$build/lumeria" --export-pages "$tmp" "$build/tour.lum" >/dev/null
count=0
for shot in "$shots"/*.png; do
  name=$(basename "$shot")
  [ -f "$tmp/$name" ] || { echo "README's $name is no page of the tour any more (scripts/screenshots)" >&2; exit 1; }
  differing=$(compare -metric AE "$shot" "$tmp/$name" null: 2>&1) || true
  [ "$differing" = 0 ] || { echo "$name: $differing pixels differ from what the player draws (scripts/screenshots)" >&2; exit 1; }
  count=$((count + 1))
done
grep -q "docs/screenshots/" "$2/README.md" || { echo "README shows no screenshot" >&2; exit 1; }
echo "$count screenshots are the tour's pages as drawn"
