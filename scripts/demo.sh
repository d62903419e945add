#!/usr/bin/env bash
# Builds the sample installer from examples/ with vxpack, runs it under Wine and tells what
# happened: the launcher's trace lines, the sample setup's report, and whether the work folder
# was removed. Saves a screenshot of the launcher's window in the build folder; with
# --screenshots it also refreshes docs/screenshots/stub_window.png. Then shows the update agent
# in inform mode (scripts/demo_agent.sh), and the shipped 32-bit file itself (scripts/demo_shipped.sh).
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

# ---- A full update cycle: version 100 of a fake application installed with its agent, version
# 110 offered in a local folder; the agent closes the application, runs the new setup (which
# upgrades the application's files), records 110, restarts the application and relaunches itself.
say "Update cycle: installed 100, 110 offered"
U="$OUT/update"; app="$U/app"; offer="$U/offer"
mkdir -p "$app" "$offer" "$U/payload"
win() { "$VX_WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
app_w="$(win "$app")"; offer_w="$(win "$offer")"
agent_settings="[settings]
update_url = $offer_w
info_file = MyApp.info
agent_exe = MyAppUpdate.exe
agent_token = DemoAgentToken"
printf '[package]\noutput = %s\nlauncher = %s\nagent = yes\n%s\n' "$app/MyAppUpdate.exe" "$launcher" \
  "$agent_settings" > "$U/agent.ini"
"$DIST/vxpack" build "$U/agent.ini" >/dev/null
cp -f "$tree/fakeapp.exe" "$app/app.exe"; printf 100 > "$app/version.txt"; : > "$app/app.exe.log"
cp -f "$tree/fakeapp.exe" "$U/payload/app.exe"; printf 110 > "$U/payload/version.txt"
printf '[OriginalSetup]\r\nVersionOriginal=100\r\nProgramName=MyApp\r\nProbeSecondsInterval=0\r\n[Directories]\r\nTargetDir=%s\r\n' \
  "$app_w" > "$app/MyApp.original"
printf '[package]\noutput = %s\nlauncher = %s\nfiles = payload\nsetup = setup.exe\nsetup_params = /install="%s" /complete\nmake_agent = yes\n%s\n' \
  "$offer/Setup110.exe" "$launcher" "$app_w" "$agent_settings" > "$U/update.ini"
"$DIST/vxpack" build "$U/update.ini" --file "setup.exe=$tree/fakesetup.exe" >/dev/null
printf '[NewSetup]\r\nVersionNew=110\r\nStamp=1\r\nDownloadURL_UPDATE=%s\r\nNameOfUpdateFile=Setup110.exe\r\nSizeOfUpdateFile=%s\r\nShutDownMethod=Using WM_CLOSE\r\nRunningProcess=<InstallDir>\\app.exe\r\nProgramName=MyApp\r\nRestartProcess=1\r\nInformFinish=0\r\n' \
  "$offer_w" "$(stat -c %s "$offer/Setup110.exe")" > "$offer/MyApp.info"
echo "Installed: $app_w (version $(cat "$app/version.txt")); offered: $offer_w\\Setup110.exe"
update_log="$U/trace.log"
if [ -f "$viewer" ]; then
  "$VX_WINE" "$viewer" /hidden "/log=$(win "$update_log")" >/dev/null 2>&1 &
  update_viewer=$!
  sleep 2
fi
"$VX_WINE" "$app/app.exe" >/dev/null 2>&1 &
sleep 2
"$VX_WINE" "$app/MyAppUpdate.exe" /DELAY=0 >/dev/null 2>&1 || true
relaunched=0
for _ in $(seq 1 120); do
  if [ "$(grep -c '^start ' "$app/app.exe.log")" -ge 2 ] && grep -q 'X_MyAppUpdate.exe" /TRANSIENTx=' "$update_log" 2>/dev/null; then
    relaunched=1; break
  fi
  sleep 0.5
done
"$VX_WINE" "$app/MyAppUpdate.exe" /STOP=0 >/dev/null 2>&1 || true
sleep 3
"$VX_WINE" taskkill /f /im app.exe >/dev/null 2>&1 || true
[ -n "${update_viewer:-}" ] && { kill "$update_viewer" 2>/dev/null || true; }
echo "Application log (each start, the close request it received, its end):"
sed 's/^/    /' "$app/app.exe.log" | tr -d '\r'
echo "Installed version now: $(cat "$app/version.txt"); VersionOriginal=$(sed -n 's/^VersionOriginal=//p' "$app/MyApp.original" | tr -d '\r')"
[ -e "$app/Setup110.exe" ] && echo "The fetched setup is still there." || echo "The fetched setup was deleted."
if [ -s "$update_log" ]; then
  say "Trace of the update cycle"
  grep -E 'STUB START|Fire|GetOkToPerformAU|PerformShot|PerformAutoUpdate|DownloadFileAU|ForegroundOp|>>' "$update_log" | sed 's/^/    /'
fi
[ "$relaunched" = 1 ] && [ "$(cat "$app/version.txt")" = 110 ] || { echo "The update cycle did not complete."; exit 1; }
echo "Version 110 runs and the agent relaunched itself."

# Part two: the update agent of such an installation finds news in inform mode.
wine_env_stop
say "The update agent in inform mode"
bash "$ROOT/scripts/demo_agent.sh" "$@"

# Part three: the file that ships, run by the same means as the shipped-launcher suite.
bash "$ROOT/scripts/demo_shipped.sh"
