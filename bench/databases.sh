# Sourced by the benchmark scripts: builds the targets they name, makes the two benchmark
# databases when they are missing (a SQLite file and a PostgreSQL database on a server of its
# own, started here and stopped when the script ends) and sets sqlite_url and pg_url.
#
# Usage, from a script of this folder:  . "$(dirname "$0")/databases.sh" TARGET...
# Environment: LIQIVA_BENCH_BUILD  build folder             (default: build)
#              LIQIVA_BENCH_DATA   where the databases live (default: BUILD/bench-data)
#              LIQIVA_BENCH_SCALE  demo companies           (default: 580, about 1,004,000 counter rows)
#              LIQIVA_BENCH_JOBS   parallel compile jobs    (default: 2)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${LIQIVA_BENCH_BUILD:-$here/build}
data=${LIQIVA_BENCH_DATA:-$build/bench-data}
scale=${LIQIVA_BENCH_SCALE:-580}
jobs=${LIQIVA_BENCH_JOBS:-2}

"$here/scripts/install-packages.sh" cmake g++ make qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libgl-dev \
  libgtest-dev libxml2-dev postgresql

cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$jobs" --target liqiva "$@" >/dev/null
liqiva=$build/src/liqiva
mkdir -p "$data"
export LIQIVA_SETTINGS_DIR=$data

# SQLite: "liqiva demo" creates the demo when the file is missing and changes nothing when
# the demo is there.
sqlite_url="sqlite:$data/bench.db"
[ -f "$data/bench.db" ] || echo "Creating the SQLite demo at scale $scale (a few tens of seconds)..."
"$liqiva" demo --db "$sqlite_url" --scale "$scale" >/dev/null

# PostgreSQL: a server of our own on a private socket, its data kept in $data/pg.
pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[ -x "$pgbin/initdb" ] || { echo "PostgreSQL server programs not found" >&2; exit 1; }
runas=()
owner=$(id -un)
if [ "$(id -u)" -eq 0 ]; then # the server refuses to run as root
  owner=postgres
  id -u postgres >/dev/null 2>&1 || owner=nobody
  runas=(runuser -u "$owner" --)
fi
pgdata=$data/pg
socket=$(mktemp -d /tmp/liqiva-bench-XXXXXX)
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
if ! "${runas[@]}" "$pgbin/pg_ctl" -D "$pgdata" -l "$pgdata/server.log" -w -t 60 \
  -o "-k $socket -c listen_addresses='' -c fsync=off -c full_page_writes=off -c synchronous_commit=off" start >/dev/null; then
  tail -n 20 "$pgdata/server.log" >&2 || true
  exit 1
fi
pg_url="postgresql://postgres@localhost/bench_fill?host=$socket"
if ! "$pgbin/psql" -h "$socket" -U postgres -d postgres -Atc "SELECT 1 FROM pg_database WHERE datname = 'bench_fill'" | grep -q 1; then
  echo "Creating the PostgreSQL demo at scale $scale (about a minute)..."
  "$pgbin/createdb" -h "$socket" -U postgres bench_fill
  if ! "$liqiva" demo --db "$pg_url" --scale "$scale" >/dev/null; then
    "$pgbin/dropdb" -h "$socket" -U postgres bench_fill || true
    exit 1
  fi
fi
# The benchmarks write and remove working settlements run after run, and this server lives
# only while they run, too briefly for its autovacuum: the tables they write are vacuumed
# here, as a server that stays up keeps them.
"$pgbin/psql" -h "$socket" -U postgres -d bench_fill -q -c "VACUUM ANALYZE RisultatoLiquidazioneIva, \
RisultatoLiquidazioneIvaXTipo, RigaReportLiquidazioneIva, CampoReportLiquidazioneIva, AltreOperazioniPerAcconto, \
RisultatoLiquidazioneIvaArt34" >/dev/null
