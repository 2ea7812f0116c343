# A second copy started by the same operator (from another folder) says the
# station is running and ends; the first stays.
source "$(dirname "$0")/../lib.sh"
e2e_begin
e2e_start_ready
first=$E2E_PID
first_main=$E2E_MAIN
e2e_start_station "$(e2e_elsewhere)"
E2E_MAIN=none
e2e_wait_dialog 30 "the second copy's message" >/dev/null
e2e_dismiss_until_exit
[ "$E2E_STATUS" = 0 ] || e2e_fail "the second copy ended with status $E2E_STATUS"
e2e_window_of_size "$first" "$E2E_SIZE_REGISTRATION" >/dev/null || e2e_fail "the first copy's screen went away"
echo "second copy refused, first kept"
