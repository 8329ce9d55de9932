#!/usr/bin/env bash
# Starts the real binary offscreen in a fresh folder with the sample catalog, lets
# it come up, asks it to end (SIGTERM closes it like the close button) and expects
# a clean exit with code 0.
set -euo pipefail
exe=$1; sql=$2
dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT
cd "$dir"
sqlite3 bdv.db < "$sql"
QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 "$exe" > out.log 2>&1 &
pid=$!
sleep 8
if ! kill -0 "$pid" 2>/dev/null; then
  echo "kvelto ended by itself:"; cat out.log; exit 1
fi
kill -TERM "$pid"
code=0
wait "$pid" || code=$?
if [ "$code" -ne 0 ]; then
  echo "kvelto exited with $code:"; tail -20 out.log; exit 1
fi
echo "kvelto started and ended cleanly"
