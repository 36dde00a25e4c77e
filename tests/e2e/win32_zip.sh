#!/usr/bin/env bash
# The portable .zip: one folder "Dayvane" with exactly Dayvane.exe (the
# program of this build, byte for byte) and README.txt; nothing that would
# make notes land elsewhere.
#   win32_zip.sh ZIP DAYVANE_EXE
set -u
zip=$1
exe=$2
. "$(dirname "$0")/lib.sh"
e2e_init
e2e_check "the zip is there" test -f "$zip"
listing=$(unzip -Z1 "$zip" 2>/dev/null | sort | tr '\n' ' ')
e2e_check "it holds Dayvane/ with Dayvane.exe and README.txt ($listing)" \
  test "$listing" = "Dayvane/ Dayvane/Dayvane.exe Dayvane/README.txt "
unzip -q "$zip" -d "$E2E_TMP/unpacked"
e2e_check "the program is this build's" cmp -s "$exe" "$E2E_TMP/unpacked/Dayvane/Dayvane.exe"
e2e_check "the read-me says where the notes live" \
  grep -q 'M-D-YYYY.txt in the folder of' "$E2E_TMP/unpacked/Dayvane/README.txt"
e2e_summary
