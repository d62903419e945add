#!/usr/bin/env bash
# Screenshots of the launcher's message boxes and inform dialog, taken under Xvfb with Wine.
#
#   scripts/ui_screenshots.sh                 every kind, PNGs into docs/screenshots/
#   scripts/ui_screenshots.sh KIND...         only these kinds
#   scripts/ui_screenshots.sh --show KIND     show one box on the current $DISPLAY (no screenshot)
#
# KIND: error attention confirm confirmok yesnocancel rtl inform informlink restart
# Needs the Windows tree built (./vx build); builds the uidemo program if it is missing.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$ROOT/scripts/common.sh"

ALL_KINDS="error attention confirm confirmok yesnocancel rtl inform informlink restart"
OUT="$ROOT/docs/screenshots"
WTREE="$(vx_test_win_tree)"
DEMO="$WTREE/uidemo.exe"

if [ ! -f "$DEMO" ]; then
  vx_log "building uidemo.exe"
  cmake -S "$ROOT" -B "$BUILD_WIN" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$BUILD_WIN" --target uidemo -j 2
fi

if [ "${1:-}" = "--show" ]; then
  kind="${2:-confirm}"
  export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG="${WINEDEBUG:--all}"
  exec "$(vx_can_run_win32 && echo wine || echo /usr/lib/wine/wine64)" "$DEMO" "$kind"
fi

# A prefix of its own in which Wine draws the window frames itself (there is no window manager
# on the virtual display).
export VX_WINEPREFIX="${VX_WINEPREFIX:-$VX_BUILD/wineprefix-ui}"
source "$ROOT/scripts/wine_env.sh"
wine_env_start
"$VX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# Wine's own Tahoma and Marlett (package fonts-wine), when installed, for true-to-life text
# and caption buttons.
for f in tahoma.ttf tahomabd.ttf marlett.ttf; do
  if [ -f "/usr/share/wine/fonts/$f" ]; then cp -f "/usr/share/wine/fonts/$f" "$WINEPREFIX/drive_c/windows/Fonts/"; fi
done

# Window title of each kind: the screenshot is cut to that window.
title_of() {
  case "$1" in
    error) echo "Error" ;;
    attention|rtl) echo "Attention" ;;
    confirm|confirmok|restart) echo "Confirm" ;;
    yesnocancel) echo "Vornix Auto Update" ;;
    inform|informlink) echo "New Version" ;;
    *) echo "$1" ;;
  esac
}

# "WxH+X+Y" of the top-level X window with the given name, empty when there is none.
geometry_of() {
  xwininfo -root -tree | awk -v t="\"$1\":" '$2 == t || index($0, " " t " ") { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) { print $i; exit } }'
}

mkdir -p "$OUT"
kinds="${*:-$ALL_KINDS}"
for kind in $kinds; do
  title="$(title_of "$kind")"
  "$VX_WINE" "$DEMO" "$kind" /autoclose=8000 >/dev/null 2>&1 &
  pid=$!
  geo=""
  for _ in $(seq 1 60); do
    geo="$(geometry_of "$title")"
    # The box is built at (-100, -100) and placed when its size is known.
    [ -n "$geo" ] && [ "${geo#*+-}" = "$geo" ] && break
    geo=""
    sleep 0.1
  done
  if [ -z "$geo" ]; then
    vx_log "no window \"$title\" for $kind"
  else
    sleep 1  # let it paint
    geo="$(geometry_of "$title")"
    import -window root -crop "$geo" +repage "$OUT/$kind.png"
    vx_log "$OUT/$kind.png ($(stat -c %s "$OUT/$kind.png") bytes)"
  fi
  wait "$pid" || true
done
wine_env_stop
