#!/usr/bin/env bash
# Installs what the build needs (Debian packages), then configures and builds.
# Usage: scripts/setup.sh [BUILD_DIR]      (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}

"$here/scripts/install-packages.sh" cmake g++ make qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libgl-dev \
  libgtest-dev qt6-translations-l10n postgresql ccache xvfb xauth \
  poppler-utils libxlsxwriter-dev libsqlite3-dev fonts-dejavu-core pkg-config unzip libxml2-dev libzip-dev dpkg-dev libsodium-dev libssl-dev

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)"
