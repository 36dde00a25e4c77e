#!/usr/bin/env bash
# The layers of the source: the platform contract (src/platform, without its
# two front ends) includes nothing of the program above it; no file outside
# src/platform/qt includes Qt, none outside src/platform/win32 includes
# <windows.h>. Lists each include that breaks this.
set -u
cd "$(dirname "$0")/.."
status=0
report() {
  [ -z "$1" ] && return
  echo "$2:"; echo "$1"; status=1
}
report "$(git grep -n -E '#include "(app|layout|placement|forms)/' -- 'src/platform/*.h' \
  'src/platform/*.cpp' ':!src/platform/qt' ':!src/platform/win32')" \
  "the platform contract includes the program above it"
report "$(git grep -n -E '#include <Q[A-Za-z]*>' -- 'src/*.h' 'src/*.cpp' ':!src/platform/qt')" \
  "Qt outside src/platform/qt"
report "$(git grep -n -i -E '#include <windows\.h>' -- 'src/*.h' 'src/*.cpp' ':!src/platform/win32')" \
  "<windows.h> outside src/platform/win32"
[ $status -eq 0 ] && echo "layers: clean"
exit $status
