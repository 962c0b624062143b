# Pinned versions of every third-party piece the build uses. One place to bump them.
# Sourced by scripts/setup.sh.

# Debian source packages (bookworm), unpacked and built by the setup script.
OPENSSL_DEB_VERSION="3.0.17-1~deb12u2"
OPENSSL_UPSTREAM_VERSION="3.0.17"
HTTPLIB_DEB_VERSION="0.11.4+ds-1+deb12u1"
HTTPLIB_UPSTREAM_VERSION="0.11.4"

# npm: the amalgamated miniz sources, checked against this integrity hash.
MINIZ_NPM_VERSION="3.1.0"
MINIZ_NPM_INTEGRITY="sha512-P44RilEGZwomPqQ0Yy/ppIiei4ykXM+JGiQeXgm0z1pWufBUX4Fs4/AJ2Xh8lfWIO+fgTyQJjit5yluXwuno0g=="

# NuGet: the WebView2 SDK (WebView2.h and WebView2Loader.dll).
WEBVIEW2_NUGET_VERSION="1.0.2903.40"

# Debian binary packages and the versions this tree was last verified with. The
# setup installs them by name (the archive keeps only the current build of each)
# and warns when the installed version drifts from the one listed here.
DEBIAN_PACKAGES=(
  "g++=4:12.2.0-3"
  "g++-mingw-w64-x86-64-posix=12.2.0-14+deb12u1+25.2+b1"
  "cmake=3.25.1-1"
  "wine64=8.0~repack-4"
  "xvfb=2:21.1.7-3+deb12u13"
  "xauth=1:1.1.2-1"
  "nlohmann-json3-dev=3.11.2-2"
  "libssl-dev=3.0.22-1~deb12u2"
  "libgtest-dev=1.12.1-0.2"
  "libbenchmark-dev=1.7.1-1"
  "dpkg-dev=1.21.23"
  "xz-utils=5.4.1-1"
  "zip=3.0-13"
  "unzip=6.0-28"
  "clang-format=1:14.0-55.7~deb12u1"
  "chromium=156.0.8078.129-1~deb12u1"
  "clang-14=1:14.0.6-12"
  "libclang-rt-14-dev=1:14.0.6-12"
)

# GoogleTest for the Windows tests, built from libgtest-dev's sources.
GTEST_MINGW_VERSION="1.12.1"
