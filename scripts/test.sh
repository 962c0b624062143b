#!/usr/bin/env bash
# Runs every test from nothing: installs the dependencies, builds the native and
# the Windows trees, runs the native tests with ctest and the Windows test
# programs under Wine (private prefix, its own Xvfb display). The last line is
# "N passed, M failed"; the exit code is non-zero when anything failed.
set -uo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

passed=0
failed=0
problems=()

finish() {
  for p in "${problems[@]+"${problems[@]}"}"; do echo "test: FAILED: $p"; done
  echo "$passed passed, $failed failed"
  if ((failed > 0 || ${#problems[@]} > 0)); then exit 1; fi
  exit 0
}

# A step that cannot even run counts as one failed test, so the total never
# hides it.
broken() {
  problems+=("$1")
  failed=$((failed + 1))
}

bash scripts/setup.sh || { broken "dependency setup"; finish; }

build() {
  local preset="$1"
  echo "test: building $preset"
  if ! cmake --preset "$preset" >"build/$preset-configure.log" 2>&1; then
    cat "build/$preset-configure.log"
    return 1
  fi
  cmake --build --preset "$preset" >"build/$preset-build.log" 2>&1
  local status=$?
  grep -E 'error|warning' "build/$preset-build.log" | head -50
  return "$status"
}

mkdir -p build
# --- native -------------------------------------------------------------------
if build linux; then
  echo "test: native tests"
  ctest --preset linux >build/ctest.log 2>&1
  summary="$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' build/ctest.log | tail -1)"
  if [[ -z "$summary" ]]; then
    tail -20 build/ctest.log
    broken "native tests did not run"
  else
    echo "test: native: $summary"
    total="$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")"
    bad="$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")"
    passed=$((passed + total - bad))
    failed=$((failed + bad))
    ((bad > 0)) && sed -n '/The following tests FAILED/,$p' build/ctest.log
  fi
else
  broken "native build"
fi

# --- the page scripts in headless Chromium --------------------------------------
run_browser_tests() {
  local texts="$root/build/page_texts.json" log="$root/build/browser-tests.log"
  echo "test: page scripts in headless Chromium"
  (cd tests/browser && npm ci --silent --no-audit --no-fund >"$root/build/npm-ci.log" 2>&1) || {
    cat build/npm-ci.log
    broken "npm ci for the browser tests"
    return
  }
  build/linux/tests/print_page_texts "$root/build/page-texts-scratch" >"$texts" || {
    broken "print_page_texts"
    return
  }
  (cd tests/browser && VANTOR_PAGE_TEXTS="$texts" timeout 600 node --test) >"$log" 2>&1
  local ok bad
  ok="$(sed -nE 's/^# pass ([0-9]+)$/\1/p' "$log" | tail -1)"
  bad="$(sed -nE 's/^# fail ([0-9]+)$/\1/p' "$log" | tail -1)"
  if [[ -z "$ok" ]]; then
    tail -30 "$log"
    broken "browser tests did not run"
    return
  fi
  echo "test: browser: $ok passed, ${bad:-0} failed"
  passed=$((passed + ok))
  failed=$((failed + ${bad:-0}))
  ((${bad:-0} > 0)) && grep -E '^not ok|error:|expected|actual' "$log" | head -40
}
[[ -x build/linux/tests/print_page_texts ]] && run_browser_tests

# --- fuzzing, bounded in time ----------------------------------------------------
run_fuzzers() {
  local seconds="${VANTOR_FUZZ_SECONDS:-20}" name corpus log runs
  for name in page_message uri_mapper; do
    corpus="build/fuzz-corpus/$name"
    log="build/fuzz-$name.log"
    mkdir -p "$corpus"
    cp -n tests/fuzz/corpus/"$name"/* "$corpus"/
    echo "test: fuzzing ${name} for ${seconds} s"
    if build/linux-fuzz/tests/fuzz/"${name}_fuzz" -max_total_time="$seconds" -max_len=512 \
      "$corpus" >"$log" 2>&1; then
      runs="$(sed -nE 's/^Done ([0-9]+) runs.*/\1/p' "$log")"
      echo "test: fuzz: $name: ${runs:-?} executions, no crash"
      passed=$((passed + 1))
    else
      grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -10
      failed=$((failed + 1))
      problems+=("fuzzer $name found a crash (build/$(basename "$log"))")
    fi
  done
}
if build linux-fuzz; then run_fuzzers; else broken "fuzzer build"; fi

# The benchmarks are not tests, but they must keep compiling.
build linux-release || broken "benchmark build"

# --- Windows, under Wine --------------------------------------------------------
wine_bin="$(command -v wine64 || echo /usr/lib/wine/wine64)"
export WINEPREFIX="$root/build/wineprefix" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko install dialogs: nothing here needs .NET or Wine's browser.
export WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=""
stop_xvfb() {
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
  "$(dirname "$wine_bin")/wineserver" -k 2>/dev/null || true
}
trap stop_xvfb EXIT

start_xvfb() {
  local fifo
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  local display
  read -r -t 20 display <"$fifo" || display=""
  rm -f "$fifo"
  [[ -n "$display" ]] || return 1
  export DISPLAY=":$display"
}

run_wine_tests() {
  local exe name log summary ok bad
  for exe in build/windows/wine-tests/*.exe; do
    name="$(basename "$exe")"
    log="build/wine-$name.log"
    echo "test: under Wine: $name"
    timeout 600 "$wine_bin" "$exe" --gtest_brief=1 >"$log" 2>&1
    ok="$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | sed -E 's/[^0-9]*([0-9]+).*/\1/' | tail -1)"
    bad="$(grep -E '^\[  FAILED  \] [0-9]+ test' "$log" | sed -E 's/[^0-9]*([0-9]+).*/\1/' | tail -1)"
    if [[ -z "$ok" && -z "$bad" ]]; then
      tail -20 "$log"
      broken "$name ended without a test summary"
      continue
    fi
    passed=$((passed + ${ok:-0}))
    failed=$((failed + ${bad:-0}))
    echo "test: under Wine: $name: ${ok:-0} passed, ${bad:-0} failed"
    [[ -n "$bad" ]] && grep -E '^\[  FAILED  \]|Failure' "$log" | head -40
  done
}

if build windows; then
  if ! start_xvfb; then
    broken "Xvfb did not start"
  else
    "$wine_bin" wineboot --init >build/wineboot.log 2>&1 || true
    # Without a window manager, Wine's managed windows stall their thread about
    # 2 s whenever one is hidden or destroyed; Windows has no such delay.
    "$wine_bin" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      >>build/wineboot.log 2>&1 || true
    # Drive T: for the test of a program at a drive's root.
    mkdir -p build/wine-drive-t
    ln -sfn "$root/build/wine-drive-t" "$WINEPREFIX/dosdevices/t:"
    run_wine_tests
  fi
else
  broken "Windows build"
fi

finish
