# Private Wine prefix, virtual display and a persistent wineserver for one run (sourced).
# Usage: wine_env_start; ... wine "$exe" ...; wine_env_stop
wine_env_start() {
  export WINEPREFIX="${VX_WINEPREFIX:-$VX_BUILD/wineprefix}"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG="${WINEDEBUG:--all}"
  if vx_can_run_win32; then
    export WINEARCH=win32
    VX_WINE=wine
  else
    # 64-bit Wine only: the 32-bit loader cannot start on this kernel.
    export WINEARCH=win64
    export WINEPREFIX="${VX_WINEPREFIX:-$VX_BUILD/wineprefix64}"
    VX_WINE=/usr/lib/wine/wine64
    if [ "${VX_I386_EMULATED:-}" = 1 ]; then
      # 32-bit programs run emulated here: a prefix made inside the namespace, so that its 32-bit
      # half (syswow64) is filled; one made outside has it empty and cannot start them.
      export WINEPREFIX="${VX_WINEPREFIX:-$VX_BUILD/wineprefix-wow64}"
      if [ -f "$WINEPREFIX/system.reg" ] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
        rm -rf "$WINEPREFIX"
      fi
    fi
  fi
  export VX_WINE
  # A free X display number for Xvfb.
  local n=90
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  export DISPLAY=":$n"
  Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  VX_XVFB_PID=$!
  local i
  for i in $(seq 1 50); do xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && break; sleep 0.1; done
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "[vx] creating the Wine prefix $WINEPREFIX" >&2
    "$VX_WINE" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    # Without a window manager, managed windows make every close wait for an answer that never
    # comes (about 2 s a window); unmanaged windows close at once and draw their own captions.
    "$VX_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wineserver -w
  fi
  wineserver -p
  trap wine_env_stop EXIT
}

wine_env_stop() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
  [ -n "${VX_XVFB_PID:-}" ] && kill "$VX_XVFB_PID" >/dev/null 2>&1 || true
  VX_XVFB_PID=""
}
