#!/usr/bin/env bash
# Runs every test suite: native GoogleTest, then the Windows tests once under Wine.
# Usage: ./vx test [native|wine] [extra gtest args]
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/common.sh"
source "$ROOT/scripts/wine_env.sh"
source "$ROOT/scripts/net_servers.sh"

which="${1:-all}"; [ $# -gt 0 ] && shift
total_pass=0; total_fail=0; status=0
LOGDIR="$VX_BUILD/test-logs"; mkdir -p "$LOGDIR"

# Adds a GoogleTest log's counts to the totals and prints its summary lines.
count_gtest() {
  local log="$1" name="$2" p f
  p=$(grep -E '^\[  PASSED  \] [0-9]+ test' "$log" | tail -1 | grep -oE '[0-9]+' | head -1)
  f=$(grep -E '^\[  FAILED  \] [0-9]+ test' "$log" | tail -1 | grep -oE '[0-9]+' | head -1)
  p=${p:-0}; f=${f:-0}
  echo "== $name: $p passed, $f failed"
  grep -E '^\[  FAILED  \] .*\.' "$log" | sed 's/^/   /' || true
  total_pass=$((total_pass + p)); total_fail=$((total_fail + f))
}

if [ "$which" = all ] || [ "$which" = native ]; then
  echo "== native tests"
  "$BUILD_HOST/native_tests" --gtest_color=no "$@" > "$LOGDIR/native.log" 2>&1
  rc=$?; tail -n 3 "$LOGDIR/native.log"
  count_gtest "$LOGDIR/native.log" native
  [ $rc -eq 0 ] || status=1
fi

if [ "$which" = all ] || [ "$which" = wine ]; then
  echo "== Windows tests under Wine"
  wine_env_start
  # The download tests' web servers on loopback.
  net_servers_start || { echo "[vx] the test web servers did not start" >&2; exit 1; }
  # The full-disk tests' small drive (X:).
  source "$ROOT/scripts/small_drive.sh"
  small_drive_start
  trap 'small_drive_stop; net_servers_stop; wine_env_stop' EXIT
  tree="$(vx_test_win_tree)"
  export VX_TEST_BIN_DIR="$tree"
  # Checks of the shipped file read the 32-bit launcher wherever the tests run (Z: is /).
  export VX_SHIPPED_LAUNCHER="Z:$(echo "$BUILD_LAUNCHER/vxstub.exe" | tr / '\\')"
  ( cd "$tree" && timeout 1800 "$VX_WINE" ./wine_tests.exe --gtest_color=no "$@" ) > "$LOGDIR/wine.log" 2>&1
  rc=$?; tail -n 3 "$LOGDIR/wine.log"
  net_servers_stop
  small_drive_stop
  count_gtest "$LOGDIR/wine.log" wine
  if [ $rc -ne 0 ]; then
    status=1
    grep -q 'PASSED\|FAILED' "$LOGDIR/wine.log" || { echo "wine_tests.exe ended with $rc:"; tail -n 40 "$LOGDIR/wine.log"; total_fail=$((total_fail + 1)); }
  fi
  wine_env_stop
fi

[ $status -eq 0 ] || echo "Logs: $LOGDIR"
echo "$total_pass passed, $total_fail failed"
exit $status
