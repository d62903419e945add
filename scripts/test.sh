#!/usr/bin/env bash
# Runs every test suite: native GoogleTest, the Windows tests once under Wine, then the
# shipped-launcher suite (the 32-bit dist/vxstub.exe itself, emulated where the kernel needs it).
# Usage: ./vx test [native|wine|shipped] [extra gtest args]
set -uo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/common.sh"
source "$ROOT/scripts/wine_env.sh"
source "$ROOT/scripts/net_servers.sh"

which="${1:-all}"; [ $# -gt 0 ] && shift

# The shipped-launcher suite runs the 32-bit dist/vxstub.exe itself. Where this kernel cannot run
# 32-bit programs, the Windows part of the run goes into a namespace where they run under
# emulation (scripts/i386_ns.sh), with one Wine prefix and one wineserver for both suites; 64-bit
# programs run natively there as everywhere.
shipped_skip=""
if [ "$which" != native ] && [ "$which" != wine ] && [ -z "${VX_I386_EMULATED:-}" ] && ! vx_can_run_win32; then
  if why="$(vx_i386_emulation_check)"; then
    vx_in_i386_namespace bash "$ROOT/scripts/test.sh" "$which" "$@"
    exit $?
  fi
  shipped_skip="$why"
fi
total_pass=0; total_fail=0; status=0; shipped_state=""
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

# Runs one Windows test exe of the test tree once under Wine, its log in LOGDIR/NAME.log.
run_wine_exe() {
  local name="$1" limit="$2"; shift 2
  local log="$LOGDIR/$name.log" rc
  ( cd "$tree" && timeout "$limit" "$VX_WINE" "./${name}_tests.exe" --gtest_color=no "$@" ) > "$log" 2>&1
  rc=$?; tail -n 3 "$log"
  count_gtest "$log" "$name"
  if [ $rc -ne 0 ]; then
    status=1
    grep -q 'PASSED\|FAILED' "$log" || { echo "${name}_tests.exe ended with $rc:"; tail -n 40 "$log"; total_fail=$((total_fail + 1)); }
  fi
  return $rc
}

run_wine=0; run_shipped=0
case "$which" in all) run_wine=1; run_shipped=1 ;; wine) run_wine=1 ;; shipped) run_shipped=1 ;; esac
if [ $run_shipped = 1 ] && [ -n "$shipped_skip" ]; then
  echo "[vx] shipped-launcher suite NOT RUN: 32-bit programs do not run here and cannot be emulated ($shipped_skip)"
  shipped_state="not run"; run_shipped=0
fi

if [ $run_wine = 1 ] || [ $run_shipped = 1 ]; then
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
  if [ $run_wine = 1 ]; then
    echo "== Windows tests under Wine"
    run_wine_exe wine 1800 "$@"
  fi
  if [ $run_shipped = 1 ]; then
    how="natively"; [ "${VX_I386_EMULATED:-}" = 1 ] && how="under qemu-user emulation (about a minute a start)"
    echo "== shipped-launcher suite: $DIST/vxstub.exe, 32-bit, $how"
    started=$(date +%s)
    VX_LAUNCHER_UNDER_TEST="Z:$(echo "$DIST/vxstub.exe" | tr / '\\')" run_wine_exe shipped 2400 "$@" &&
      shipped_state="passed" || shipped_state="failed"
    echo "   (suite time $(( $(date +%s) - started )) s; each scenario's time is in $LOGDIR/shipped.log)"
  fi
  small_drive_stop
  net_servers_stop
  wine_env_stop
fi

[ $status -eq 0 ] || echo "Logs: $LOGDIR"
echo "$total_pass passed, $total_fail failed${shipped_state:+; shipped-launcher suite $shipped_state}"
exit $status
