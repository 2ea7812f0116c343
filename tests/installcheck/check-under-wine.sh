#!/bin/bash
# station-check.exe under Wine against a PostgreSQL of its own that checks
# passwords, reached through Wine's odbc32 with "SQL Server" as psqlODBC:
# a working station exits 0, a wrong password 4 with the login line, and
# without Qt's multimedia backend beside it the check still reports, with
# a warning line for the camera. The report redirected to a file is CP949.
#
#   check-under-wine.sh STATION_CHECK_EXE RUNTIME_FOLDER PSQLODBC_DRIVER STATION_SETTINGS_EXE
# WINEPREFIX comes from the test's environment (the build's prefix).
set -u
here=$(cd "$(dirname "$0")" && pwd)
check=$1 runtime=$2 driver=$3 settings_tool=$4

work=$(mktemp -d /tmp/station-check-wine.XXXXXX)
chmod 755 "$work"
export STATION_PG_PORT=$((20000 + $$ % 20000))
# shellcheck source=../support/postgres.sh
source "$here/../support/postgres.sh"
tidy() {
    station_pg_stop
    rm -rf "$work"
}
trap tidy EXIT
station_pg_start || exit 1

fail() { echo "FAIL: $*" >&2; exit 1; }
psql_admin() { psql -h 127.0.0.1 -p "$STATION_PG_PORT" -U station -d station_test -qAt "$@"; }

# A store login whose password the server checks, as a store server does.
grep -v '^--' "$here/../../db/sql/회원관리_postgresql.sql" | psql_admin -v ON_ERROR_STOP=1 >/dev/null &&
    psql_admin -c "CREATE ROLE clerk LOGIN PASSWORD 'clerk-pw'" \
        -c "GRANT SELECT, INSERT, UPDATE ON 회원관리 TO clerk" || fail "cannot prepare the server"
hba=$STATION_PG_DIR/data/pg_hba.conf
station_pg_as_owner sh -c "printf 'host all clerk 127.0.0.1/32 scram-sha-256\n' | cat - '$hba' > '$hba.new' && mv '$hba.new' '$hba'" \
    || fail "cannot make the server check passwords"
psql_admin -c "SELECT pg_reload_conf()" >/dev/null

mkdir -p "$work/odbc" "$work/program" "$work/elsewhere"
printf '[SQL Server]\nDriver = %s\n' "$driver" > "$work/odbc/odbcinst.ini"
: > "$work/odbc/odbc.ini"
cp -al "$runtime/." "$work/program/" 2>/dev/null || cp -a "$runtime/." "$work/program/" || exit 1
cp "$check" "$work/program/station-check.exe" || exit 1
: > "$work/program/출입문설정.CFG"

# The settings file as the settings screen writes it (tools/station-settings).
settings() {
    wine "$settings_tool" "$(winepath -w "$work/program/환경설정.CFG")" 0001 127.0.0.1 "$STATION_PG_PORT" \
        MS-SQL station_test "$1" "$2" 01 123-45-67890 </dev/null >"$work/settings.txt" 2>&1 \
        || fail "cannot write the settings file: $(cat "$work/settings.txt")"
}

# psqlODBC reaches the port of PGPORT (it reads no port from SERVER=).
run() {
    (cd "$work/elsewhere" && ODBCSYSINI=$work/odbc PGPORT=$STATION_PG_PORT \
        timeout 180 wine "$work/program/station-check.exe" > "$work/out.txt" 2> "$work/err.txt")
    status=$?
    text=$(iconv -f CP949 -t UTF-8 < "$work/out.txt" | tr -d '\r') || fail "the report is not CP949: $(od -c "$work/out.txt" | head)"
}
line() { grep -F -- "$1" <<< "$text" | head -1; }

settings clerk clerk-pw
run
[ "$status" -eq 0 ] || fail "working station: exit $status, expected 0; report:"$'\n'"$text"$'\n'"$(cat "$work/err.txt")"
[[ $(line "서버 로그인") == OK* ]] || fail "no login line: $text"
[[ $(line "덮어쓰기 (UPDATE)") == OK* ]] || fail "no overwrite line: $text"
[[ $text != *"?"* ]] || fail "a character did not survive code page 949: $text"
echo "working station: exit 0"; line "서버 로그인"

settings clerk wrong-pw
run
[ "$status" -eq 4 ] || fail "wrong password: exit $status, expected 4; report:"$'\n'"$text"
login=$(line "서버 로그인")
[[ $login == 실패* && $login == *password* ]] || fail "the login line does not say why: $login"
echo "wrong password: exit 4"; echo "$login"

# Through the Windows driver manager too, each value reaches the server
# whole or is refused before any attempt: a password holding "; { =" logs
# in; one holding "};" (FreeTDS would read a DumpFile key after it) is
# refused with the field and the character, and no file appears.
psql_admin -c "ALTER ROLE clerk PASSWORD 'c;{l=erk-pw'" || fail "cannot change the password"
for row in "c;{l=erk-pw:0:OK" "x};DumpFile=$work/dump;:1:U+007D"; do
    settings clerk "${row%%:*}"
    run
    expected=${row#*:}
    [ "$status" -eq "${expected%%:*}" ] || fail "password ${row%%:*}: exit $status; report:"$'\n'"$text"
    grep -qF -- "${expected#*:}" <<< "$text" || fail "password ${row%%:*}: no ${expected#*:}: $text"
    [ ! -e "$work/dump" ] || fail "password ${row%%:*}: the driver wrote a file"
    echo "password ${row%%:*}: exit $status"
done
psql_admin -c "ALTER ROLE clerk PASSWORD 'clerk-pw'" || fail "cannot change the password back"

# Without Qt's multimedia backend beside it: still a report, a warning line.
rm -rf "$work/program/multimedia"
settings clerk clerk-pw
run
[ "$status" -eq 0 ] || fail "without the camera backend: exit $status, expected 0: $text"
[[ $(line "카메라") == 경고*"Qt 멀티미디어 플러그인"* ]] || fail "no camera backend warning: $text"
echo "without the camera backend: exit 0"; line "카메라"
