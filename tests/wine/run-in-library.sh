#!/bin/sh
# Runs a Windows test program under Wine from a fresh folder holding an empty library,
# database/phrases.mdb, and a pristine copy of it, database/empty.mdb, for tests to restore.
# Wine resolves the library's relative path against the folder the program was started in,
# so the program is started from there.
set -eu
newlib=$1 schema=$2 program=$3
shift 3
folder=$(mktemp -d "${TMPDIR:-/tmp}/brevicor-wine-XXXXXX")
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/database"
"$newlib" "$folder/database/empty.mdb" "$schema" >/dev/null
cp "$folder/database/empty.mdb" "$folder/database/phrases.mdb"
cd "$folder"
wine "$program" "$@"
