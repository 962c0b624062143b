#!/usr/bin/env bash
# Makes assets/Vantor.ico from assets/vantor-icon.svg: 16, 24, 32 and 48 px
# as bitmaps, 256 px PNG-compressed. Run it after changing the SVG and commit
# both files. Needs Debian's librsvg2-bin (rsvg-convert) and icoutils
# (icotool); the build itself only reads the committed .ico.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for size in 16 24 32 48 256; do
  rsvg-convert -w "$size" -h "$size" "$here/assets/vantor-icon.svg" -o "$work/$size.png"
done
icotool -c -o "$here/assets/Vantor.ico" "$work/16.png" "$work/24.png" "$work/32.png" \
  "$work/48.png" --raw="$work/256.png"
echo "wrote assets/Vantor.ico"
