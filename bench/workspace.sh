# Sourced by the benchmark scripts that work on a database of their own: builds liqiva, makes
# a temporary folder (removed when the script ends) that also holds the settings, and sets
# here, build, liqiva and work.
#
# Usage, from a script of this folder:  . "$(dirname "$0")/workspace.sh" NAME
# Environment: LIQIVA_BENCH_BUILD  build folder (default: build)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${LIQIVA_BENCH_BUILD:-$here/build}
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j 2 --target liqiva >/dev/null
liqiva=$build/src/liqiva
work=$(mktemp -d "/tmp/liqiva-$1-XXXXXX")
trap 'rm -rf "$work"' EXIT
export LIQIVA_SETTINGS_DIR=$work
