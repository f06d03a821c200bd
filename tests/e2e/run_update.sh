#!/usr/bin/env bash
# Runs the built program from a copy in a sample update folder on a virtual X display, answered with
# the keyboard, and checks what it left behind.
#   run_update.sh full|declined PROGRAM WORK_FOLDER
set -euo pipefail
scenario=$1
program=$2
work=$3
top=$(cd "$(dirname "$0")/../.." && pwd)

"$top/scripts/make-sample-update" "$work" "$program"
export WINDIR="$work/windows"

answers=()
[ "$scenario" = declined ] && answers=(ok cancel)

status=0
"$top/scripts/with-virtual-display" \
    "$top/scripts/drive-setup" "$work/update/setup" "$work/shots" "${answers[@]}" || status=$?

failures=0
expect() {
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: expected '$3', got '$2'"
        failures=$((failures + 1))
    fi
}
first_line() { if [ -f "$1" ]; then head -n 1 "$1"; else echo absent; fi; }
version=$(tr -d '\r' < "$work/windows/Tamreg.reg" | grep -i '^Version=')
left=$(cd "$work/update" && find . -type f ! -name setup | sort | tr '\n' ' ')

case "$scenario" in
    full)
        expect "exit status" "$status" 0
        expect "program copied" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 3.1"
        expect "help copied" "$(first_line "$work/Kelvane/aide.txt")" "Aide de Kelvane, version 3.1"
        expect "module copied into its folder" "$(first_line "$work/Kelvane/modules/calcul.dat")" \
            "Module de calcul 3.1"
        expect "version recorded" "$version" "Version=3.1"
        ;;
    declined)
        expect "exit status" "$status" 1
        expect "program untouched" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 2.0"
        expect "help untouched" "$(first_line "$work/Kelvane/aide.txt")" "Aide de Kelvane, version 2.0"
        expect "nothing new copied" "$(first_line "$work/Kelvane/modules/calcul.dat")" absent
        expect "version kept" "$version" "Version=2.0"
        ;;
esac
expect "update folder emptied" "$left" ""
expect "screenshots saved" "$(ls "$work/shots" | wc -l | tr -d ' ')" "$([ "$scenario" = full ] && echo 3 || echo 2)"
exit $((failures > 0))
