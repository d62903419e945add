# A small drive for the full-disk tests (sourced after wine_env_start): a tmpfs of a few MiB
# mounted below the build folder and mapped as drive X: of the Wine prefix.
#   small_drive_start   mounts it (as root, or through sudo without a password) and exports
#                       VX_TEST_SMALL_DRIVE ("X:"); where no file system can be mounted it says so,
#                       exports VX_TEST_SMALL_DRIVE_MISSING with the reason, and the tests that need
#                       the drive are skipped
#   small_drive_stop    unmaps and unmounts it
SMALL_DRIVE_DIR="$VX_BUILD/small-drive"
SMALL_DRIVE_SIZE=4m

small_drive_mount() {
  local cmd=(mount -t tmpfs -o "size=$SMALL_DRIVE_SIZE,mode=1777" vx-small-drive "$SMALL_DRIVE_DIR")
  if [ "$(id -u)" -eq 0 ]; then "${cmd[@]}" 2>/dev/null; else sudo -n "${cmd[@]}" 2>/dev/null; fi
}

small_drive_start() {
  unset VX_TEST_SMALL_DRIVE VX_TEST_SMALL_DRIVE_MISSING
  mkdir -p "$SMALL_DRIVE_DIR"
  # A mount left by a run that was stopped is used again, emptied.
  if ! mountpoint -q "$SMALL_DRIVE_DIR" && ! small_drive_mount; then
    export VX_TEST_SMALL_DRIVE_MISSING="no tmpfs could be mounted at $SMALL_DRIVE_DIR (needs root or sudo)"
    echo "[vx] $VX_TEST_SMALL_DRIVE_MISSING: the full-disk tests are skipped" >&2
    return 0
  fi
  find "$SMALL_DRIVE_DIR" -mindepth 1 -delete 2>/dev/null || true
  ln -sfn "$SMALL_DRIVE_DIR" "$WINEPREFIX/dosdevices/x:"
  export VX_TEST_SMALL_DRIVE="X:"
}

small_drive_stop() {
  [ -n "${WINEPREFIX:-}" ] && rm -f "$WINEPREFIX/dosdevices/x:"
  if mountpoint -q "$SMALL_DRIVE_DIR" 2>/dev/null; then
    if [ "$(id -u)" -eq 0 ]; then umount "$SMALL_DRIVE_DIR"; else sudo -n umount "$SMALL_DRIVE_DIR"; fi
  fi
  unset VX_TEST_SMALL_DRIVE
}
