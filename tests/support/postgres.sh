#!/usr/bin/env bash
# The one way the tests start PostgreSQL: a throw-away server on loopback in
# a folder of its own (data in DIR/data, its socket and log in DIR).
#
#   postgres.sh init DIR [--user NAME] [--password P]
#       A new cluster. Superuser NAME (default "station"). Without a password
#       every login is trusted; with one, TCP logins from the loopback network
#       must give their password (scram-sha-256) and the server's own socket
#       stays trusted, for setting up roles and tables.
#   postgres.sh start DIR [--port N] [--address A[,B]]
#       Default port $STATION_PG_PORT (else 55432), address 127.0.0.1.
#   postgres.sh stop DIR [--fast]
#       Immediate by default; --fast tells connected clients the server is
#       going down and keeps what was committed, as an administrator stops it.
#   postgres.sh remove DIR     stops the server and removes DIR.
# Exit status 77: no PostgreSQL server can run here (no binaries, or root
# without the system user "postgres"): a reason to skip, not a failure.
#
# Sourced, it defines station_pg_start / station_pg_stop for the test command:
#   source tests/support/postgres.sh start   -> exports STATION_PG_* (a trusted
#                                               server with database station_test)
#   station_pg_stop                          -> stops and removes it
# The server runs as the system user "postgres" when started by root (initdb
# and postgres refuse root).

station_pg_bin() {
  local d
  for d in /usr/lib/postgresql/*/bin; do
    if [ -x "$d/initdb" ]; then echo "$d"; return 0; fi
  done
  return 1
}

# Runs a server program as the owner of the data folder.
station_pg_as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

station_pg_usable() {
  station_pg_bin >/dev/null || { echo "postgres.sh: PostgreSQL server binaries not found under /usr/lib/postgresql/*/bin" >&2; return 77; }
  if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
    echo "postgres.sh: running as root, but there is no system user \"postgres\" to run the server" >&2
    return 77
  fi
}

station_pg_init() {
  local dir=$1 user=station password="" bin auth
  shift
  while [ $# -gt 0 ]; do
    case "$1" in
      --user) user=$2; shift 2 ;;
      --password) password=$2; shift 2 ;;
      *) echo "postgres.sh init: unknown option $1" >&2; return 2 ;;
    esac
  done
  station_pg_usable || return
  bin=$(station_pg_bin)
  # Only the server's owner (and root) reach its socket, trusted or not.
  mkdir -p "$dir" && chmod 700 "$dir" || return 1
  [ "$(id -u)" -ne 0 ] || chown postgres: "$dir" || return 1
  local initdb=("$bin/initdb" -D "$dir/data" -U "$user" -E UTF8 --locale=C.UTF-8)
  if [ -z "$password" ]; then
    auth=trust
    initdb+=(--auth=trust)
  else
    auth=scram-sha-256
    (umask 077 && printf '%s\n' "$password" >"$dir/pw") || return 1
    [ "$(id -u)" -ne 0 ] || chown postgres: "$dir/pw" || return 1
    initdb+=(--pwfile="$dir/pw" --auth-local=trust --auth-host=scram-sha-256)
  fi
  station_pg_as_owner "${initdb[@]}" >"$dir/initdb.log" 2>&1
  local status=$?
  rm -f "$dir/pw"
  [ $status -eq 0 ] || { cat "$dir/initdb.log" >&2; return 1; }
  # Every loopback address, not only 127.0.0.1: a server may listen on another.
  station_pg_as_owner sh -c "echo 'host all all 127.0.0.0/8 $auth' >>'$dir/data/pg_hba.conf'"
}

station_pg_start_in() {
  local dir=$1 port=${STATION_PG_PORT:-55432} address=127.0.0.1
  shift
  while [ $# -gt 0 ]; do
    case "$1" in
      --port) port=$2; shift 2 ;;
      --address) address=$2; shift 2 ;;
      *) echo "postgres.sh start: unknown option $1" >&2; return 2 ;;
    esac
  done
  station_pg_usable || return
  station_pg_as_owner "$(station_pg_bin)/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 120 \
    -o "-p $port -k $dir -c listen_addresses=$address -c fsync=off" start >/dev/null \
    || { cat "$dir/server.log" >&2; return 1; }
}

station_pg_stop_in() {
  local dir=$1 mode=immediate bin
  [ "${2:-}" != --fast ] || mode=fast
  [ -f "$dir/data/postmaster.pid" ] || return 0
  bin=$(station_pg_bin) || return 0
  station_pg_as_owner "$bin/pg_ctl" -D "$dir/data" -m "$mode" -w -t 120 stop >/dev/null
}

station_pg_remove() {
  [ -n "$1" ] && [ -d "$1" ] || return 0
  station_pg_stop_in "$1" || true
  rm -rf "$1"
}

# The shared server of the test command, in a temporary folder.
station_pg_start() {
  local dir
  dir=$(mktemp -d /tmp/station-pg.XXXXXX)
  if ! { station_pg_init "$dir" && station_pg_start_in "$dir" --port "${STATION_PG_PORT:-55432}"; }; then
    station_pg_remove "$dir"
    return 1
  fi
  "$(station_pg_bin)/psql" -h 127.0.0.1 -p "${STATION_PG_PORT:-55432}" -U station -d postgres \
    -qc "CREATE DATABASE station_test" >/dev/null
  export STATION_PG_DIR="$dir" STATION_PG_HOST=127.0.0.1 STATION_PG_PORT="${STATION_PG_PORT:-55432}" \
         STATION_PG_USER=station STATION_PG_PASSWORD="" STATION_PG_DB=station_test
}

station_pg_stop() { station_pg_remove "${1:-${STATION_PG_DIR:-}}"; }

if [ "${BASH_SOURCE[0]}" != "$0" ]; then
  # Sourced: "start" starts the shared server, anything else only defines.
  [ "${1:-}" != start ] || station_pg_start
else
  command=${1:-}
  [ $# -ge 2 ] || { echo "usage: postgres.sh init|start|stop|remove DIR [options]" >&2; exit 2; }
  shift
  case "$command" in
    init) station_pg_init "$@" ;;
    start) station_pg_start_in "$@" ;;
    stop) station_pg_stop_in "$@" ;;
    remove) station_pg_remove "$1" ;;
    *) echo "usage: postgres.sh init|start|stop|remove DIR [options]" >&2; exit 2 ;;
  esac
fi
