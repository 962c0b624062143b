# Locates the third-party libraries for the native and the Windows builds.
# Native builds use Debian's packages; the Windows build uses what
# scripts/setup.sh built into VANTOR_DEPS, plus Debian's header-only JSON.

include("${CMAKE_CURRENT_LIST_DIR}/../scripts/versions.cmake")

# nlohmann_json: a CMake package natively and under MSYS2; when cross-compiling,
# the Debian headers (header-only, platform-neutral) through a private link.
find_package(nlohmann_json 3.10 CONFIG QUIET)
if(NOT nlohmann_json_FOUND)
  set(VANTOR_JSON_INCLUDE "/usr/include" CACHE PATH "Folder holding nlohmann/json.hpp")
  set(_json_dir "${CMAKE_BINARY_DIR}/third_party/include")
  file(MAKE_DIRECTORY "${_json_dir}")
  file(CREATE_LINK "${VANTOR_JSON_INCLUDE}/nlohmann" "${_json_dir}/nlohmann" SYMBOLIC)
  add_library(nlohmann_json INTERFACE)
  target_include_directories(nlohmann_json SYSTEM INTERFACE "${_json_dir}")
  add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
endif()

# miniz: the amalgamated sources from npm, as a small static library.
set(_miniz_dir "${VANTOR_DEPS}/miniz-${VANTOR_MINIZ_VERSION}")
if(NOT EXISTS "${_miniz_dir}/miniz.c")
  message(FATAL_ERROR "miniz not found in ${_miniz_dir}: run scripts/setup.sh first")
endif()
add_library(miniz STATIC "${_miniz_dir}/miniz.c")
target_include_directories(miniz SYSTEM PUBLIC "${_miniz_dir}")
set_target_properties(miniz PROPERTIES C_STANDARD 99 POSITION_INDEPENDENT_CODE ON)

# cpp-httplib: one header-only httplib.h for both builds, with OpenSSL.
set(_httplib_dir "${VANTOR_DEPS}/cpp-httplib-${VANTOR_HTTPLIB_VERSION}/include")
add_library(httplib INTERFACE)
target_include_directories(httplib SYSTEM INTERFACE "${_httplib_dir}")
target_compile_definitions(httplib INTERFACE CPPHTTPLIB_OPENSSL_SUPPORT)
if(WIN32)
  set(_ssl "${VANTOR_DEPS}/openssl-mingw64-${VANTOR_OPENSSL_VERSION}")
  add_library(vantor_openssl INTERFACE)
  target_include_directories(vantor_openssl SYSTEM INTERFACE "${_ssl}/include")
  target_link_libraries(vantor_openssl INTERFACE "${_ssl}/lib/libssl.a" "${_ssl}/lib/libcrypto.a"
                                                 ws2_32 crypt32 bcrypt user32 advapi32)
  target_link_libraries(httplib INTERFACE vantor_openssl)
else()
  find_package(OpenSSL 3 REQUIRED)
  target_link_libraries(httplib INTERFACE OpenSSL::SSL OpenSSL::Crypto)
endif()

# WebView2 SDK (Windows only): the header and the loader DLL that ships beside
# Vantor.exe. MinGW cannot link the static loader library.
if(WIN32)
  set(VANTOR_WEBVIEW2_DIR "${VANTOR_DEPS}/webview2-${VANTOR_WEBVIEW2_VERSION}")
  add_library(webview2 INTERFACE)
  target_include_directories(webview2 SYSTEM INTERFACE "${VANTOR_WEBVIEW2_DIR}/include"
                                                       "${CMAKE_SOURCE_DIR}/src/webhost/compat")
  set(VANTOR_WEBVIEW2_LOADER "${VANTOR_WEBVIEW2_DIR}/x64/WebView2Loader.dll")
endif()

# GoogleTest: Debian's natively, the setup's mingw build for Windows.
if(VANTOR_BUILD_TESTS)
  if(WIN32 AND CMAKE_CROSSCOMPILING)
    list(APPEND CMAKE_FIND_ROOT_PATH "${VANTOR_DEPS}/gtest-mingw64-${VANTOR_GTEST_VERSION}")
  endif()
  find_package(GTest CONFIG REQUIRED)
endif()
