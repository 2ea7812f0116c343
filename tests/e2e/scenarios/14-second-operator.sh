# The settings file one operator wrote through the settings screen serves
# the next operator account of the group: readable by the group, no one else.
source "$(dirname "$0")/../lib.sh"
e2e_begin
rm -f "$(e2e_settings_file)"
e2e_start_station "$E2E_PROGRAM_DIR"
win=$(e2e_wait_window "$E2E_PID" "$E2E_SIZE_SETTINGS" 30 "the settings screen")
for value in 0001 "$E2E_PG_HOST" "$E2E_PG_PORT" MS-SQL "$E2E_DB" "$E2E_LOGIN" "$E2E_PASSWORD" 01 ""; do
    e2e_key ctrl+a
    [ -z "$value" ] || e2e_type "$value"
    e2e_key Tab
done
e2e_click_in "$win" 166 344
# The settings screen stays under the box.
E2E_MAIN=$win
e2e_wait_dialog 20 "the box saying the settings are saved" >/dev/null
e2e_key Escape
e2e_wait_registration
kill "$E2E_PID"
e2e_wait_exit 20 || true

file=$(e2e_settings_file)
mode=$(stat -c '%a %G' "$file")
[ "$mode" = "640 member-station" ] || e2e_fail "settings file is '$mode', not readable by the operator group alone"
e2e_start_station "$E2E_PROGRAM_DIR" "$E2E_OPERATOR2"
e2e_wait_registration
echo "second operator starts with the first one's settings"
