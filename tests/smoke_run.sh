#!/usr/bin/env bash
# Starts the real binary offscreen in a fresh folder with the sample catalog,
# lets it show its window, closes it and expects exit code 0.
set -euo pipefail
exe=$1; sql=$2
dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT
cd "$dir"
sqlite3 bdv.db < "$sql"
QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 KVELTO_QUIT_AFTER_MS=1500 timeout 60 "$exe"
