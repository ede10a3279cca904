# Sourced by the release checks: `check WHAT COMMAND...` runs the command,
# prints whether WHAT holds, and counts what does not in $failures.
failures=0
check() {
    local what=$1
    shift
    if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}
