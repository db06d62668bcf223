#!/usr/bin/env bash
# Builds the program, creates the demo database (SQLite) when it is missing and starts the
# program on it through the launcher's hand-over.
# Usage: scripts/start-demo.sh [DATABASE_FILE]   (default: build/demo.db)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$here/build
"$here/scripts/setup.sh" "$build"
db=${1:-$build/demo.db}
if [ ! -f "$db" ]; then
  "$build/src/liqiva" demo --db "sqlite:$db"
else
  # a demo made by an earlier build gets the tables added since (idempotent)
  "$build/src/liqiva" schema --db "sqlite:$db" >/dev/null
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display: starting the program under a virtual X server (xvfb-run)."
  exec xvfb-run -a "$build/src/liqiva" launch --db "sqlite:$db" --wait
fi
exec "$build/src/liqiva" launch --db "sqlite:$db" --wait
