#!/usr/bin/env bash
# Runs the station on an embedded demo store: installs what is needed, builds
# the release preset, prepares the program folder demo/ of the checkout and
# starts the registration screen from it. It may be run from any folder; the
# station stays in the folder it was started from, and finds its files
# (settings, photos, error log) in demo/ all the same.
#
# demo/ holds the program, 환경설정.CFG, 출입문설정.CFG and the SQLite
# database demo-store.db with the member table 회원관리; photos wait in
# demo/회원사진 until the member is saved. The driver name "SQL Server" that
# the station connects through is registered for this run only (ODBCSYSINI
# points at demo/odbcinst.ini) as the SQLite ODBC driver. Running it again
# keeps the members registered before.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

bash "$root/scripts/setup.sh"
(
  cd "$root"
  cmake --preset release >/dev/null
  cmake --build --preset release -j "$(nproc)" --target member-station station-settings
)

demo=$root/demo
mkdir -p "$demo"
# A copy, not a link: the program folder is the folder of the program file.
install -m 755 "$root/build/release/app/member-station" "$demo/member-station"

driver=$(find /usr/lib /usr/local/lib -name libsqlite3odbc.so 2>/dev/null | head -n 1)
if [ -z "$driver" ]; then
  echo "run-demo.sh: the SQLite ODBC driver (libsqliteodbc) is not installed" >&2
  exit 1
fi
cat >"$demo/odbcinst.ini" <<INI
[SQL Server]
Description = SQLite standing in for the store server (demo)
Driver = $driver
INI
: >"$demo/odbc.ini"

db=$demo/demo-store.db
if [ -z "$(sqlite3 "$db" "SELECT name FROM sqlite_master WHERE name = '회원관리'")" ]; then
  sqlite3 "$db" <"$root/db/sql/회원관리_sqlite.sql"
fi

# The settings as the settings screen writes them. SQLite ignores the
# login; the database name is the database file.
"$root/build/release/tools/station-settings" "$demo/환경설정.CFG" 0001 127.0.0.1 1433 SQLite "$db" demo demo
# Only its presence is required.
touch "$demo/출입문설정.CFG"

members=$(sqlite3 "$db" "SELECT count(*) FROM 회원관리")
echo "Demo store: $db ($members members). Starting the station from $demo"
export ODBCSYSINI=$demo LC_ALL=C.UTF-8
exec "$demo/member-station"
