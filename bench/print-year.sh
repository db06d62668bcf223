#!/usr/bin/env bash
# Prints the whole 2024 of the demo's shop (twelve monthly settlements and the year's
# summary) to PDF with `liqiva print`, and shows the time per page.
#
# Usage: bench/print-year.sh [BUILD_DIR]        (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
liqiva=$build/src/liqiva
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=sqlite:$work/demo.db
"$liqiva" demo --db "$db" >/dev/null
keys=()
for month in $(seq 1 12); do
  keys+=("$("$liqiva" settle --db "$db" --user 1 --activity 1 --vat-year 2024 --period "$month" --save --yes --json \
    | sed -n 's/^    "id": \([0-9]*\),$/\1/p' | head -1)")
done
pages=0
start=$(date +%s.%N)
for key in "${keys[@]}"; do
  said=$("$liqiva" print --db "$db" --user 1 --id "$key" --out "$work/$key.pdf" 2>/dev/null)
  pages=$((pages + $(echo "$said" | sed -n 's/.*: \([0-9]*\) pagine.*/\1/p')))
done
said=$("$liqiva" print --db "$db" --user 1 --id "${keys[0]}" --report summary --out "$work/summary.pdf" 2>/dev/null)
pages=$((pages + $(echo "$said" | sed -n 's/.*: \([0-9]*\) pagine.*/\1/p')))
end=$(date +%s.%N)
awk -v s="$start" -v e="$end" -v p="$pages" \
  'BEGIN { printf "13 prints, %d pages in %.2f s: %.3f s per page (each print a process of its own)\n", p, e - s, (e - s) / p }'
