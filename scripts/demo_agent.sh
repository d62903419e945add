#!/usr/bin/env bash
# The update agent in inform mode: an agent built with vxpack is "installed" in a folder with its
# original-settings file (version 100); a local update folder offers version 110 with a news
# file. The agent starts, copies itself to X_MyAppUpdate.exe, checks, fetches and token-checks the
# news and shows them in the inform dialog; the demo takes a screenshot of the dialog, closes it
# and shows that the agent recorded version 110, with the agent's trace lines.
# With --screenshots it also refreshes docs/screenshots/agent_inform.png.
# Called by scripts/demo.sh; needs the builds of ./vx build and the Windows test tree.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/common.sh"
source "$ROOT/scripts/wine_env.sh"

update_docs=0
[ "${1:-}" = --screenshots ] && update_docs=1

vx_demo_programs
uidemo="$tree/uidemo.exe"

OUT="$VX_BUILD/demo/agent"
rm -rf "$OUT"; mkdir -p "$OUT/app" "$OUT/updates"
say() { printf '\n== %s\n' "$*"; }

# The prefix of the screenshots (scripts/ui_screenshots.sh): Wine draws the window frames itself,
# with its own Tahoma and Marlett when installed.
export VX_WINEPREFIX="${VX_WINEPREFIX:-$VX_BUILD/wineprefix-ui}"
wine_env_start
"$VX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
  if [ -f "/usr/share/wine/fonts/$f" ]; then cp -f "/usr/share/wine/fonts/$f" "$WINEPREFIX/drive_c/windows/Fonts/"; fi
done
winpath() { "$VX_WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
updates_win="$(winpath "$OUT/updates")"

say "Building the update agent MyAppUpdate.exe with vxpack"
cat > "$OUT/agent.ini" <<EOF
[package]
output = MyAppUpdate.exe
launcher = vxstub.exe
agent = yes

[settings]
update_url = $updates_win
info_file = MyApp.info
agent_exe = MyAppUpdate.exe
agent_token = MyAppSecret
EOF
"$DIST/vxpack" build "$OUT/agent.ini" --launcher "$launcher" -o "$OUT/app/MyAppUpdate.exe"

say "Installed: version 100 (MyApp.original beside the agent)"
printf '%s\r\n' "[OriginalSetup]" "VersionOriginal=100" "ProgramName=MyApp 1.0" \
  "ProbeSecondsInterval=0" "ReAskSecondsInterval=0" \
  "[AutoUpdate]" "s21=No new version of MyApp is available." "s34=New Version" "s35=Download" \
  > "$OUT/app/MyApp.original"
sed 's/^/    /' "$OUT/app/MyApp.original" | tr -d '\r'

say "Offered in $updates_win: version 110 in inform mode, with its news"
# The news: plain text or Rich Text Format, after the stored agent token.
rtf='{\rtf1\ansi{\fonttbl{\f0\fswiss Tahoma;}}\f0\fs18{\b\fs24 MyApp 1.1 is out}\par\par It opens files twice as fast\par and remembers the last folder you used.\par\par Press {\b Download} for the new setup.}'
news="1|$("$DIST/vxpack" token MyAppSecret)|110|-|$rtf"
printf '%s' "$news" > "$OUT/updates/News110.txt"
printf '%s\r\n' "[NewSetup]" "VersionNew=110" "Stamp=1" "DownloadURL_UPDATE=$updates_win" \
  "[General]" "AutoInform=1" \
  "[AutoInform]" "NameOfInformFile=News110.txt" "SizeOfInformFile=${#news}" \
  "DownloadURL_INFORM=http://updates.example.com/myapp/download.html" \
  "AutoInformW=420" "AutoInformH=260" > "$OUT/updates/MyApp.info"
sed 's/^/    /' "$OUT/updates/MyApp.info" | tr -d '\r'

say "Starting the agent"
viewer_log="$OUT/trace.log"
"$VX_WINE" "$viewer" /hidden "/log=$(winpath "$viewer_log")" >/dev/null 2>&1 &
viewer_pid=$!
sleep 2
"$VX_WINE" "$OUT/app/MyAppUpdate.exe" /DELAY=0 >/dev/null 2>&1 || true

# The dialog's window on the virtual display, by its title (s34).
geometry=""
for _ in $(seq 1 60); do
  geometry="$(xwininfo -root -tree 2>/dev/null | awk '/"New Version":/ { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) { print $i; exit } }')"
  [ -n "$geometry" ] && break
  sleep 0.5
done
if [ -z "$geometry" ]; then
  echo "The inform dialog did not appear."
  kill "$viewer_pid" 2>/dev/null || true
  sed 's/^/    /' "$viewer_log" 2>/dev/null || true
  exit 1
fi
sleep 1
import -window root -crop "${geometry%%+*}+$(echo "$geometry" | cut -d+ -f2)+$(echo "$geometry" | cut -d+ -f3)" +repage \
  "$OUT/agent_inform.png" 2>/dev/null || true
echo "The inform dialog appeared ($geometry); screenshot: $OUT/agent_inform.png"
if [ "$update_docs" = 1 ] && [ -s "$OUT/agent_inform.png" ]; then
  cp -f "$OUT/agent_inform.png" "$ROOT/docs/screenshots/agent_inform.png"
  echo "Refreshed docs/screenshots/agent_inform.png"
fi
"$VX_WINE" "$uidemo" close >/dev/null 2>&1 || true
echo "Closed it with its close button (the Download button would open the link)."

recorded=""
for _ in $(seq 1 40); do
  recorded="$(sed -n 's/^VersionOriginal=//p' "$OUT/app/MyApp.original" | tr -d '\r')"
  [ "$recorded" = 110 ] && break
  sleep 0.5
done
# The agent's copy keeps running (it checks once per run at interval 0); stop it as the
# application would.
"$VX_WINE" "$OUT/app/MyAppUpdate.exe" /STOP=1 >/dev/null 2>&1 || true
sleep 2
kill "$viewer_pid" 2>/dev/null || true

say "Trace lines of the agent"
sed 's/^/    /' "$viewer_log" 2>/dev/null || true
say "MyApp.original after the check"
sed 's/^/    /' "$OUT/app/MyApp.original" | tr -d '\r'
if [ "$recorded" = 110 ]; then
  echo "The agent recorded the news of version 110 as seen (VersionOriginal=110)."
else
  echo "VersionOriginal is '$recorded', not 110."; exit 1
fi
