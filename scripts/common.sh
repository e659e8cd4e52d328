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

# The 32-bit release needs a 32-bit engine, built from Debian's i386 packages of unixODBC and
# SQLite with the multilib compiler, and 32-bit Wine to run. The i386 package lists are not
# always reachable, and some kernels (virtual machines among them) run no 32-bit code at all:
# everything 64-bit works without either.
I386_BUILD_PACKAGES=(g++-multilib libodbc2:i386 libodbcinst2:i386 libsqlite3-dev:i386
                     unixodbc-dev:i386)
I386_LOG="$BUILD/i386-install.log"

installed() { # package...: true when every one is installed
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            return 1
    done
}

# True when the kernel runs 32-bit x86 programs. Asked of a 93-byte 32-bit program that only
# exits with status 0, written here because nothing 32-bit may be installed yet; where 32-bit
# code cannot run, its start fails ("Exec format error").
kernel_runs_i386() {
    local probe=$BUILD/i386-probe
    if [ ! -x "$probe" ]; then
        mkdir -p "$BUILD"
        # ELF header, one loadable segment, then: xor ebx,ebx; mov eax,1 (exit); int 0x80.
        printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\x31\xdb\xb8\x01\x00\x00\x00\xcd\x80' \
            >"$probe.new" && chmod 755 "$probe.new" && mv -f "$probe.new" "$probe"
    fi
    "$probe" 2>/dev/null
}

# Adds the i386 architecture and installs what the 32-bit engine's build needs, and 32-bit
# Wine where the kernel can run it. Never 32-bit Wine where it cannot: Debian's wine command
# then always starts the 32-bit loader, so the 64-bit Wine would stop working too. Never
# fatal: when the packages cannot be fetched it says so in one line (details in I386_LOG) and
# returns 1; it returns 0 when the 32-bit engine can be built.
ensure_i386() {
    local wanted=("${I386_BUILD_PACKAGES[@]}")
    kernel_runs_i386 && wanted+=(wine32:i386)
    installed "${wanted[@]}" && return 0
    say "installing the i386 packages for the 32-bit release: ${wanted[*]} (log: $I386_LOG)"
    mkdir -p "$BUILD"
    local sudo=() wait_lock=(-o DPkg::Lock::Timeout=600)
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    {
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            "${sudo[@]}" dpkg --add-architecture i386
        fi &&
            "${sudo[@]}" apt-get "${wait_lock[@]}" update -q &&
            # update succeeds even when a list failed to come; the candidate tells.
            [[ $(apt-cache policy libodbc2:i386) == *"Candidate: "[0-9]* ]] &&
            DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get "${wait_lock[@]}" install -y -q \
                --no-install-recommends "${wanted[@]}"
    } >"$I386_LOG" 2>&1 </dev/null
    installed "${wanted[@]}" && return 0
    say "no 32-bit build or runs: Debian's i386 packages could not be installed (see" \
        "$I386_LOG); the 64-bit work goes on"
    return 1
}

# True when 32-bit Windows programs can run here: 32-bit Wine is installed and its loader
# starts.
i386_wine_runs() {
    installed wine32:i386 && /usr/lib/wine/wine --version >/dev/null 2>&1
}

# Why the 32-bit release cannot run here, in a few words.
no_i386_runs_reason() {
    if kernel_runs_i386; then
        echo "32-bit Wine is not installed"
    elif installed wine32:i386; then
        echo "this machine's kernel runs no 32-bit programs, and the wine32 installed here stops" \
            "the 64-bit Wine too (apt-get remove wine32:i386 mends that)"
    else
        echo "this machine's kernel runs no 32-bit programs"
    fi
}

# The one line that says so where the 32-bit tests would run.
say_no_i386_runs() {
    say "no 32-bit runs: $(no_i386_runs_reason); the 32-bit release is built, not run"
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
