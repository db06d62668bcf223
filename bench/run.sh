#!/usr/bin/env bash
# Builds liqiva and liqiva-bench, makes the two benchmark databases when they are missing and
# prints the fill figures of both engines.
#
# Usage: bench/run.sh [liqiva-bench options, e.g. --repeat 20 --statements 10]
# Environment: as databases.sh says (LIQIVA_BENCH_BUILD, _DATA, _SCALE, _JOBS).
set -euo pipefail
. "$(dirname "$0")/databases.sh" liqiva-bench
bench=$build/bench/liqiva-bench

"$bench" --db "$sqlite_url" "$@"
echo
"$bench" --db "$pg_url" "$@"
