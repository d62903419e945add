#!/usr/bin/env bash
# Link step of the launcher: the same command with the win32-thread-model compiler driver, whose
# static runtime needs no pthread emulation (the launcher has one thread).
cmd=("$@")
cmd[0]="${cmd[0]/g++-posix/g++-win32}"
exec "${cmd[@]}"
