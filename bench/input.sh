#!/usr/bin/env bash
# The speed of liqiva settle --input reading "otherOperations": the December advance of the
# demo's shop (activity 1, 2024) given 0, 1,000, 10,000 and the list's bound of rows, without
# and with --save, printed as seconds and rows per second (the run with no rows is the
# settlement's own fill, taken off before dividing). Prints figures, never fails on time.
#
# Usage: bench/input.sh [BOUND]     (default: the bound the program takes, 100000)
# Environment: LIQIVA_BENCH_BUILD  build folder (default: build)
#              LIQIVA_INPUT_DB     a database URL made with "liqiva demo" (default: a new
#                                  SQLite demo in a temporary folder)
set -euo pipefail
bound=${1:-100000}
. "$(dirname "$0")/workspace.sh" input
db=${LIQIVA_INPUT_DB:-sqlite:$work/demo.db}
"$liqiva" demo --db "$db" >/dev/null

rows_file() { # N rows of two rates, each with a note
  awk -v n="$1" 'BEGIN { printf "{\"otherOperations\": ["
    for (i = 0; i < n; i++) printf "%s{\"rate\": \"%s\", \"taxable\": %d.25, \"note\": \"consegna %d\"}", (i ? "," : ""), (i % 2 ? "22" : "10"), i % 1000, i
    printf "]}\n" }' >"$work/rows$1.json"
}
run() { # seconds of one settle
  local start end
  start=$(date +%s.%N)
  "$liqiva" settle --db "$db" --user 1 --activity 1 --vat-year 2024 --period 13 --yes \
    --input "$work/rows$1.json" --json $2 >"$work/out.json"
  end=$(date +%s.%N)
  echo "$end - $start" | bc -l
}

printf '%-8s %8s %10s %12s\n' mode rows seconds rows/s
for mode in read save; do
  flag=
  [ "$mode" = save ] && flag=--save
  base=
  for n in 0 1000 10000 "$bound"; do
    [ -f "$work/rows$n.json" ] || rows_file "$n"
    s=$(run "$n" "$flag")
    # a saved advance is deleted again, so that the next run saves the same period anew
    if [ "$mode" = save ]; then
      id=$(python3 -c 'import json, sys; print(json.load(open(sys.argv[1]))["id"])' "$work/out.json")
      "$liqiva" delete --db "$db" --user 1 --id "$id" >/dev/null
    fi
    if [ "$n" = 0 ]; then
      base=$s
      printf '%-8s %8d %10.2f %12s\n' "$mode" 0 "$s" -
    else
      printf '%-8s %8d %10.2f %12.0f\n' "$mode" "$n" "$s" "$(echo "$n / ($s - $base + 0.001)" | bc -l)"
    fi
  done
done
