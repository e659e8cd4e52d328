#!/usr/bin/env bash
# An installer, silently, in a scratch Wine prefix: the files, the shortcuts' working folder,
# the uninstall entry; a library already there is kept byte for byte through install and
# silent uninstall. Runs inside a virtual display with a window manager.
# Usage: installer_test.sh ROOT [win64|win32]: the 64-bit twin in a 64-bit prefix (default),
# or the release installer in a 32-bit prefix, under 32-bit Wine.
set -uo pipefail
ROOT=$1
arch=${2:-win64}
scratch=$(mktemp -d)
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=$arch
export ODBCSYSINI="$ROOT/dist/odbc"
trap 'wineserver -k 2>/dev/null; rm -rf "$scratch"' EXIT
source "$ROOT/tests/checks.sh"
wineboot -i >/dev/null 2>&1
wineserver -w
drive="$WINEPREFIX/drive_c"
profile=$(echo "$drive"/users/*/AppData | awk '{print $1}')
profile=$(dirname "$profile")
menu="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
startup="$menu/StartUp"
if [ "$arch" = win32 ]; then
    setup="$ROOT/dist/brevicor-setup.exe"
else
    setup="$ROOT/dist/win64/brevicor-setup.exe"
fi

# 1. Over an existing library, with the log-in option.
dir="$drive/brevicor-test"
mkdir -p "$dir/database"
cp "$ROOT/dist/win64/database/phrases.mdb" "$dir/database/phrases.mdb"
cp "$dir/database/phrases.mdb" "$scratch/before.mdb"
wine "$setup" /S /AUTOSTART '/D=C:\brevicor-test' </dev/null >/dev/null 2>&1
rc=$?
wineserver -w # the registry reaches user.reg when the server ends
check "install over a library succeeds (status $rc)" test $rc -eq 0
for f in brevicor.exe brevicor-newlib.exe README.txt LICENSE.txt uninstall.exe; do
    check "installed $f" test -f "$dir/$f"
done
check "existing library unchanged" cmp -s "$scratch/before.mdb" "$dir/database/phrases.mdb"
for lnk in "$menu/Brevicor.lnk" "$startup/Brevicor.lnk"; do
    check "shortcut $(basename "$(dirname "$lnk")")" test -f "$lnk"
    check "shortcut starts in the install folder" \
        sh -c 'strings -el "$1" | grep -qxi "C:\\\\brevicor-test"' _ "$lnk"
done
check "uninstall entry" grep -qi 'Uninstall\\\\Brevicor\]' "$WINEPREFIX/user.reg"
check "uninstall entry names the folder" grep -qi '"InstallLocation"="C:\\\\brevicor-test"' "$WINEPREFIX/user.reg"

# 2. Silent uninstall keeps the library.
wine 'C:\brevicor-test\uninstall.exe' /S '_?=C:\brevicor-test' </dev/null >/dev/null 2>&1
wineserver -w
check "silent uninstall keeps the library" cmp -s "$scratch/before.mdb" "$dir/database/phrases.mdb"
check "program removed" test ! -e "$dir/brevicor.exe"
check "shortcuts removed" test ! -e "$menu/Brevicor.lnk" -a ! -e "$startup/Brevicor.lnk"
check "uninstall entry removed" sh -c '! grep -qi "Uninstall\\\\\\\\Brevicor\]" "$1"' _ "$WINEPREFIX/user.reg"

# 3. A fresh install into the default folder: here the Access driver (the engine) cannot make
# a file, and the installer says so in its exit status, with everything else in place.
wine "$setup" /S </dev/null >/dev/null 2>&1
rc=$?
default="$profile/AppData/Local/Programs/Brevicor"
check "library not ready is reported (status $rc)" test $rc -eq 2
check "default folder is per user" test -f "$default/brevicor.exe"
check "no startup shortcut unless asked" test ! -e "$startup/Brevicor.lnk"
echo "installer ($arch): $passes passed, $failures failed"
[ $failures -eq 0 ]
