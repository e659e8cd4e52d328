#!/usr/bin/env bash
# Two copies of Brevicor, in two Wine prefixes as on two people's machines, on one team
# library: what one adds through "Add phrase" is in the other's tray menu at its next opening.
# Run inside a virtual display with a window manager:
#   two_copies_test.sh ROOT TEAM-FOLDER TEAM-URL
set -euo pipefail
ROOT=$1 TEAM=$2 URL=$3
source "$ROOT/scripts/common.sh"
set +e
scratch=$(mktemp -d)
source "$ROOT/tests/checks.sh"
tool="$BUILD/win64/tests/wine/open_tray_menu.exe"

# One program folder serves both copies; each has its own prefix, so its own settings.
folder="$scratch/brevicor"
mkdir -p "$folder/database"
cp "$DIST/win64/brevicor.exe" "$folder/"
cp "$DIST/win64/database/phrases.mdb" "$folder/database/" # the program needs one to start
psql -X -q "$URL" -c "INSERT INTO phrase (category, code, content) VALUES ('Letters', 'dear', 'Dear colleague')"

in_copy() { # a|b command...
    local copy=$1
    shift
    WINEPREFIX="$BUILD/team-prefix-$copy" ODBCSYSINI="$TEAM" "$@"
}
first_phrase() { # a|b: the phrase's own line of what choosing the first phrase delivers
    in_copy "$1" wine "$tool" choose 2>/dev/null | tr -d '\r' | head -n 1
}
# Each prefix is made before its copy starts, so that nothing waits on a prefix half made.
for copy in a b; do
    (
        export WINEPREFIX="$BUILD/team-prefix-$copy"
        wine_env
        wineserver -p
    )
done
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
for copy in a b; do
    (cd "$folder" && in_copy "$copy" exec wine ./brevicor.exe) >/dev/null 2>&1 &
done
cleanup() {
    for copy in a b; do WINEPREFIX="$BUILD/team-prefix-$copy" wineserver -k 2>/dev/null; done
    rm -rf "$scratch"
}
trap cleanup EXIT

check "copy a shows the team's phrase" test "$(first_phrase a)" = "Dear colleague"
check "copy b shows the team's phrase" test "$(first_phrase b)" = "Dear colleague"
check "copy a adds a phrase" in_copy a wine "$tool" add "a-first" "Added by copy a"
check "copy b sees it at its next menu" test "$(first_phrase b)" = "Added by copy a"
check "copy b adds a phrase" in_copy b wine "$tool" add "a-before" "Added by copy b"
check "copy a sees it at its next menu" test "$(first_phrase a)" = "Added by copy b"
# Both edit the same phrase at once: the later save wins, and the earlier text is kept in the
# history, so nothing anyone wrote is lost.
check "copy a opens the editor" in_copy a wine "$tool" edit-open
check "copy b opens the editor" in_copy b wine "$tool" edit-open
check "copy a saves" in_copy a wine "$tool" edit-save "Saved first by copy a"
check "copy b saves later" in_copy b wine "$tool" edit-save "Saved later by copy b"
# The editor opens on the first row of the first category: the team's first phrase.
check "the later save is the phrase" test "$(psql -X -tAq "$URL" -c \
    "SELECT content FROM phrase WHERE code = 'dear'")" = "Saved later by copy b"
check "the earlier save is in the history" test "$(psql -X -tAq "$URL" -c \
    "SELECT COUNT(*) FROM phrase_history WHERE content = 'Saved first by copy a'")" = 1
check "both added phrases are on the server" test "$(psql -X -tAq "$URL" -c "SELECT COUNT(*) FROM phrase WHERE code IN ('a-first', 'a-before')")" = 2

# A copy started while the server is down says so once, runs on, and finds the library once
# the server is back, without a restart.
"$ROOT/scripts/team-server" stop
WINEPREFIX="$BUILD/team-prefix-a" wineserver -k 2>/dev/null
(cd "$folder" && in_copy a exec wine ./brevicor.exe) >/dev/null 2>&1 &
message=$(in_copy a wine "$tool" message 2>/dev/null | tr -d '\r')
check "a copy started without its server says so" grep -q "could not reach its team library on the server" <<<"$message"
check "and names the server" grep -q "127.0.0.1" <<<"$message"
"$ROOT/scripts/team-server" start >/dev/null
sleep 1.2 # the copy asks again at most once a second
check "once the server is back, the copy has its library" test "$(first_phrase a)" = "Added by copy b"

echo "two copies: $passes passed, $failures failed"
[ $failures -eq 0 ]
