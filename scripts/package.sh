#!/usr/bin/env bash
# Builds the program and its Debian package; prints the package's path.
# Usage: scripts/package.sh [BUILD_DIR]      (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
"$here/scripts/setup.sh" "$build"
"$here/scripts/install-packages.sh" dpkg-dev
cd "$build"
cpack -G DEB >/dev/null
ls -1 "$build"/liquidazione-iva_*.deb | tail -1
