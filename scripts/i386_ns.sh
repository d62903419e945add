#!/bin/sh
# Runs a command in a new user and mount namespace whose private binfmt_misc hands i386 Linux
# programs (Wine's 32-bit loader among them) to qemu-i386-static. For kernels without 32-bit
# emulation: the registration lives only as long as the namespace, nothing on the machine changes.
# Usage: unshare --user --map-root-user --mount --fork scripts/i386_ns.sh COMMAND [ARGS...]
set -e
mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
# Debian's qemu-user-static registers no i386 entry on an x86_64 host: this is that entry (ELF,
# 32-bit, little-endian, executable or shared object, machine 3), with the emulator opened at
# registration (F) so it works from any mount namespace.
printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
  > /proc/sys/fs/binfmt_misc/register
exec "$@"
