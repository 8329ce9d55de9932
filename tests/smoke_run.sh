#!/usr/bin/env bash
# Starts the real binary offscreen in a fresh folder, lets it come up, asks it to end
# (SIGTERM closes it like the close button) and expects a clean exit with code 0.
# Twice: with the sample catalog, and without bdv.db, where the end request arrives
# while the start-up error boxes are on screen.
# Where it can, the program runs in a network namespace of its own with only a loopback
# interface, so nothing it does can reach beyond 127.0.0.1.
set -euo pipefail
exe=$1; sql=$2
dir=$(mktemp -d); trap 'rm -rf "$dir"' EXIT

isolated=()
if unshare -rn true 2>/dev/null; then
  isolated=(unshare -rn sh -c 'ip link set lo up 2>/dev/null; exec "$@"' sh)
fi

run_once() {
  local name=$1
  QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 "${isolated[@]}" "$exe" > "$name.log" 2>&1 &
  local pid=$!
  sleep 8
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "$name: kvelto ended by itself:"; tail -20 "$name.log"; return 1
  fi
  kill -TERM "$pid"
  local code=0
  wait "$pid" || code=$?
  if [ "$code" -ne 0 ]; then
    echo "$name: kvelto exited with $code:"; tail -20 "$name.log"; return 1
  fi
  echo "$name: kvelto started and ended cleanly"
}

mkdir "$dir/with" "$dir/without"
sqlite3 "$dir/with/bdv.db" < "$sql"
(cd "$dir/with" && run_once with-catalog)
(cd "$dir/without" && run_once without-catalog)
[ ! -e "$dir/without/bdv.db" ] || { echo "an empty bdv.db was left behind"; exit 1; }
