#!/usr/bin/env bash
# Installs or builds everything the native and Windows builds need, on a Debian
# bookworm machine, as root. Idempotent: what is already in the cache is reused,
# so a second run takes seconds. Nothing lands in the work tree.
#
# Cache: $VANTOR_DEPS (default /var/cache/vantor-deps). Prints nothing on success
# beyond one line per step.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=versions.sh
source "$here/versions.sh"

DEPS="${VANTOR_DEPS:-/var/cache/vantor-deps}"
mkdir -p "$DEPS"

step() { echo "setup: $*"; }
fail() {
  echo "setup: FAILED: $1" >&2
  echo "setup: reason: $2" >&2
  exit 1
}

# --- Debian packages ---------------------------------------------------------
debian_packages() {
  local names=() missing=() spec name want have
  for spec in "${DEBIAN_PACKAGES[@]}"; do
    name="${spec%%=*}"
    names+=("$name")
    if ! dpkg-query -W -f='${Status}' "$name" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$name")
    fi
  done
  if ((${#missing[@]})); then
    step "installing Debian packages: ${missing[*]}"
    apt-get update -qq >/dev/null || fail "Debian package lists" "apt-get update failed"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
      >"$DEPS/apt-install.log" 2>&1 ||
      fail "Debian packages (${missing[*]})" "apt-get install failed; see $DEPS/apt-install.log"
  fi
  for spec in "${DEBIAN_PACKAGES[@]}"; do
    name="${spec%%=*}"
    want="${spec#*=}"
    have="$(dpkg-query -W -f='${Version}' "$name")"
    [[ "$have" == "$want" ]] || step "note: $name is $have (tree verified with $want)"
  done
}

# --- Debian source packages --------------------------------------------------
enable_deb_src() {
  local list=/etc/apt/sources.list.d/vantor-deb-src.sources
  [[ -f "$list" ]] && return 0
  step "adding the Debian source package index"
  cat >"$list" <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  apt-get update -qq >/dev/null || fail "Debian source index" "apt-get update failed"
}

# Downloads one pinned source package into $DEPS/debsrc (checked against the
# signed index by apt) and unpacks its upstream tarball into $2.
fetch_deb_source() {
  local pkg="$1" version="$2" dest="$3"
  local dir="$DEPS/debsrc"
  mkdir -p "$dir"
  local tarball
  tarball="$(ls "$dir/${pkg}_${version%%-*}".orig.tar.[gx]z 2>/dev/null || true)"
  if [[ -z "$tarball" ]]; then
    enable_deb_src
    step "fetching Debian source package $pkg $version"
    (cd "$dir" && apt-get source --download-only -qq "$pkg=$version" >"$dir/$pkg.log" 2>&1) ||
      fail "source package $pkg $version" "apt-get source failed; see $dir/$pkg.log"
    tarball="$(ls "$dir/${pkg}_${version%%-*}".orig.tar.[gx]z)"
  fi
  rm -rf "$dest"
  mkdir -p "$dest"
  tar -xf "$tarball" -C "$dest" --strip-components=1
}

openssl_mingw() {
  local prefix="$DEPS/openssl-mingw64-$OPENSSL_UPSTREAM_VERSION"
  [[ -f "$prefix/.done" ]] && return 0
  step "building OpenSSL $OPENSSL_UPSTREAM_VERSION for mingw64 (static, a few minutes)"
  local src="$DEPS/build/openssl"
  fetch_deb_source openssl "$OPENSSL_DEB_VERSION" "$src"
  # Each step chained with &&: errexit does not apply inside a || list.
  (
    cd "$src" &&
      ./Configure mingw64 no-shared no-tests --cross-compile-prefix=x86_64-w64-mingw32- \
        --prefix="$prefix" --libdir=lib &&
      make -j"$(nproc)" build_libs &&
      make install_dev
  ) >"$DEPS/openssl-build.log" 2>&1 || fail "OpenSSL for mingw64" "build failed; see $DEPS/openssl-build.log"
  rm -rf "$src"
  touch "$prefix/.done"
}

cpp_httplib() {
  local dest="$DEPS/cpp-httplib-$HTTPLIB_UPSTREAM_VERSION"
  [[ -f "$dest/include/httplib.h" ]] && return 0
  step "unpacking cpp-httplib $HTTPLIB_UPSTREAM_VERSION (header-only httplib.h)"
  local src="$DEPS/build/cpp-httplib"
  fetch_deb_source cpp-httplib "$HTTPLIB_DEB_VERSION" "$src"
  [[ -f "$src/httplib.h" ]] || fail "cpp-httplib" "httplib.h not found in the source package"
  mkdir -p "$dest/include"
  cp "$src/httplib.h" "$dest/include/httplib.h"
  rm -rf "$src"
}

# --- npm: miniz --------------------------------------------------------------
miniz() {
  local dest="$DEPS/miniz-$MINIZ_NPM_VERSION"
  [[ -f "$dest/miniz.c" ]] && return 0
  step "fetching miniz $MINIZ_NPM_VERSION from npm"
  local tmp
  tmp="$(mktemp -d)"
  (cd "$tmp" && npm pack --silent "miniz.c@$MINIZ_NPM_VERSION" >/dev/null 2>"$tmp/npm.log") ||
    fail "miniz (npm miniz.c@$MINIZ_NPM_VERSION)" "npm pack failed: $(cat "$tmp/npm.log")"
  local tgz="$tmp/miniz.c-$MINIZ_NPM_VERSION.tgz"
  local got="sha512-$(openssl dgst -sha512 -binary "$tgz" | base64 -w0)"
  [[ "$got" == "$MINIZ_NPM_INTEGRITY" ]] ||
    fail "miniz (npm miniz.c@$MINIZ_NPM_VERSION)" "integrity mismatch: got $got"
  mkdir -p "$dest"
  tar -xzf "$tgz" -C "$dest" --strip-components=1 package/miniz.c package/miniz.h package/LICENSE
  rm -rf "$tmp"
}

# --- NuGet: WebView2 SDK -----------------------------------------------------
webview2_sdk() {
  local dest="$DEPS/webview2-$WEBVIEW2_NUGET_VERSION"
  [[ -f "$dest/include/WebView2.h" && -f "$dest/x64/WebView2Loader.dll" ]] && return 0
  step "restoring Microsoft.Web.WebView2 $WEBVIEW2_NUGET_VERSION from NuGet"
  command -v dotnet >/dev/null || fail "WebView2 SDK" "the dotnet client is not installed"
  local tmp
  tmp="$(mktemp -d)"
  cat >"$tmp/restore.csproj" <<PROJ
<Project Sdk="Microsoft.NET.Sdk">
  <PropertyGroup><TargetFramework>netstandard2.0</TargetFramework></PropertyGroup>
  <ItemGroup>
    <PackageDownload Include="Microsoft.Web.WebView2" Version="[$WEBVIEW2_NUGET_VERSION]" />
  </ItemGroup>
</Project>
PROJ
  DOTNET_CLI_TELEMETRY_OPTOUT=1 DOTNET_NOLOGO=1 DOTNET_SKIP_FIRST_TIME_EXPERIENCE=1 \
    dotnet restore "$tmp/restore.csproj" --packages "$tmp/packages" >"$tmp/restore.log" 2>&1 ||
    fail "WebView2 SDK (Microsoft.Web.WebView2 $WEBVIEW2_NUGET_VERSION)" "dotnet restore failed: $(tail -5 "$tmp/restore.log")"
  local pkg="$tmp/packages/microsoft.web.webview2/$WEBVIEW2_NUGET_VERSION/build/native"
  [[ -f "$pkg/include/WebView2.h" ]] || fail "WebView2 SDK" "WebView2.h missing from the package"
  mkdir -p "$dest/x64"
  cp -r "$pkg/include" "$dest/include"
  cp "$pkg/x64/WebView2Loader.dll" "$dest/x64/"
  cp "$tmp/packages/microsoft.web.webview2/$WEBVIEW2_NUGET_VERSION/LICENSE.txt" "$dest/" 2>/dev/null || true
  rm -rf "$tmp"
}

# --- GoogleTest for Windows --------------------------------------------------
gtest_mingw() {
  local prefix="$DEPS/gtest-mingw64-$GTEST_MINGW_VERSION"
  [[ -f "$prefix/.done" ]] && return 0
  step "building GoogleTest for mingw64 from /usr/src/googletest"
  local build="$DEPS/build/gtest-mingw64"
  rm -rf "$build"
  cmake -S /usr/src/googletest -B "$build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$here/../cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF >"$DEPS/gtest-build.log" 2>&1 &&
    cmake --build "$build" -j"$(nproc)" >>"$DEPS/gtest-build.log" 2>&1 &&
    cmake --install "$build" >>"$DEPS/gtest-build.log" 2>&1 ||
    fail "GoogleTest for mingw64" "build failed; see $DEPS/gtest-build.log"
  rm -rf "$build"
  touch "$prefix/.done"
}

debian_packages
openssl_mingw
cpp_httplib
miniz
webview2_sdk
gtest_mingw
step "dependencies ready in $DEPS"
