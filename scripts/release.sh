#!/usr/bin/env bash
# Builds the Windows release: Vantor.exe with WebView2Loader.dll and Vantor.ico
# beside it, and dist/Vantor-<version>-win-x64.zip holding the three at its
# root (the layout the updater installs over an existing folder).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Vantor

version="$(sed -nE 's/^project\(Vantor VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)"
app="build/windows/src/app"
mkdir -p dist
archive="dist/Vantor-$version-win-x64.zip"
rm -f "$archive"
zip -j -X -q "$archive" "$app/Vantor.exe" "$app/WebView2Loader.dll" "$app/Vantor.ico"
echo "release: $archive"
unzip -l "$archive"
