#!/usr/bin/env bash
# The package test: makes the Debian package of a finished build, unpacks it into a
# temporary folder (no installation) and runs the command from there.
# Usage: scripts/check-package.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$build"
cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/liquidazione-iva_*.deb)
dpkg-deb -x "$deb" "$work/root"
deps=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6core6 libqt6sql6-sqlite libxml2; do
  case "$deps" in *"$lib"*) ;; *) echo "the package does not depend on $lib: $deps"; exit 1 ;; esac
done
for f in usr/bin/liqiva usr/bin/liquidazione-iva usr/share/applications/liquidazione-iva.desktop \
         usr/share/man/man1/liqiva.1 usr/share/icons/hicolor/scalable/apps/liquidazione-iva.svg; do
  [ -e "$work/root/$f" ] || { echo "missing from the package: $f"; exit 1; }
done
"$work/root/usr/bin/liqiva" --help >"$work/help.txt"
grep -q "liqiva COMANDO" "$work/help.txt" || { echo "liqiva --help printed:"; cat "$work/help.txt"; exit 1; }
"$work/root/usr/bin/liqiva" demo --db "sqlite:$work/demo.db" >/dev/null
"$work/root/usr/bin/liqiva" list --db "sqlite:$work/demo.db" --user 1 --company 1 >/dev/null
echo "package $(basename "$deb"): unpacked and run"
