#!/usr/bin/env bash
# Runs the built program from a copy in a sample update folder on a virtual X display, answered with
# the keyboard, and checks what it left behind: exit status, files, and the registry byte for byte.
#   run_update.sh full|declined|damaged|held_retry|held_cancel PROGRAM WORK_FOLDER [WINE_PREFIX]
# "damaged" changes one byte of a sealed file after the sealing, as a bad download would: the copy finds it
# as it stages the file, under the progress window, and puts everything back. "held_retry" and
# "held_cancel" (Windows) run while a second program, $FILE_HOLDER, holds the installed program: the box
# that names it is answered Retry once the holder has let go, or Cancel.
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
[ "$scenario" = held_retry ] && answers=(ok ok "hold:$work/free")
[ "$scenario" = held_cancel ] && answers=(ok ok cancel)
rm -f "$work/free"

status=0
if [[ "$program" == *.exe ]]; then
    # Inside one Wine session: the registry goes into C:\windows for the run and comes back to be checked.
    "$top/scripts/with-wine" --prefix "$prefix" bash -c '
        work=$1 top=$2 scenario=$3
        shift 3
        windows="$WINEPREFIX/drive_c/windows"
        mv "$work/windows/Tamreg.reg" "$windows/Tamreg.reg"
        status=0
        if [[ "$scenario" == held_* ]]; then
            # The holder keeps the file open until it reads a line; its input stays open meanwhile.
            rm -f "$work/release" && mkfifo "$work/release"
            wine "$FILE_HOLDER" "Z:${work//\//\\}\\Kelvane\\kelvane.bin" < "$work/release" > "$work/holder" 2>/dev/null &
            holder=$!
            exec 7> "$work/release"
            until grep -q held "$work/holder"; do sleep 0.1; done
            "$top/scripts/drive-setup" "$work/update/setup.exe" "$work/shots" "$@" > "$work/drive.log" &
            drive=$!
            # Retry is pressed once the holder has let go (drive-setup waits for the file "free").
            until grep -q "held until" "$work/drive.log" || ! kill -0 "$drive" 2>/dev/null; do sleep 0.1; done
            echo >&7 && wait "$holder" && touch "$work/free"
            wait "$drive" || status=$?
            cat "$work/drive.log"
        else
            "$top/scripts/drive-setup" "$work/update/setup.exe" "$work/shots" "$@" || status=$?
        fi
        mv "$windows/Tamreg.reg" "$work/windows/Tamreg.reg"
        exit "$status"' _ "$work" "$top" "$scenario" "${answers[@]}" || status=$?
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
    declined | held_cancel)
        expect "exit status" "$status" 1
        expect "program untouched" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 2.0"
        expect "help untouched" "$(first_line "$work/Kelvane/aide.txt")" "Aide de Kelvane, version 2.0"
        expect "nothing new copied" "$(first_line "$work/Kelvane/modules/calcul.dat")" absent
        expect "registry bytes" "$(od -c "$registry")" "$(printf '%s' "$before" | od -c)"
        ;;
    held_retry)
        expect "exit status" "$status" 0
        expect "program copied" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 3.1"
        expect "box naming the held file" "$(grep -c '^message box "Fichiers en cours d.utilisation"' "$work/drive.log")" 2
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
case "$scenario" in declined) shots=2 ;; held_* | damaged) shots=4 ;; *) shots=3 ;; esac
expect "screenshots saved" "$(ls "$work/shots" | wc -l | tr -d ' ')" "$shots"
exit $((failures > 0))
