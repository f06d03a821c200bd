#!/usr/bin/env bash
# Runs the Windows setup-check under Wine on an update folder whose name lies beyond the ANSI code page:
# the folder must be found and the sample update must apply, as it does under any other name.
#   run_check_wide.sh SETUP_CHECK_EXE WORK_FOLDER WINE_PREFIX
set -euo pipefail
check=$1
work=$2
prefix=$3
top=$(cd "$(dirname "$0")/../.." && pwd)

"$top/scripts/make-sample-update" "$work/sample" "$check"
folder="$work/sample/mise à jour Ωж"
mv "$work/sample/update" "$folder"
status=0
"$top/scripts/with-wine" --prefix "$prefix" "$check" --strict --registry "Z:$work/sample/windows/Tamreg.reg" \
    "Z:$folder" > "$work/out" 2>&1 || status=$?
failures=0
if [ "$status" != 0 ]; then
    echo "FAIL: exit status $status, expected 0"
    cat "$work/out"
    failures=1
fi
if [ "$(tail -n 1 "$work/out" | tr -d '\r')" != "Résultat : la mise à jour s'appliquerait à cette installation." ]; then
    echo "FAIL: verdict: $(tail -n 1 "$work/out")"
    failures=1
fi
exit "$failures"
