# Shared by the build, test and run commands. Sourced, not run.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"
DIST="$ROOT/dist"
JOBS=$(nproc 2>/dev/null || echo 2)

# What the build, the tests and the run need from Debian.
PACKAGES=(cmake ninja-build g++ pkg-config mingw-w64 wine wine64 xvfb xauth openbox unixodbc
          unixodbc-dev libsqlite3-dev sqlite3 googletest imagemagick xdotool clang-format nsis
          desktop-file-utils x11-utils python3-pyodbc libyaml-cpp-dev)

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

# What the 32-bit runs need: 32-bit Wine to run the release, and a 32-bit unixODBC, SQLite and
# compiler to build the engine that a 32-bit program can load. They come from Debian's i386
# package lists, which are not always reachable: everything 64-bit works without them.
I386_PACKAGES=(wine32:i386 libodbc2:i386 libodbcinst2:i386 g++-multilib libsqlite3-dev:i386
               unixodbc-dev:i386)
I386_LOG="$BUILD/i386-install.log"

# True when every one of I386_PACKAGES is installed.
have_i386() {
    local p
    for p in "${I386_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            return 1
    done
}

# Adds the i386 architecture and installs I386_PACKAGES when they are missing. Never fatal:
# when the lists or packages cannot be fetched, it says so in one line (details in I386_LOG)
# and returns 1, and the callers go on with the 64-bit work alone.
ensure_i386() {
    have_i386 && return 0
    mkdir -p "$BUILD"
    local sudo=() wait_lock=(-o DPkg::Lock::Timeout=600)
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    {
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            "${sudo[@]}" dpkg --add-architecture i386
        fi &&
            "${sudo[@]}" apt-get "${wait_lock[@]}" update -q &&
            # update succeeds even when a list failed to come; the candidate tells.
            [[ $(apt-cache policy wine32:i386) == *"Candidate: "[0-9]* ]] &&
            DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${wait_lock[@]}" install -y -q \
                --no-install-recommends "${I386_PACKAGES[@]}"
    } >"$I386_LOG" 2>&1 </dev/null
    if have_i386; then
        return 0
    fi
    say "no 32-bit Wine: Debian's i386 packages could not be installed (see $I386_LOG);" \
        "the 32-bit release is built but not run"
    return 1
}

# True when 32-bit Windows programs can run here: 32-bit Wine is installed and its loader, a
# 32-bit Linux program, starts. Some kernels run no 32-bit code at all (it fails with "Exec
# format error"); the 32-bit engine still builds there, but nothing 32-bit runs.
i386_wine_runs() {
    have_i386 && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Why the 32-bit release cannot run here, in a few words.
no_i386_runs_reason() {
    if have_i386; then
        echo "this machine's kernel runs no 32-bit programs (32-bit Wine does not start)"
    else
        echo "32-bit Wine is not installed"
    fi
}

# The one line that says so where the 32-bit tests would run.
say_no_i386_runs() {
    say "no 32-bit runs: $(no_i386_runs_reason); the 32-bit release and engine are built, not run"
}

# Wine settings shared by tests and the run command: a prefix of our own, quiet, and no
# offer to download the .NET or browser add-ons. A 64-bit prefix unless asked for a 32-bit one
# (win32), where the release runs as on 32-bit Windows.
wine_env() { # [win64|win32]
    export WINEARCH=${1:-win64}
    local prefix=$BUILD/wine-prefix
    [ "$WINEARCH" = win64 ] || prefix=$BUILD/wine32-prefix
    export WINEPREFIX="${WINEPREFIX:-$prefix}"
    export WINEDEBUG="${WINEDEBUG:--all}"
    export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
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

# Inside a virtual display: starts Brevicor from dist/$RUN_ARCH (its own folder: win64 unless
# the caller chose the 32-bit release, win32, in the same 64-bit prefix), opens its tray
# menu as a click on the icon does, shows the second category's phrases and takes a picture
# of the screen (cropped to CROP when given). Wine shows the icon in a small tray window at the
# top left. Leaves the program running.
start_and_capture_menu() { # picture-path [crop]
    local picture=$1 crop=${2:-}
    start_window_manager
    (cd "$DIST/${RUN_ARCH:-win64}" && exec wine ./brevicor.exe) &
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
