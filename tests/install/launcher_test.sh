#!/usr/bin/env bash
# The installed launcher, started from another folder in a display with a window manager:
# Brevicor runs from its own folder and shows its tray icon, and while it runs neither a
# re-install nor an uninstall touches anything. Run inside a virtual display.
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
scratch=$(mktemp -d)
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
app="$XDG_DATA_HOME/brevicor"
cleanup() {
    WINEPREFIX="$app/wine-prefix" wineserver -k 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
mkdir -p "$HOME"
source "$ROOT/tests/checks.sh"
# Waits up to a minute for the command to succeed (the first start also makes the prefix).
eventually() {
    local i
    for i in $(seq 120); do
        "$@" && return 0
        sleep 0.5
    done
    return 1
}
tray_shown() { xdotool search --name "Wine System Tray" >/dev/null 2>&1; }

"$ROOT/scripts/install" >"$scratch/install.out" 2>&1 || cat "$scratch/install.out"
# The phrases, byte for byte (the program itself may add its history table at start).
phrases() { sqlite3 "$app/database/phrases.mdb" 'SELECT PhraseID, hex(category), hex(code), hex(content) FROM phrase ORDER BY PhraseID'; }
phrases >"$scratch/before.txt"
same_phrases() { phrases | cmp -s "$scratch/before.txt" -; }

(cd / && "$HOME/.local/bin/brevicor")
check "the launcher returns and Brevicor runs from its own folder" \
    eventually "$ROOT/scripts/brevicor-running" "$app"
check "its tray icon is shown" eventually tray_shown

"$ROOT/scripts/install" >"$scratch/again.out" 2>&1
check "a re-install while it runs is refused" test $? -ne 0
check "and says to quit it first" grep -q "quit it first" "$scratch/again.out"
"$ROOT/scripts/uninstall" >"$scratch/uninstall.out" 2>&1
check "an uninstall while it runs is refused" test $? -ne 0
check "the program stays while it runs" test -f "$app/brevicor.exe"
check "the phrases are untouched" same_phrases

WINEPREFIX="$app/wine-prefix" wineserver -k 2>/dev/null
WINEPREFIX="$app/wine-prefix" wineserver -w 2>/dev/null
"$ROOT/scripts/uninstall" >"$scratch/uninstall.out" 2>&1
check "once it has ended, the uninstall goes ahead" test ! -e "$app/brevicor.exe"
check "and keeps the library" same_phrases

echo "launcher: $passes passed, $failures failed"
[ $failures -eq 0 ]
