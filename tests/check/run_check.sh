#!/usr/bin/env bash
# Runs setup-check itself: on the sample update against its installation (exit 0, JSON that parses),
# on an installation too old for it (exit 2), on one whose journal or plan setup refuses (exit 2, each
# said), and on a list with mistakes (exit 1, each at its line).
#   run_check.sh SETUP_CHECK WORK_FOLDER
set -euo pipefail
check=$1
work=$2
top=$(cd "$(dirname "$0")/../.." && pwd)

"$top/scripts/make-sample-update" "$work/sample" "$check"
failures=0
expect() {
    if [ "$2" != "$3" ]; then
        echo "FAIL: $1: expected '$3', got '$2'"
        failures=$((failures + 1))
    fi
}
status_of() { local status=0; "$@" >"$work/out" 2>&1 || status=$?; echo "$status"; }

expect "sample applies" "$(status_of "$check" --strict --registry "$work/sample/windows/Tamreg.reg" "$work/sample/update")" 0
expect "sample verdict" "$(tail -n 1 "$work/out")" "Résultat : la mise à jour s'appliquerait à cette installation."
expect "json status" "$(status_of "$check" --json --registry "$work/sample/windows/Tamreg.reg" "$work/sample/update")" 0
expect "json parses" "$(python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); print(d["result"], d["dryRun"]["wouldApply"])' "$work/out")" "applies True"

sed -i 's/^Version=2.0/Version=1.0/' "$work/sample/windows/Tamreg.reg"
expect "old installation refuses" "$(status_of "$check" --registry "$work/sample/windows/Tamreg.reg" "$work/sample/update")" 2
expect "refusal message" "$(grep -c 'Texte : Cette mise à jour concerne les versions du logiciel Kelvane supérieure ou égale à la version 2.0' "$work/out")" 1

# A journal setup would not take up and a file named as setup's own: the dry run fails on both, each said.
sed -i 's/^Version=1.0/Version=2.0/' "$work/sample/windows/Tamreg.reg"
printf 'pas un journal\n' > "$work/sample/Kelvane/.setup-journal"
printf 'notes\n' > "$work/sample/update/notes.setup-old"
printf 'notes.setup-old\r\n' >> "$work/sample/update/setup.lst"
rm -f "$work/sample/update/setup.sum"
expect "plan refuses" "$(status_of "$check" --registry "$work/sample/windows/Tamreg.reg" "$work/sample/update")" 2
expect "own file name" "$(grep -c '^  Échec prévu : Ligne 8 : « notes.setup-old » porte un nom que setup réserve' "$work/out")" 1
expect "rejected journal" "$(grep -c "^  Échec prévu : setup ne reprendrait pas le journal" "$work/out")" 1
status_of "$check" --json --registry "$work/sample/windows/Tamreg.reg" "$work/sample/update" >/dev/null
expect "json findings" "$(python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["dryRun"]; print([x["reason"] for x in r["planRefusals"]], r["journal"]["action"], r["journal"]["stops"])' "$work/out")" "['own-file-name'] reject True"

printf '!Fermez Kelvane, puis OK\r\n\xC2\xA72.0|2.9\r\nabsent.bin\r\n' > "$work/sample/update/setup.lst"
expect "mistakes" "$(status_of "$check" "$work/sample/update")" 1
expect "lines of the errors" "$(grep -oE '^  Ligne [0-9]+' "$work/out" | tr -d ' ' | sort -u | tr '\n' ' ')" "Ligne1 Ligne2 Ligne3 "
expect "usage" "$(status_of "$check")" 64

exit $((failures > 0))
