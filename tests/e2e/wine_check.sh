# Sourced by the scripts that run Windows programs under Wine.
#
# wine_check_or_skip NAME: returns when Wine can run here. Exits 77 (the
# tests' "skipped" code) when Wine is installed but the kernel refuses its
# 32-bit loader ("Exec format error": a kernel without IA-32 emulation, or
# one started with ia32_emulation=off); nothing Windows can be tested there.
# Exits 1 when Wine is missing altogether, which scripts/deps should have
# mended.
wine_check_or_skip() {
  local out
  command -v wine >/dev/null || { echo "$1: wine is not installed (run scripts/deps test)" >&2; exit 1; }
  out=$(wine --version 2>&1) && return 0
  if grep -q 'Exec format error' <<<"$out"; then
    echo "$1: SKIPPED: this machine cannot run 32-bit programs, so neither Wine's loader" \
      "nor Dayvane.exe ($(uname -r); see dmesg for ia32_emulation)" >&2
    exit 77
  fi
  echo "$1: wine does not start: $out" >&2
  exit 1
}
