#!/usr/bin/env bash
# win32_exe_check.sh size EXE MAX_BYTES: the program file is at most
# MAX_BYTES long.
# win32_exe_check.sh imports EXE OBJDUMP: the program loads only DLLs that
# come with Windows itself (no libstdc++, libgcc or winpthread DLL beside
# it): every "DLL Name" in its import table is one of the system DLLs below.
set -u
[ $# -eq 3 ] || { echo "usage: $0 size EXE MAX_BYTES | imports EXE OBJDUMP" >&2; exit 2; }
what=$1 exe=$2
[ -f "$exe" ] || { echo "no such program: $exe" >&2; exit 1; }

case $what in
  size)
    size=$(stat -c %s "$exe")
    echo "$(basename "$exe"): $size bytes (at most $3)"
    [ "$size" -le "$3" ]
    ;;
  imports)
    system='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|uxtheme|msvcrt|ole32|oleaut32|comdlg32|ntdll)\.dll$'
    dlls=$("$3" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')
    [ -n "$dlls" ] || { echo "no import table found in $exe" >&2; exit 1; }
    status=0
    while read -r dll; do
      if grep -qiE "$system" <<<"$dll"; then
        echo "ok   $dll"
      else
        echo "FAIL $dll is not one of Windows' own DLLs"
        status=1
      fi
    done <<<"$dlls"
    exit "$status"
    ;;
  *)
    echo "unknown check: $what" >&2
    exit 2
    ;;
esac
