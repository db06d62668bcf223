#!/usr/bin/env bash
# The speed of liqiva batch: one month settled for every activity of every company of the
# benchmark databases (the same ones bench/run.sh makes), on both engines, printed as fills
# per second and as the time that 1,000 companies would take at that pace. Nothing is saved:
# each activity is computed inside a transaction that is rolled back, so the databases are
# left as they were found.
#
# The machine may be shared: besides the elapsed time the script measures the processor time
# of the batch (its processes and, on PostgreSQL, the server's) and projects from it as well,
# which a busy machine moves much less.
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

ticks=$(getconf CLK_TCK)
# Processor seconds of the PostgreSQL server's finished backends (the postmaster reaps them).
server_cpu() {
  local pid
  pid=$(head -n 1 "$pgdata/postmaster.pid")
  awk -v t="$ticks" '{ print ($16 + $17) / t }' "/proc/$pid/stat"
}

printf '%-10s %4s %9s %10s %6s %7s %8s %8s %8s %13s %13s %7s %s\n' \
  engine jobs companies activities done refused seconds cpu-s fills/s "1000 comp. s" "by cpu" target "by cpu within"
for engine in sqlite postgresql; do
  url=$sqlite_url jobs=1 target=10
  [ "$engine" = postgresql ] && url=$pg_url jobs=$pg_jobs target=20
  before=0
  [ "$engine" = postgresql ] && before=$(server_cpu)
  start=$(date +%s.%N)
  TIMEFORMAT='%3U %3S'
  # exit 1 only says that some activity was refused; the summary counts them
  { time "$liqiva" batch --db "$url" --user 1 --vat-year 2024 --period "$period" --yes --json --jobs "$jobs" \
    "${companies[@]}" >"$data/batch-$engine.json" 2>"$data/batch-$engine.err"; } 2>"$data/batch-$engine.time" || true
  end=$(date +%s.%N)
  after=0
  [ "$engine" = postgresql ] && after=$(server_cpu)
  python3 - "$data/batch-$engine.json" "$engine" "$start" "$end" "$jobs" "$target" "$data/batch-$engine.time" \
    "$before" "$after" <<'PY'
import json, sys
root = json.load(open(sys.argv[1]))
summary = root["summary"]
done, refused = summary["fatte"], summary["rifiutate"] + summary["nonRiuscite"]
companies = len({a["IDAzienda"] for a in root["activities"]})
seconds = float(sys.argv[4]) - float(sys.argv[3])
user, system = (float(x) for x in open(sys.argv[7]).read().split()[-2:])
cpu = user + system + float(sys.argv[9]) - float(sys.argv[8])
scale = 1000 / companies if companies else 0
target = float(sys.argv[6])
# the processes of one batch run on at most two cores (SQLite: one process, one core)
projected, by_cpu = seconds * scale, cpu / min(int(sys.argv[5]), 2) * scale
print("%-10s %4s %9d %10d %6d %7d %8.1f %8.1f %8.1f %13.1f %13.1f %7s %s" % (
    sys.argv[2], sys.argv[5], companies, done + refused, done, refused, seconds, cpu,
    done / seconds if seconds else 0, projected, by_cpu, "%d s" % target, "yes" if by_cpu < target else "NO"))
PY
done
echo "1000 comp. s: the elapsed time of 1,000 companies at this pace; by cpu: the same from the processor"
echo "time of the batch (its processes and the server's) spread over the cores its jobs use (at most 2),"
echo "what an otherwise idle machine would take; the target holds for the projection by cpu."
