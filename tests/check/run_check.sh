#!/usr/bin/env bash
# Runs setup-check itself: on the sample update against its installation (exit 0, JSON that parses), signed
# (openssl verifies it) and refused by an installation trusting another key (exit 2),
# on an installation too old for it (exit 2), on one whose journal setup refuses with a list that every
# installation refuses (exit 1, each said once, with an installation or without), and on a list with
# mistakes (exit 1, each at its line).
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

# A vendor's key pair, a signed update that openssl verifies by the command the authoring guide gives, and
# an installation provisioned with another key, which refuses it.
rm -f "$work/vendor.key" "$work/vendor.pub" "$work/other.key" "$work/other.pub"
expect "new key" "$(status_of "$check" --new-key "$work/vendor")" 0
expect "private key for its owner alone" "$(stat -c %a "$work/vendor.key")" 600
expect "a key is never replaced" "$(status_of "$check" --new-key "$work/vendor")" 1
expect "signed" "$(status_of "$check" --sign "$work/vendor.key" "$work/sample/update")" 0
expect "openssl verifies" "$(cd "$work/sample/update" && openssl dgst -sha256 -verify "$work/vendor.pub" -signature setup.sig setup.signed)" "Verified OK"
"$check" --new-key "$work/other" > /dev/null
expect "trust provisioned" "$(status_of "$check" --trust "$work/other.pub" "$work/sample/Kelvane")" 0
expect "another key refused" "$(status_of "$check" --json --registry "$work/sample/windows/Tamreg.reg" "$work/sample/update")" 2
expect "key-not-trusted" "$(python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); print([e["rule"] for e in d["errors"]], bool(d["errors"][0]["fix"]))' "$work/out")" "['key-not-trusted'] True"
rm "$work/sample/Kelvane/.setup-trust" "$work/sample/update/setup.sig" "$work/sample/update/setup.signed"

sed -i 's/^Version=2.0/Version=1.0/' "$work/sample/windows/Tamreg.reg"
expect "old installation refuses" "$(status_of "$check" --registry "$work/sample/windows/Tamreg.reg" "$work/sample/update")" 2
expect "refusal message" "$(grep -c 'Texte : Cette mise à jour concerne les versions du logiciel Kelvane supérieure ou égale à la version 2.0' "$work/out")" 1

# A journal setup would not take up and a file named as setup's own: the journal is this installation's
# failure, the name an error of the list that every installation would refuse, each said once.
sed -i 's/^Version=1.0/Version=2.0/' "$work/sample/windows/Tamreg.reg"
printf 'pas un journal\n' > "$work/sample/Kelvane/.setup-journal"
printf 'notes\n' > "$work/sample/update/notes.setup-old"
printf 'notes.setup-old\r\n' >> "$work/sample/update/setup.lst"
rm -f "$work/sample/update/setup.sum"
expect "own file name is a list error" "$(status_of "$check" --registry "$work/sample/windows/Tamreg.reg" "$work/sample/update")" 1
expect "own file name" "$(grep -c '^  Ligne 8 : « notes.setup-old » porte un nom que setup réserve' "$work/out")" 1
expect "own file name's entry" "$(grep -c '^Ligne 8 .*setup refuse « notes.setup-old » et toute la mise à jour' "$work/out")" 1
expect "own file name said once" "$(grep -c 'notes.setup-old » porte un nom' "$work/out")" 1
expect "rejected journal" "$(grep -c "^  Échec prévu : setup ne reprendrait pas le journal" "$work/out")" 1
status_of "$check" --json --registry "$work/sample/windows/Tamreg.reg" "$work/sample/update" >/dev/null
expect "json findings" "$(python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); r=d["dryRun"]; print([(x["reason"], x["listError"]) for x in r["planRefusals"]], [e["rule"] for e in d["errors"]], r["journal"]["action"], r["journal"]["stops"])' "$work/out")" "[('own-file-name', True)] ['own-file-name'] reject True"
# With no installation to try the update on, the name is still an error of the list.
expect "own file name without installation" "$(WINDIR="$work/no-windows" status_of "$check" "$work/sample/update")" 1
expect "own file name without installation said" "$(grep -c '^  Ligne 8 : « notes.setup-old » porte un nom que setup réserve' "$work/out")" 1
expect "no installation tried" "$(grep -c '^Essai sur' "$work/out")" 0

printf '!Fermez Kelvane, puis OK\r\n\xC2\xA72.0|2.9\r\nabsent.bin\r\n' > "$work/sample/update/setup.lst"
expect "mistakes" "$(status_of "$check" "$work/sample/update")" 1
expect "lines of the errors" "$(grep -oE '^  Ligne [0-9]+' "$work/out" | tr -d ' ' | sort -u | tr '\n' ' ')" "Ligne1 Ligne2 Ligne3 "
expect "usage" "$(status_of "$check")" 64

exit $((failures > 0))
