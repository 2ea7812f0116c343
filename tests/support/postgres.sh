#!/usr/bin/env bash
# Starts (or stops) a throw-away PostgreSQL 15 server on loopback for the tests.
#   source tests/support/postgres.sh start   -> exports STATION_PG_* and leaves it running
#   tests/support/postgres.sh stop DIR
# The server runs as the system user "postgres" (initdb refuses root) in a
# temporary data folder that "stop" removes.

pg_bin() {
  local d
  for d in /usr/lib/postgresql/*/bin; do
    if [ -x "$d/initdb" ]; then echo "$d"; return 0; fi
  done
  return 1
}

station_pg_start() {
  local bin port dir runas=()
  bin=$(pg_bin) || { echo "postgres.sh: PostgreSQL server binaries not found" >&2; return 1; }
  port=${STATION_PG_PORT:-55432}
  dir=$(mktemp -d /tmp/station-pg.XXXXXX)
  chmod 755 "$dir"
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres:postgres "$dir"
    runas=(runuser -u postgres --)
  fi
  "${runas[@]}" "$bin/initdb" -D "$dir/data" -U station --auth=trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 \
    || { cat "$dir/initdb.log" >&2; rm -rf "$dir"; return 1; }
  "${runas[@]}" "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w \
    -o "-p $port -k $dir -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off" start >/dev/null \
    || { cat "$dir/server.log" >&2; rm -rf "$dir"; return 1; }
  "$bin/psql" -h 127.0.0.1 -p "$port" -U station -d postgres -qc "CREATE DATABASE station_test" >/dev/null
  export STATION_PG_DIR="$dir" STATION_PG_HOST=127.0.0.1 STATION_PG_PORT="$port" \
         STATION_PG_USER=station STATION_PG_PASSWORD="" STATION_PG_DB=station_test
}

station_pg_stop() {
  local dir=${1:-${STATION_PG_DIR:-}} bin runas=()
  [ -n "$dir" ] && [ -d "$dir/data" ] || return 0
  bin=$(pg_bin) || return 0
  if [ "$(id -u)" -eq 0 ]; then runas=(runuser -u postgres --); fi
  "${runas[@]}" "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  rm -rf "$dir"
}

case "${1:-}" in
  start) station_pg_start ;;
  stop) station_pg_stop "${2:-}" ;;
esac
