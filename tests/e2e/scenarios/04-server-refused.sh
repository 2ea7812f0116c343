# A store server that refuses the connection: the start-up says so at once
# (twice, as the connection check and the start-up each report it) and ends.
source "$(dirname "$0")/../lib.sh"
e2e_begin
# Nothing listens on 127.0.0.2.
e2e_write_settings 127.0.0.2
started=$(e2e_now_ms)
e2e_start_station "$E2E_PROGRAM_DIR"
E2E_MAIN=none
e2e_wait_dialog 30 "the box saying the server cannot be reached" >/dev/null
took=$(($(e2e_now_ms) - started))
echo "refused server: message after ${took} ms"
# A refusal needs no waiting: well inside the 7 s that even a silent server gets.
((took < 7000)) || e2e_fail "a refused connection took ${took} ms to report"
e2e_dismiss_until_exit
[ "$E2E_STATUS" = 0 ] || e2e_fail "exit status $E2E_STATUS"
e2e_window_of_size "$E2E_PID" "$E2E_SIZE_REGISTRATION" >/dev/null && e2e_fail "the registration screen came up"
echo "refused server: message, end"
