#!/usr/bin/env bash
# scripts/install --team URL into a scratch HOME: the launcher points the driver name at the
# team folder beside the program, which reaches the server; a plain re-install goes back to the
# library file, which is kept; a URL that cannot be reached changes nothing.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
url=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
export BREVICOR_TEAM_FOLDER="$scratch/team-made" # leaves the user's dist/team alone
mkdir -p "$HOME"
source "$ROOT/tests/checks.sh"
app="$XDG_DATA_HOME/brevicor"
launcher="$HOME/.local/bin/brevicor"
reaches() { # odbcsysini-folder
    echo "SELECT COUNT(PhraseID) FROM phrase" |
        env -i PATH="$PATH" HOME="$HOME" ODBCSYSINI="$1" \
            isql -k "DBQ=database/phrases.mdb;DRIVER={Microsoft Access Driver (*.mdb)}" -b >/dev/null
}

"$ROOT/scripts/install" --team "$url" >"$scratch/out1" 2>&1 || cat "$scratch/out1"
check "team install succeeds" grep -q "will use the team library" "$scratch/out1"
check "launcher uses the team folder" grep -qx "export ODBCSYSINI=\"$app/team\"" "$launcher"
check "team driver beside the program" grep -qx "Driver=$app/team/libbrevicorteam.so" "$app/team/odbcinst.ini"
check "no password written" bash -c "! grep -qi password '$app/team/odbcinst.ini'"
check "the team folder reaches the server" reaches "$app/team"
check "the program's own library is there to start with" test -s "$app/database/phrases.mdb"
cp "$app/database/phrases.mdb" "$scratch/own.mdb"

"$ROOT/scripts/install" >"$scratch/out2" 2>&1 || cat "$scratch/out2"
check "a plain re-install goes back to the library file" grep -qx "export ODBCSYSINI=\"$app/odbc\"" "$launcher"
check "and drops the team folder" test ! -e "$app/team"
check "the library file is kept" cmp -s "$scratch/own.mdb" "$app/database/phrases.mdb"

"$ROOT/scripts/install" --team "postgresql://nobody@127.0.0.1:1/none" >"$scratch/out3" 2>&1 && bad=0 || bad=1
check "an unreachable server is refused" test $bad -eq 1
check "and says why" grep -q "cannot reach the team library" "$scratch/out3"
check "and changes nothing" grep -qx "export ODBCSYSINI=\"$app/odbc\"" "$launcher"

"$ROOT/scripts/uninstall" >/dev/null 2>&1
echo "team install: $passes passed, $failures failed"
[ $failures -eq 0 ]
