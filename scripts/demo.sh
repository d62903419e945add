#!/usr/bin/env bash
# Builds the sample installer from examples/ with vxpack, runs it under Wine and tells what
# happened: the launcher's trace lines, the sample setup's report, and whether the work folder
# was removed. Saves a screenshot of the launcher's window in the build folder; with
# --screenshots it also refreshes docs/screenshots/stub_window.png. Then shows the update agent
# in inform mode (scripts/demo_agent.sh).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/common.sh"
source "$ROOT/scripts/wine_env.sh"

update_docs=0
[ "${1:-}" = --screenshots ] && update_docs=1

vx_demo_programs

OUT="$VX_BUILD/demo"
rm -rf "$OUT"; mkdir -p "$OUT"
installer="$OUT/SampleSetup.exe"

say() { printf '\n== %s\n' "$*"; }

say "Building the sample installer with vxpack"
"$DIST/vxpack" build "$ROOT/examples/sample/manifest.ini" --launcher "$launcher" \
  --file "setup.exe=$tree/sample_setup.exe" -o "$installer"
"$DIST/vxpack" inspect "$installer" | sed -n '1,40p'

say "Running it under Wine"
wine_env_start
tempdir_win="$("$VX_WINE" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')"
tempdir="$("$VX_WINE" winepath -u "$tempdir_win" 2>/dev/null)"
report="$tempdir/vornix_sample_report.txt"
rm -f "$report"
viewer_log="$OUT/trace.log"
if [ -f "$viewer" ]; then
  "$VX_WINE" "$viewer" /hidden "/log=$("$VX_WINE" winepath -w "$viewer_log")" >/dev/null 2>&1 &
  viewer_pid=$!
  sleep 2
fi
start=$(date +%s.%N)
"$VX_WINE" "$installer" >/dev/null 2>&1 &
installer_pid=$!
sleep 3.4
import -window root "$OUT/screen_during_extraction.png" 2>/dev/null || true
wait "$installer_pid"; rc=$?
end=$(date +%s.%N)
[ -n "${viewer_pid:-}" ] && { kill "$viewer_pid" 2>/dev/null || true; }

echo "The installer ended with exit code $rc after $(awk "BEGIN{printf \"%.1f\", $end - $start}") s."
if [ -f "$report" ]; then
  echo "The sample setup program ran. Its report:"
  sed 's/^/    /' "$report" | tr -d '\r'
  work_win="$(sed -n 's/^work folder: //p' "$report" | tr -d '\r')"
  work="$("$VX_WINE" winepath -u "$work_win" 2>/dev/null)"
  if [ -n "$work" ] && [ ! -d "$work" ]; then
    echo "The work folder $work_win is gone: the launcher cleaned up."
  else
    echo "The work folder $work_win is still there."; exit 1
  fi
else
  echo "The sample setup program did not run."; exit 1
fi
if [ -s "$viewer_log" ]; then
  say "Trace lines the launcher sent to the debug viewer"
  sed 's/^/    /' "$viewer_log"
fi
if [ -f "$OUT/screen_during_extraction.png" ]; then
  convert "$OUT/screen_during_extraction.png" -crop 510x124+258+322 +repage "$OUT/stub_window.png" 2>/dev/null || true
  echo
  echo "Screenshot of the launcher's window: $OUT/stub_window.png"
  if [ "$update_docs" = 1 ]; then
    cp -f "$OUT/stub_window.png" "$ROOT/docs/screenshots/stub_window.png"
    echo "Refreshed docs/screenshots/stub_window.png"
  fi
fi

# Part two: the update agent of such an installation finds news in inform mode.
wine_env_stop
say "The update agent in inform mode"
bash "$ROOT/scripts/demo_agent.sh" "$@"
