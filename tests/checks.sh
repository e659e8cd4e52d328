# Sourced by the shell tests: `check DESCRIPTION COMMAND...` runs the command, prints
# "ok: DESCRIPTION" or "FAILED: DESCRIPTION" and counts it in passes or failures.
failures=0
passes=0
check() { # description command...
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; passes=$((passes + 1)); else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
