#!/bin/sh
# Runs a Wine test with a small tmpfs of its own mounted, its Unix path in BREVICOR_SMALL_DISK.
# Mounting needs root (CI runs as root); without the mount the variable stays unset and the
# test says it skipped. The other arguments are those of run-in-library.sh.
set -eu
disk=$(mktemp -d "${TMPDIR:-/tmp}/brevicor-small-disk-XXXXXX")
if mount -t tmpfs -o size=4m tmpfs "$disk" 2>/dev/null; then
    trap 'umount -l "$disk"; rmdir "$disk"' EXIT
    export BREVICOR_SMALL_DISK="$disk"
else
    trap 'rmdir "$disk"' EXIT
fi
sh "$(dirname "$0")/../run-in-library.sh" "$@"
