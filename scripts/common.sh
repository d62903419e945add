# Shared functions of ./vx (sourced).
VX_BUILD="${VX_BUILD:-$ROOT/build}"
BUILD_HOST="$VX_BUILD/host"
BUILD_WIN="$VX_BUILD/win"
BUILD_WIN64="$VX_BUILD/win64"
BUILD_LAUNCHER="$VX_BUILD/launcher"
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

# What ships (dist/): the launcher from its own tree (size report printed, build fails above the
# budget), vxpack for Linux and Windows, the debug viewer. Tests build under vx_build_tests.
vx_build() {
  local jobs; jobs="$(nproc)"
  cmake -S "$ROOT" -B "$BUILD_LAUNCHER" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel -DVX_LAUNCHER_ONLY=ON \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686-win32.cmake" >/dev/null
  cmake --build "$BUILD_LAUNCHER" -j "$jobs"
  cmake -S "$ROOT" -B "$BUILD_HOST" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$BUILD_HOST" -j "$jobs" --target vxpack
  cmake -S "$ROOT" -B "$BUILD_WIN" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$BUILD_WIN" -j "$jobs" --target vxpack vxdebugview
  mkdir -p "$DIST"
  cp -f "$BUILD_LAUNCHER/vxstub.exe" "$BUILD_LAUNCHER/vxstub.map" "$DIST/"
  cp -f "$BUILD_HOST/vxpack" "$DIST/vxpack"
  cp -f "$BUILD_WIN/vxpack.exe" "$BUILD_WIN/vxdebugview.exe" "$DIST/"
  cat "$BUILD_LAUNCHER/vxstub.size.txt"
}

# True when this machine runs 32-bit programs (Wine's 32-bit loader). Some kernels are built or
# booted without 32-bit emulation; there the Windows tests run a 64-bit build of the same sources
# under 64-bit Wine, and the shipped 32-bit launcher is still built and checked as a file.
vx_can_run_win32() {
  [ "${VX_WINE_ARCH:-}" = 64 ] && return 1
  [ "${VX_WINE_ARCH:-}" = 32 ] && return 0
  # Inside the emulation namespace the 32-bit loader starts, but only emulated: not for every test.
  [ "${VX_I386_EMULATED:-}" = 1 ] && return 1
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Where 32-bit programs do not run natively, they run under qemu-user in a private namespace
# (scripts/i386_ns.sh). True when that works here; else prints why not, in one line.
vx_i386_emulation_check() {
  command -v unshare >/dev/null 2>&1 || { echo "no unshare"; return 1; }
  [ -x /usr/bin/qemu-i386-static ] || { echo "qemu-i386-static is not installed"; return 1; }
  [ -x /usr/lib/wine/wine ] || { echo "Wine's 32-bit loader (wine32) is not installed"; return 1; }
  local out
  out="$(vx_in_i386_namespace /usr/lib/wine/wine --version 2>&1)" ||
    { echo "no private binfmt_misc in a user namespace here: $(echo "$out" | tail -n 1)"; return 1; }
}

# Runs a command where i386 programs run under emulation (see vx_i386_emulation_check).
vx_in_i386_namespace() {
  VX_I386_EMULATED=1 unshare --user --map-root-user --mount --fork sh "$ROOT/scripts/i386_ns.sh" "$@"
}

# The Windows tree the tests run: the 32-bit one where 32-bit programs run, else a 64-bit one.
vx_test_win_tree() {
  if vx_can_run_win32; then echo "$BUILD_WIN"; else echo "$BUILD_WIN64"; fi
}

# Sets tree, launcher and viewer for the demos: the shipped 32-bit launcher and viewer where this
# machine runs 32-bit programs, else the 64-bit build of the same sources.
vx_demo_programs() {
  tree="$(vx_test_win_tree)"
  launcher="$tree/vxstub.exe"
  viewer="$tree/vxdebugview.exe"
  if [ "$tree" = "$BUILD_WIN" ]; then launcher="$DIST/vxstub.exe"; viewer="$DIST/vxdebugview.exe"; fi
}

# Configures the 64-bit Windows tree and builds the given targets (all without any).
vx_build_win64() {
  local jobs; jobs="$(nproc)"
  cmake -S "$ROOT" -B "$BUILD_WIN64" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-x86_64.cmake" >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build "$BUILD_WIN64" -j "$jobs" --target "$@"
  else
    cmake --build "$BUILD_WIN64" -j "$jobs"
  fi
}

# The native tests and the Windows tree the tests run (its own launcher build included).
vx_build_tests() {
  cmake --build "$BUILD_HOST" -j "$(nproc)"
  if vx_can_run_win32; then
    cmake --build "$BUILD_WIN" -j "$(nproc)"
  else
    vx_log "this machine cannot run 32-bit programs: the Windows tests use a 64-bit build under 64-bit Wine"
    vx_build_win64
  fi
}

vx_test() {
  bash "$ROOT/scripts/test.sh" "$@"
}
