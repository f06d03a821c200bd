#!/usr/bin/env bash
# Two runs of the built program on one installation: the first waits at its question while a second,
# started from another update folder, must say that another update is under way, end with status 3 and
# leave its update folder as it was; then the first is answered and applies its update.
#   second_run.sh PROGRAM WORK_FOLDER [WINE_PREFIX]
# A Windows PROGRAM (setup.exe) runs under Wine in WINE_PREFIX, both runs in the same Wine session.
set -euo pipefail
program=$1
work=$2
prefix=${3:-}
top=$(cd "$(dirname "$0")/../.." && pwd)

"$top/scripts/make-sample-update" "$work" "$program"
name=setup
[[ "$program" == *.exe ]] && name=setup.exe
cp -a "$work/update" "$work/second"
listing() { (cd "$1" && find . -type f -exec md5sum {} + | sort); }
second_before=$(listing "$work/second")

# Runs both programs on the current display; writes their statuses into the work folder.
both_runs() {
    local work=$1 top=$2 name=$3
    rm -f "$work/go"
    "$top/scripts/drive-setup" "$work/update/$name" "$work/shots/first" ok "hold:$work/go" \
        > "$work/first.log" 2>&1 &
    local first=$!
    # The first run holds the installation once it asks its question.
    local waited=0
    until grep -q "held until" "$work/first.log"; do
        if ((waited > 600)) || ! kill -0 "$first" 2>/dev/null; then
            echo "second_run.sh: the first run never reached its question" >&2
            cat "$work/first.log" >&2
            touch "$work/go"
            wait "$first" || true
            return 1
        fi
        waited=$((waited + 1))
        sleep 0.1
    done
    local second=0
    "$top/scripts/drive-setup" "$work/second/$name" "$work/shots/second" > "$work/second.log" 2>&1 || second=$?
    touch "$work/go"
    local status=0
    wait "$first" || status=$?
    echo "$status $second" > "$work/statuses"
}

rm -f "$work/statuses"
if [[ "$program" == *.exe ]]; then
    "$top/scripts/with-wine" --prefix "$prefix" bash -c "
        $(declare -f both_runs)
        windows=\"\$WINEPREFIX/drive_c/windows\"
        mv '$work/windows/Tamreg.reg' \"\$windows/Tamreg.reg\"
        both_runs '$work' '$top' '$name' || true
        mv \"\$windows/Tamreg.reg\" '$work/windows/Tamreg.reg'"
else
    export WINDIR="$work/windows"
    export -f both_runs
    "$top/scripts/with-virtual-display" bash -c 'both_runs "$@"' _ "$work" "$top" "$name" || true
fi

failures=0
expect() {
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: expected '$3', got '$2'"
        failures=$((failures + 1))
    fi
}
first_line() { if [ -f "$1" ]; then head -n 1 "$1"; else echo absent; fi; }
read -r first_status second_status < "$work/statuses" || { echo "FAIL: the runs did not end"; exit 1; }
echo "--- first run"; cat "$work/first.log"
echo "--- second run"; cat "$work/second.log"

expect "second run's exit status" "$second_status" 3
expect "second run's box" "$(grep -c '^message box "Mise à jour de Kelvane en cours": Return$' "$work/second.log")" 1
expect "second run's boxes" "$(grep -c '^message box' "$work/second.log")" 1
expect "second run's screenshot" "$(ls "$work/shots/second" | wc -l | tr -d ' ')" 1
expect "second update folder intact" "$(listing "$work/second")" "$second_before"
expect "first run's exit status" "$first_status" 0
expect "program copied" "$(first_line "$work/Kelvane/kelvane.bin")" "Kelvane 3.1"
expect "module copied into its folder" "$(first_line "$work/Kelvane/modules/calcul.dat")" "Module de calcul 3.1"
expect "version recorded" "$(grep -c '^Version=3.1' "$work/windows/Tamreg.reg")" 1
expect "no lock file left" "$(ls -A "$work/Kelvane" | grep -c setup-lock)" 0
expect "first update folder emptied" "$(cd "$work/update" && find . -type f ! -name "$name" | wc -l | tr -d ' ')" 0
exit $((failures > 0))
