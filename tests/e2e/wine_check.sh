# Sourced by the scripts that run Windows programs under Wine.
#
# wine_pick NAME EXE: sets WINE to the Wine loader for EXE and returns when
# that loader runs here. A 64-bit program gets Wine's 64-bit loader
# directly (Debian's "wine" would take the 32-bit one whenever wine32 is
# installed); a 32-bit program gets "wine". Exits 77 (the tests' "skipped"
# code) when the kernel refuses the loader ("Exec format error": a 32-bit
# loader on a kernel without IA-32 emulation, or one started with
# ia32_emulation=off); scripts/test then runs the x86-64 build's tests
# instead. Exits 1 when Wine is missing, which scripts/deps should have
# mended.
#
# wine_prefix_open [DIR]: sets WINEPREFIX. When DAYVANE_WINEPREFIX names a
# ready prefix (scripts/test makes one per run and shares it), that one;
# otherwise a new prefix in DIR (default: a new temporary folder), made
# here, with WINE_PREFIX_OWNED=1 so that the caller removes it.

# The 64-bit loader of Debian's wine64 package, or one on the PATH.
wine_loader64() {
  local loader
  for loader in "${DAYVANE_WINE64:-}" /usr/lib/wine/wine64 "$(command -v wine64 2>/dev/null)"; do
    [ -n "$loader" ] && [ -x "$loader" ] && { echo "$loader"; return 0; }
  done
  return 1
}

# pe_machine EXE: i386 or x86_64, from the PE header's machine field.
pe_machine() {
  local offset machine
  offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || { echo unknown; return; }
  machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
  case $machine in
    014c) echo i386 ;;
    8664) echo x86_64 ;;
    *) echo unknown ;;
  esac
}

wine_pick() {
  local out
  command -v wine >/dev/null || { echo "$1: wine is not installed (run scripts/deps test)" >&2; exit 1; }
  WINE=wine
  if [ "$(pe_machine "$2")" = x86_64 ]; then
    WINE=$(wine_loader64) || { echo "$1: Wine's 64-bit loader is not installed (wine64)" >&2; exit 1; }
  fi
  out=$("$WINE" --version 2>&1) && return 0
  if grep -q 'Exec format error' <<<"$out"; then
    echo "$1: SKIPPED: this machine cannot run 32-bit programs, so neither Wine's 32-bit" \
      "loader nor a 32-bit Dayvane.exe ($(uname -r); see dmesg for ia32_emulation)." \
      "The x86-64 build's tests run instead (scripts/test)." >&2
    exit 77
  fi
  echo "$1: wine does not start: $out" >&2
  exit 1
}

# wine_prefix_make DIR: a new prefix in DIR, made without a display (no
# dialogs) by the 64-bit loader where there is one, which runs everywhere.
wine_prefix_make() {
  local boot
  boot=$(wine_loader64) || boot=wine
  (
    export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    unset DISPLAY WAYLAND_DISPLAY
    "$boot" wineboot --init >/dev/null 2>&1
    wineserver -w
  )
  [ -f "$1/system.reg" ]
}

wine_prefix_open() {
  # No Mono or Gecko installer dialogs.
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
  WINE_PREFIX_OWNED=0
  if [ -n "${DAYVANE_WINEPREFIX:-}" ] && [ -f "$DAYVANE_WINEPREFIX/system.reg" ]; then
    export WINEPREFIX=$DAYVANE_WINEPREFIX
    return 0
  fi
  local dir=${1:-}
  [ -n "$dir" ] || dir=$(mktemp -d "${TMPDIR:-/tmp}/dayvane-wine.XXXXXX")
  export WINEPREFIX=$dir
  WINE_PREFIX_OWNED=1
  local start=$SECONDS
  wine_prefix_make "$dir" || { echo "wine: the prefix $dir could not be made" >&2; return 1; }
  echo "wine: prefix made in $((SECONDS - start)) s" >&2
}
