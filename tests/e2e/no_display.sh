#!/usr/bin/env bash
# Runs the built program from a copy in a sample update folder where no display can be opened: it must
# say so in one line on standard error, end with status 3 and leave the update folder as it was.
#   no_display.sh PROGRAM WORK_FOLDER
set -euo pipefail
program=$1
work=$2
top=$(cd "$(dirname "$0")/../.." && pwd)

failures=0
expect() {
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: expected '$3', got '$2'"
        failures=$((failures + 1))
    fi
}
listing() { (cd "$1" && find . -type f -exec md5sum {} + | sort); }

# No display at all, and a display where no server listens.
for display in unset :64999; do
    "$top/scripts/make-sample-update" "$work" "$program"
    before=$(listing "$work/update")
    settings=(-u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u DISPLAY)
    [ "$display" != unset ] && settings+=(DISPLAY="$display")
    status=0
    env "${settings[@]}" WINDIR="$work/windows" "$work/update/setup" 2> "$work/stderr" > /dev/null || status=$?
    expect "exit status with DISPLAY $display" "$status" 3
    expect "lines on standard error with DISPLAY $display" "$(wc -l < "$work/stderr" | tr -d ' ')" 1
    expect "the line with DISPLAY $display" "$(cat "$work/stderr")" \
        "Setup : impossible d'ouvrir l'affichage ; la mise à jour n'a pas été lancée."
    expect "update folder untouched with DISPLAY $display" "$(listing "$work/update")" "$before"
done
exit $((failures > 0))
