#!/usr/bin/env bash
# scripts/install and scripts/uninstall into a scratch HOME: the files, a desktop entry that
# passes desktop-file-validate, a re-install that keeps a changed library byte for byte, an
# uninstall that keeps it and says where.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
mkdir -p "$HOME"
source "$ROOT/tests/checks.sh"
app="$XDG_DATA_HOME/brevicor"
"$ROOT/scripts/install" --autostart >"$scratch/out1" 2>&1 || cat "$scratch/out1"
check "program installed" test -f "$app/brevicor.exe"
check "library made" test -s "$app/database/phrases.mdb"
check "engine registered by absolute path" grep -qx "Driver=$app/odbc/libbrevicormdb.so" "$app/odbc/odbcinst.ini"
check "launcher" test -x "$HOME/.local/bin/brevicor"
check "launcher starts in the program folder" grep -q "cd \"$app\"" "$HOME/.local/bin/brevicor"
check "desktop entry valid" desktop-file-validate "$XDG_DATA_HOME/applications/brevicor.desktop"
check "autostart entry" cmp -s "$XDG_DATA_HOME/applications/brevicor.desktop" "$XDG_CONFIG_HOME/autostart/brevicor.desktop"
check "icon" test -s "$XDG_DATA_HOME/icons/hicolor/32x32/apps/brevicor.png"

printf 'changed by the user' >>"$app/database/phrases.mdb"
cp "$app/database/phrases.mdb" "$scratch/before.mdb"
"$ROOT/scripts/install" >"$scratch/out2" 2>&1
check "re-install keeps the library" cmp -s "$scratch/before.mdb" "$app/database/phrases.mdb"
check "re-install without --autostart drops the autostart entry" test ! -e "$XDG_CONFIG_HOME/autostart/brevicor.desktop"

"$ROOT/scripts/uninstall" >"$scratch/out3" 2>&1
check "uninstall keeps the library" cmp -s "$scratch/before.mdb" "$app/database/phrases.mdb"
check "uninstall says where it stays" grep -q "$app/database/phrases.mdb" "$scratch/out3"
check "uninstall removes the program" test ! -e "$app/brevicor.exe"
check "uninstall removes the launcher and entry" test ! -e "$HOME/.local/bin/brevicor" -a ! -e "$XDG_DATA_HOME/applications/brevicor.desktop"

mkdir -p "$scratch/ro" && chmod 555 "$scratch/ro"
if [ "$(id -u)" -ne 0 ]; then
    XDG_DATA_HOME="$scratch/ro/data" "$ROOT/scripts/install" >"$scratch/out4" 2>&1 && ro=0 || ro=1
    check "read-only place refused with a message" test $ro -eq 1
fi
echo "$passes passed, $failures failed"
[ $failures -eq 0 ]
