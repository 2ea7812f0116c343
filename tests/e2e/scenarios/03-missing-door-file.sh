# Without the entry system's door file the station says so and ends.
source "$(dirname "$0")/../lib.sh"
e2e_begin
e2e_write_settings
rm -f "$(e2e_door_file)"
e2e_start_station "$E2E_PROGRAM_DIR"
E2E_MAIN=none
e2e_wait_dialog 30 "the box saying the door file is missing" >/dev/null
e2e_window_of_size "$E2E_PID" "$E2E_SIZE_REGISTRATION" >/dev/null && e2e_fail "the registration screen came up"
e2e_key Escape
e2e_wait_exit 20
[ "$E2E_STATUS" = 0 ] || e2e_fail "exit status $E2E_STATUS"
echo "missing door file: message, end"
