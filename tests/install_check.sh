#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop finds there: both
# commands, a valid menu entry and AppStream description, the icons and the sample catalog.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }
for command in kvelto kvelto-catalog; do
  [ -x "$prefix/bin/$command" ] || fail "bin/$command is missing"
done
desktop="$prefix/share/applications/org.kvelto.Kvelto.desktop"
desktop-file-validate "$desktop" || fail "the menu entry does not validate"
grep -qx 'Exec=kvelto --desktop' "$desktop" || fail "the menu entry does not start kvelto --desktop"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/org.kvelto.Kvelto.metainfo.xml" >/dev/null ||
    fail "the AppStream description does not validate"
fi
[ -f "$prefix/share/icons/hicolor/scalable/apps/kvelto.svg" ] || fail "no scalable icon"
for size in 16 32 48 64 128 256; do
  [ -f "$prefix/share/icons/hicolor/${size}x${size}/apps/kvelto.png" ] || fail "no ${size}px icon"
done

# Help is the README with its pictures beside it.
[ -f "$prefix/share/doc/kvelto/README.md" ] || fail "no README for help"
grep -o '(docs/[^)]*\.png)' "$prefix/share/doc/kvelto/README.md" | tr -d '()' | while read -r picture; do
  [ -f "$prefix/share/doc/kvelto/$picture" ] || fail "the README's $picture is not installed"
done

# The installed tool reads the installed sample catalog.
rows=$("$prefix/bin/kvelto-catalog" --db "$prefix/share/kvelto/bdv.db" list radio | wc -l)
[ "$rows" -gt 0 ] || fail "the sample catalog has no radio stations"
echo "installed tree OK ($rows sample stations)"
