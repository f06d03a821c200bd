#!/usr/bin/env bash
# Fails when the Windows program imports a DLL that is not part of Windows itself (the C++ or GCC
# run-time, the threads library...), which would have to be shipped beside it.
#   check_imports.sh PROGRAM.exe
set -euo pipefail
program=$1

imports=$(x86_64-w64-mingw32-objdump -p "$program" | awk '/DLL Name:/ { print $3 }')
if [ -z "$imports" ]; then
    echo "FAIL: no import table read from $program"
    exit 1
fi
status=0
for dll in $imports; do
    case "${dll,,}" in
        kernel32.dll | user32.dll | gdi32.dll | comctl32.dll | advapi32.dll | shell32.dll | ole32.dll | bcrypt.dll | \
            msvcrt.dll | ucrtbase.dll | api-ms-win-*.dll)
            echo "system: $dll"
            ;;
        *)
            echo "FAIL: $program imports $dll, which Windows does not provide"
            status=1
            ;;
    esac
done
exit "$status"
