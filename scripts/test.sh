#!/usr/bin/env bash
# Builds everything and runs the whole test suite, on SQLite and on a throwaway
# PostgreSQL server that the tests start and stop themselves.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
"$here/scripts/setup.sh" "$build"
cd "$build"
ctest --output-on-failure -j 2 --timeout 1500
