#!/usr/bin/env bash
# Runs the built program from a copy in a sample update folder on a virtual X display, answered with
# the keyboard, and checks what it left behind: exit status, files, and the registry byte for byte.
#   run_update.sh full|declined|damaged PROGRAM WORK_FOLDER [WINE_PREFIX]
# "damaged" changes one byte of a sealed file after the sealing, as a bad download would: the copy finds it
# as it stages the file, under the progress window, and puts everything back.
# A Windows PROGRAM (setup.exe) runs under Wine in WINE_PREFIX (scripts/with-wine), with the registry in
# the prefix's Windows directory for the run.
set -euo pipefail
scenario=$1
program=$2
work=$3
prefix=${4:-}
top=$(cd "$(dirname "$0")/../.." && pwd)

"$top/scripts/make-sample-update" "$work" "$program"
registry="$work/windows/Tamreg.reg"
if [ "$scenario" = damaged ]; then
    printf 'Aide de Kelvane, version 3.2\n' > "$work/update/aide.txt"
fi
shipped=$(cd "$work/update" && find . -type f | sort | tr '\n' ' ')
before=$(cat "$registry"; echo .)  # the dot keeps the last line end
before=${before%.}

answers=()
[ "$scenario" = declined ] && answers=(ok cancel)

status=0
if [[ "$program" == *.exe ]]; then
    # Inside one Wine session: the registry goes into C:\windows for the run and comes back to be checked.
    "$top/scripts/with-wine" --prefix "$prefix" bash -c '
        work=$1 top=$2
        shift 2
        windows="$WINEPREFIX/drive_c/windows"
        mv "$work/windows/Tamreg.reg" "$windows/Tamreg.reg"
        status=0
        "$top/scripts/drive-setup" "$work/update/setup.exe" "$work/shots" "$@" || status=$?
        mv "$windows/Tamreg.reg" "$work/windows/Tamreg.reg"
        exit "$status"' _ "$work" "$top" "${answers[@]}" || status=$?
    name=setup.exe
else
    export WINDIR="$work/windows"
    "$top/scripts/with-virtual-display" \
        "$top/scripts/drive-setup" "$work/update/setup" "$work/shots" "${answers[@]}" || status=$?
    name=setup
fi

failures=0
expect() {
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: expected '$3', got '$2'"
        failures=$((failures + 1))
    fi
}
first_line() { if [ -f "$1" ]; then head -n 1 "$1"; else echo absent; fi; }
left=$(cd "$work/update" && find . -type f ! -name "$name" | sort | tr '\n' ' ')

case "$scenario" in
    full)
        expect "exit status" "$status" 0
        expect "program copied" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 3.1"
        expect "help copied" "$(first_line "$work/Kelvane/aide.txt")" "Aide de Kelvane, version 3.1"
        expect "module copied into its folder" "$(first_line "$work/Kelvane/modules/calcul.dat")" \
            "Module de calcul 3.1"
        # Only the version changes; every other byte, CR LF included, stays.
        expect "registry bytes" "$(od -c "$registry")" "$(printf '%s' "${before/Version=2.0/Version=3.1}" | od -c)"
        ;;
    declined)
        expect "exit status" "$status" 1
        expect "program untouched" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 2.0"
        expect "help untouched" "$(first_line "$work/Kelvane/aide.txt")" "Aide de Kelvane, version 2.0"
        expect "nothing new copied" "$(first_line "$work/Kelvane/modules/calcul.dat")" absent
        expect "registry bytes" "$(od -c "$registry")" "$(printf '%s' "$before" | od -c)"
        ;;
    damaged)
        expect "exit status" "$status" 3
        expect "program untouched" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 2.0"
        expect "help untouched" "$(first_line "$work/Kelvane/aide.txt")" "Aide de Kelvane, version 2.0"
        expect "nothing new copied" "$(first_line "$work/Kelvane/modules/calcul.dat")" absent
        expect "registry bytes" "$(od -c "$registry")" "$(printf '%s' "$before" | od -c)"
        expect "update folder kept" "$(cd "$work/update" && find . -type f | sort | tr '\n' ' ')" "$shipped"
        ;;
esac
[ "$scenario" = damaged ] || expect "update folder emptied" "$left" ""
expect "screenshots saved" "$(ls "$work/shots" | wc -l | tr -d ' ')" "$(case $scenario in declined) echo 2 ;; damaged) echo 4 ;; *) echo 3 ;; esac)"
exit $((failures > 0))
