#!/usr/bin/env bash
# win32_exe_check.sh size EXE MAX_BYTES: the program file is at most
# MAX_BYTES long.
# win32_exe_check.sh imports EXE OBJDUMP: the program loads only DLLs that
# come with Windows itself (no libstdc++, libgcc or winpthread DLL beside
# it): every "DLL Name" in its import table is one of the system DLLs below.
# win32_exe_check.sh artwork EXE ART_DIR: the program carries each image of
# the program icon (its resource 1), of the logo and the splash bitmap's
# pixels exactly once.
set -u
[ $# -eq 3 ] || {
  echo "usage: $0 size EXE MAX_BYTES | imports EXE OBJDUMP | artwork EXE ART_DIR" >&2
  exit 2
}
what=$1 exe=$2
[ -f "$exe" ] || { echo "no such program: $exe" >&2; exit 1; }

case $what in
  size)
    size=$(stat -c %s "$exe")
    echo "$(basename "$exe"): $size bytes (at most $3)"
    [ "$size" -le "$3" ]
    ;;
  imports)
    system='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|uxtheme|msvcrt|ole32|oleaut32|oleacc|comdlg32|ntdll)\.dll$'
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
  artwork)
    /usr/bin/python3 - "$exe" "$3" <<'PY'
import os
import struct
import sys

exe = open(sys.argv[1], "rb").read()
status = 0


def once(name, data):
    global status
    count = exe.count(data)
    print(f"{'ok  ' if count == 1 else 'FAIL'} {name}: {len(data)} bytes, {count} times")
    status |= count != 1


for icon in ("dayvane.ico", "logo.ico"):
    data = open(os.path.join(sys.argv[2], icon), "rb").read()
    for i in range(struct.unpack_from("<H", data, 4)[0]):
        size, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        once(f"{icon}, {size} px image", data[offset:offset + length])
splash = open(os.path.join(sys.argv[2], "splash.bmp"), "rb").read()
once("splash.bmp, pixels", splash[struct.unpack_from("<I", splash, 10)[0]:])
sys.exit(status)
PY
    ;;
  *)
    echo "unknown check: $what" >&2
    exit 2
    ;;
esac
