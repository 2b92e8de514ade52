#!/bin/bash
# Every test suite: the native build (GoogleTest), the 32-bit Windows build
# under Wine (GoogleTest programs and end-to-end tests through the reference
# host), the same for 64-bit Windows, and a short fuzzing run of the library.
set -uo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1

jobs=${JOBS:-2}
xvfb_pid=""
cleanup() {
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
  for prefix in build/*/wineprefix; do
    [[ -d "$prefix" ]] && WINEPREFIX="$PWD/$prefix" /usr/lib/wine/wineserver -k >/dev/null 2>&1
  done
  true
}
trap cleanup EXIT

# Windows need a display: one Xvfb for the whole run when there is none.
if [[ -z "${DISPLAY:-}" ]]; then
  exec 3< <(Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null & echo "pid $!")
  read -r _ xvfb_pid <&3
  read -r display_number <&3 || true
  export DISPLAY=":${display_number}"
  echo "Started Xvfb on $DISPLAY"
fi

failed=0
passed_total=0
failed_total=0

run_ctest() {
  local preset=$1 log
  log=$(mktemp)
  ctest --preset "$preset" -j "$jobs" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [[ -n "$line" ]]; then
    local nfail total
    nfail=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    passed_total=$((passed_total + total - nfail))
    failed_total=$((failed_total + nfail))
  fi
  rm -f "$log"
  [[ $rc -eq 0 ]] || failed=1
}

for preset in native win32 win64; do
  echo "== $preset: configure and build"
  if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$jobs"; then
    echo "== $preset: tests"
    run_ctest "$preset"
  else
    echo "== $preset: build failed"
    failed=1
    failed_total=$((failed_total + 1))
  fi
done

if [[ -x scripts/fuzz.sh || -f scripts/fuzz.sh ]]; then
  echo "== fuzzing"
  if bash scripts/fuzz.sh; then
    passed_total=$((passed_total + 1))
  else
    failed=1
    failed_total=$((failed_total + 1))
  fi
fi

echo "$passed_total passed, $failed_total failed"
exit $failed
