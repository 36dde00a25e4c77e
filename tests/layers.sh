#!/usr/bin/env bash
# The layers of the source, lowest first; each includes only the layers
# below it (README, "Layout of the source"):
#   src/diary/        dates, note names, the notes folder: the standard library only
#   src/platform/     the contract: the diary
#   src/platform/qt/, src/platform/win32/
#                     the front ends: the contract and the diary (their main.cpp,
#                     which puts the program together, anything)
#   src/runtime/      loading and unloading windows, the services: the contract
#   src/form_resize/, src/form_plus/
#                     the runtime
#   src/app/          the program: anything but the front ends
# No file outside src/platform/qt includes Qt, none outside src/platform/win32
# <windows.h>. Lists each include that breaks this.
set -u
cd "$(dirname "$0")/.."
status=0
report() {
  [ -z "$1" ] && return
  echo "$2:"
  echo "$1"
  status=1
}
# The quoted includes of the files in $1.. that name none of the folders
# matched by the regular expression $ALLOWED.
outside() {
  git grep -n -E '^\s*#\s*include\s+"' -- "$@" | grep -v -E "#\s*include\s+\"($ALLOWED)/"
}

ALLOWED='diary'
report "$(outside 'src/diary/')" "the diary includes the program above it"
report "$(git grep -n -E '^\s*#\s*include\s+<([^>]*\.|Q)' -- 'src/diary/')" \
  "the diary includes more than the standard library"
ALLOWED='diary|platform'
report "$(outside 'src/platform/*.h' 'src/platform/*.cpp' ':!src/platform/qt' ':!src/platform/win32')" \
  "the contract includes the program above it"
report "$(outside 'src/platform/qt/' 'src/platform/win32/' ':!*/main.cpp')" \
  "a front end includes the program above the contract"
ALLOWED='diary|platform|runtime'
report "$(outside 'src/runtime/')" "the runtime includes the program above it"
ALLOWED='diary|platform|runtime|form_resize|form_plus'
report "$(outside 'src/form_resize/' 'src/form_plus/')" "a form module includes the program above it"
ALLOWED='diary|platform|runtime|form_resize|form_plus|app'
report "$(outside 'src/app/')" "the program includes something unknown"
report "$(git grep -n -E '#include "platform/(qt|win32)/' -- 'src/*' ':!src/platform/qt' \
  ':!src/platform/win32')" "a front end included outside it"
report "$(git grep -n -E '#include <Q[A-Za-z]*>' -- 'src/*.h' 'src/*.cpp' ':!src/platform/qt')" \
  "Qt outside src/platform/qt"
report "$(git grep -n -i -E '#include <windows\.h>' -- 'src/*.h' 'src/*.cpp' ':!src/platform/win32')" \
  "<windows.h> outside src/platform/win32"
report "$(git ls-files src | grep -v -E '^src/(diary|platform|runtime|form_resize|form_plus|app)/')" \
  "a source file in no layer"
[ $status -eq 0 ] && echo "layers: clean"
exit $status
