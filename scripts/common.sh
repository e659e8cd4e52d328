# Shared by the build, test and run commands. Sourced, not run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
DIST="$ROOT/dist"
JOBS=$(nproc 2>/dev/null || echo 2)

# What the build, the tests and the run need from Debian. The i386 architecture is never
# added: the 64-bit Wine runs the tests, the 32-bit build is only compiled.
PACKAGES=(cmake ninja-build g++ pkg-config mingw-w64 wine wine64 xvfb xauth openbox unixodbc
          unixodbc-dev libsqlite3-dev sqlite3 googletest imagemagick xdotool clang-format nsis
          desktop-file-utils x11-utils python3-pyodbc libyaml-cpp-dev)
# The fuzz targets' compiler; libFuzzer and the sanitizer runtimes come with clang-rt.
PACKAGES+=(clang libclang-rt-14-dev)
# The team library: a PostgreSQL server for its tests and trials, and its ODBC driver.
PACKAGES+=(postgresql postgresql-client odbc-postgresql)

say() { printf '== %s\n' "$*" >&2; }

# Installs whatever of PACKAGES is missing; does nothing when all are there.
ensure_packages() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    say "installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    # A foreign architecture's index may fail to download; the packages we need still come.
    "${sudo[@]}" apt-get update -qq || say "apt-get update reported a problem; going on"
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

# Wine settings shared by tests and the run command: a prefix of our own, quiet, and no
# offer to download the .NET or browser add-ons.
wine_env() {
    export WINEPREFIX="${WINEPREFIX:-$BUILD/wine-prefix}"
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
    export WINEARCH=win64
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        say "creating the Wine prefix $WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
}

# Starts openbox in the current (virtual) display and waits until it manages windows. Without
# a window manager Wine waits on every hidden window for a state change that only a window
# manager sends: many times slower.
start_window_manager() {
    openbox >/dev/null 2>&1 &
    local i
    for i in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && return 0
        sleep 0.1
    done
    say "openbox did not start; going on without a window manager"
}

# Inside a virtual display: starts Brevicor from dist/win64 (its own folder), opens its tray
# menu as a click on the icon does, shows the second category's phrases and takes a picture
# of the screen (cropped to CROP when given). Wine shows the icon in a small tray window at the
# top left. Leaves the program running.
start_and_capture_menu() { # picture-path [crop]
    local picture=$1 crop=${2:-}
    start_window_manager
    (cd "$DIST/win64" && exec wine ./brevicor.exe) &
    sleep 3 # the program finishes starting (a click that early would be lost)
    xdotool mousemove 40 40
    wine "$BUILD/win64/tests/wine/open_tray_menu.exe" 2
    sleep 4 # the menu, the submenu and the phrase preview are drawn
    if [ -n "$crop" ]; then
        import -window root -crop "$crop" +repage "$picture"
    else
        import -window root "$picture"
    fi
}
