#!/usr/bin/env bash
# run_qt.sh CONTRACT_QT [ARTIFACT_DIR]: the Qt toolkit's contract tests in
# Xvfb with openbox, with a home of their own (settings, files).
set -u
exe=$(realpath "$1")
. "$(dirname "$0")/../e2e/lib.sh"
E2E_TEST=contract_qt
e2e_init "${2:-}"
e2e_start_x && e2e_start_wm || exit 1
"$exe"
