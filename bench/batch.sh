#!/usr/bin/env bash
# The speed of liqiva batch: one month settled for every activity of every company of the
# benchmark databases (the same ones bench/run.sh makes), on both engines, printed as fills
# per second. Nothing is saved: the working settlements are removed as they are computed, so
# the databases are left as they were found.
#
# Usage: bench/batch.sh [PERIOD]            (default 3: March, the first quarter's month)
# Environment: LIQIVA_BENCH_BUILD, LIQIVA_BENCH_DATA, LIQIVA_BENCH_SCALE, LIQIVA_BENCH_JOBS as
#              for run.sh; LIQIVA_BATCH_COMPANIES  only these companies ("1,2,3")
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${LIQIVA_BENCH_BUILD:-$here/build}
data=${LIQIVA_BENCH_DATA:-$build/bench-data}
scale=${LIQIVA_BENCH_SCALE:-580}
jobs=${LIQIVA_BENCH_JOBS:-2}
period=${1:-3}
companies=()
[ -n "${LIQIVA_BATCH_COMPANIES:-}" ] && companies=(--company "$LIQIVA_BATCH_COMPANIES")

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs" --target liqiva >/dev/null
liqiva=$build/src/liqiva
mkdir -p "$data"
export LIQIVA_SETTINGS_DIR=$data

sqlite_url="sqlite:$data/bench.db"
[ -f "$data/bench.db" ] || echo "Creating the SQLite demo at scale $scale..."
"$liqiva" demo --db "$sqlite_url" --scale "$scale" >/dev/null

pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$pgbin/initdb" ] || { echo "PostgreSQL server programs not found" >&2; exit 1; }
runas=()
owner=$(id -un)
if [ "$(id -u)" -eq 0 ]; then
  owner=postgres
  id -u postgres >/dev/null 2>&1 || owner=nobody
  runas=(runuser -u "$owner" --)
fi
pgdata=$data/pg
socket=$(mktemp -d /tmp/liqiva-batch-XXXXXX)
chown "$owner" "$socket"
if [ ! -f "$pgdata/PG_VERSION" ]; then
  mkdir -p "$pgdata"
  chown "$owner" "$pgdata"
  chmod 700 "$pgdata"
  "${runas[@]}" "$pgbin/initdb" -D "$pgdata" -A trust -U postgres -E UTF8 --locale=C --no-sync >/dev/null
fi
stop_server() {
  "${runas[@]}" "$pgbin/pg_ctl" -D "$pgdata" -m fast -w stop >/dev/null 2>&1 || true
  rm -rf "$socket"
}
trap stop_server EXIT
"${runas[@]}" "$pgbin/pg_ctl" -D "$pgdata" -l "$pgdata/server.log" -w -t 60 \
  -o "-k $socket -c listen_addresses='' -c fsync=off -c full_page_writes=off -c synchronous_commit=off" start >/dev/null
pg_url="postgresql://postgres@localhost/bench_fill?host=$socket"
if ! "$pgbin/psql" -h "$socket" -U postgres -d postgres -Atc "SELECT 1 FROM pg_database WHERE datname = 'bench_fill'" | grep -q 1; then
  echo "Creating the PostgreSQL demo at scale $scale..."
  "$pgbin/createdb" -h "$socket" -U postgres bench_fill
  "$liqiva" demo --db "$pg_url" --scale "$scale" >/dev/null
fi

printf '%-10s %10s %8s %9s %10s %9s\n' engine activities done refused seconds fills/s
for engine in sqlite postgresql; do
  url=$sqlite_url
  [ "$engine" = postgresql ] && url=$pg_url
  start=$(date +%s.%N)
  # exit 1 only says that some activity was refused; the summary counts them
  "$liqiva" batch --db "$url" --user 1 --vat-year 2024 --period "$period" --yes --json "${companies[@]}" \
    >"$data/batch-$engine.json" 2>/dev/null || true
  end=$(date +%s.%N)
  python3 - "$data/batch-$engine.json" "$engine" "$start" "$end" <<'PY'
import json, sys
summary = json.load(open(sys.argv[1]))["summary"]
done, refused = summary["fatte"], summary["rifiutate"] + summary["nonRiuscite"]
seconds = float(sys.argv[4]) - float(sys.argv[3])
print("%-10s %10d %8d %9d %10.1f %9.1f" % (sys.argv[2], done + refused, done, refused, seconds, done / seconds if seconds else 0))
PY
done
