#!/usr/bin/env bash
# The speed of liqiva batch: one month settled for every activity of every company of the
# benchmark databases (the same ones bench/run.sh makes), on both engines, printed as fills
# per second and as the time that 1,000 companies would take at that pace. Nothing is saved:
# the working settlements are removed as they are computed, so the databases are left as
# they were found.
#
# Usage: bench/batch.sh [PERIOD]            (default 3: March, the first quarter's month)
# Environment: as databases.sh says (LIQIVA_BENCH_BUILD, _DATA, _SCALE, _JOBS), and
#              LIQIVA_BATCH_COMPANIES  only these companies ("1,2,3")
#              LIQIVA_BATCH_PG_JOBS    processes on PostgreSQL (default 2, one per core)
set -euo pipefail
period=${1:-3}
companies=()
[ -n "${LIQIVA_BATCH_COMPANIES:-}" ] && companies=(--company "$LIQIVA_BATCH_COMPANIES")
pg_jobs=${LIQIVA_BATCH_PG_JOBS:-2}
. "$(dirname "$0")/databases.sh"

printf '%-10s %5s %10s %10s %8s %9s %10s %9s %14s %8s\n' \
  engine jobs companies activities done refused seconds fills/s "1000 comp. s" target
for engine in sqlite postgresql; do
  url=$sqlite_url jobs=1 target=30
  [ "$engine" = postgresql ] && url=$pg_url jobs=$pg_jobs target=60
  start=$(date +%s.%N)
  # exit 1 only says that some activity was refused; the summary counts them
  "$liqiva" batch --db "$url" --user 1 --vat-year 2024 --period "$period" --yes --json --jobs "$jobs" \
    "${companies[@]}" >"$data/batch-$engine.json" 2>"$data/batch-$engine.err" || true
  end=$(date +%s.%N)
  python3 - "$data/batch-$engine.json" "$engine" "$start" "$end" "$jobs" "$target" <<'PY'
import json, sys
root = json.load(open(sys.argv[1]))
summary = root["summary"]
done, refused = summary["fatte"], summary["rifiutate"] + summary["nonRiuscite"]
companies = len({a["IDAzienda"] for a in root["activities"]})
seconds = float(sys.argv[4]) - float(sys.argv[3])
projected = seconds * 1000 / companies if companies else 0
target = float(sys.argv[6])
print("%-10s %5s %10d %10d %8d %9d %10.1f %9.1f %14.1f %8s" % (
    sys.argv[2], sys.argv[5], companies, done + refused, done, refused, seconds,
    done / seconds if seconds else 0, projected, ("< %d ok" if projected < target else "> %d") % target))
PY
done
