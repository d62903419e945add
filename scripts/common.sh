# Shared functions of ./vx (sourced).
VX_BUILD="${VX_BUILD:-$ROOT/build}"
BUILD_HOST="$VX_BUILD/host"
BUILD_WIN="$VX_BUILD/win"
DIST="${VX_DIST:-$([ "$VX_BUILD" = "$ROOT/build" ] && echo "$ROOT/dist" || echo "$VX_BUILD/dist")}"

vx_log() { printf '[vx] %s\n' "$*" >&2; }

vx_missing_packages() {
  local p missing=()
  while read -r p; do
    [ -z "$p" ] || [ "${p#\#}" != "$p" ] && continue
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done < "$ROOT/scripts/packages.txt"
  printf '%s\n' "${missing[@]:-}" | sed '/^$/d'
}

vx_setup() {
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    vx_log "adding the i386 architecture (for wine32)"
    $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
  fi
  local missing; missing="$(vx_missing_packages)"
  if [ -n "$missing" ]; then
    vx_log "installing: $(echo $missing)"
    $sudo apt-get update -qq || true
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
  fi
  vx_log "setup complete"
}

vx_setup_if_needed() {
  if [ -n "$(vx_missing_packages)" ] || ! dpkg --print-foreign-architectures | grep -qx i386; then
    vx_setup
  fi
}

vx_build() {
  local jobs; jobs="$(nproc)"
  cmake -S "$ROOT" -B "$BUILD_HOST" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD_HOST" -j "$jobs"
  cmake -S "$ROOT" -B "$BUILD_WIN" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$BUILD_WIN" -j "$jobs"
  mkdir -p "$DIST"
  cp -f "$BUILD_WIN/vxstub.exe" "$DIST/vxstub.exe"
  cp -f "$BUILD_HOST/vxpack" "$DIST/vxpack"
  cp -f "$BUILD_WIN/vxpack.exe" "$DIST/vxpack.exe"
  [ -f "$BUILD_WIN/vxdebugview.exe" ] && cp -f "$BUILD_WIN/vxdebugview.exe" "$DIST/vxdebugview.exe"
  cp -f "$BUILD_WIN/vxstub.map" "$DIST/vxstub.map"
  # The launcher's build fails above the budget; its report: the size and largest contributors.
  cat "$BUILD_WIN/vxstub.size.txt"
}

vx_test() {
  bash "$ROOT/scripts/test.sh" "$@"
}
