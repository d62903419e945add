#!/usr/bin/env bash
# The demo's last part: the sample installer built on the file that ships (the 32-bit
# dist/vxstub.exe) runs under Wine. Where this kernel runs no 32-bit programs it runs under
# qemu-user emulation in a private namespace (scripts/i386_ns.sh): about a minute to start.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/common.sh"
source "$ROOT/scripts/wine_env.sh"

say() { printf '\n== %s\n' "$*"; }

if [ "${1:-}" != --inside ]; then
  say "The shipped launcher itself: $DIST/vxstub.exe (PE32, $(stat -c %s "$DIST/vxstub.exe") bytes)"
  if vx_can_run_win32; then
    echo "This machine runs 32-bit programs: the installer above already ran the shipped file."
    exit 0
  fi
  if ! why="$(vx_i386_emulation_check)"; then
    echo "Not shown: 32-bit programs do not run here and cannot be emulated ($why)."
    exit 0
  fi
  echo "This kernel runs no 32-bit programs: running it under qemu-user emulation."
  exec env VX_I386_EMULATED=1 unshare --user --map-root-user --mount --fork \
    sh "$ROOT/scripts/i386_ns.sh" bash "$0" --inside
fi

tree="$BUILD_WIN64"
OUT="$VX_BUILD/demo/shipped"
rm -rf "$OUT"; mkdir -p "$OUT"
installer="$OUT/SampleSetup.exe"
"$DIST/vxpack" build "$ROOT/examples/sample/manifest.ini" --launcher "$DIST/vxstub.exe" \
  --file "setup.exe=$tree/sample_setup.exe" -o "$installer" >/dev/null
wine_env_start
win() { "$VX_WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
tempdir="$("$VX_WINE" winepath -u "$("$VX_WINE" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)"
report="$tempdir/vornix_sample_report.txt"
rm -f "$report"
viewer_log="$OUT/trace.log"
"$VX_WINE" "$tree/vxdebugview.exe" /hidden "/log=$(win "$viewer_log")" >/dev/null 2>&1 &
viewer_pid=$!
sleep 2
start=$(date +%s)
rc=0; "$VX_WINE" "$installer" >/dev/null 2>&1 || rc=$?
end=$(date +%s)
sleep 1
kill "$viewer_pid" 2>/dev/null || true
wine_env_stop
echo "The 32-bit installer ended with exit code $rc after $((end - start)) s (emulated)."
[ -f "$report" ] || { echo "The sample setup program did not run."; exit 1; }
echo "The sample setup program ran. Its report:"
sed 's/^/    /' "$report" | tr -d '\r'
if [ -s "$viewer_log" ]; then
  echo "Its trace lines:"
  sed 's/^/    /' "$viewer_log"
fi
[ "$rc" = 0 ] || exit 1
