# The demo store's setup: the SQLite ODBC driver registered as "SQL Server"
# for the run, the database file as the settings' database name. A member
# registered with a camera photo lands in the file.
source "$(dirname "$0")/../lib.sh"
e2e_begin
driver=$(find /usr/lib /usr/local/lib -name libsqlite3odbc.so 2>/dev/null | head -n 1)
[ -n "$driver" ] || { echo "e2e: skipped (no SQLite ODBC driver)"; exit "$E2E_SKIP"; }
odbc=$E2E_STATE/odbc-sqlite
mkdir -p "$odbc"
printf '[SQL Server]\nDescription = SQLite standing in for the store server\nDriver = %s\n' "$driver" >"$odbc/odbcinst.ini"
: >"$odbc/odbc.ini"
chmod -R a+rX "$odbc"
E2E_ODBCSYSINI=$odbc
db=$E2E_PROGRAM_DIR/demo-store.db
rm -f "$db"
e2e_on_exit "rm -f $db"
sqlite3 "$db" <"$E2E_SOURCE/db/sql/회원관리_sqlite.sql"
chown "$E2E_OPERATOR:member-station" "$db"
chmod 660 "$db"
e2e_write_settings 127.0.0.1 1433 SQLite "$db"
e2e_start_ready
e2e_enter_member 24681357 "demo" "demo address" F
e2e_take_photo
e2e_wait 20 "the photo on the registration screen" e2e_photo_shown
e2e_confirm
member() {
    sqlite3 "$db" "SELECT 회원명, 회원주소, 남여구분, length(회원사진), hex(substr(회원사진, 1, 3))
                   FROM 회원관리 WHERE 회원휴대폰번호 = '010-2468-1357'"
}
e2e_wait 20 "the member in the SQLite file" bash -c "[ -n \"\$(sqlite3 '$db' 'SELECT 1 FROM 회원관리')\" ]"
row=$(member)
echo "row: $row"
IFS='|' read -r name address gender size magic <<<"$row"
[ "$name|$address|$gender" = "demo|demo address|여" ] || e2e_fail "stored: $row"
[ "$magic" = FFD8FF ] && ((size > 1000)) || e2e_fail "no JPEG photo stored: $row"
[ -z "$(e2e_photo_files)" ] || e2e_fail "photo files left behind: $(e2e_photo_files)"
echo "demo store: member with photo in the SQLite file"
