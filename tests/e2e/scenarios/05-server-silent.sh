# A store server that accepts the connection and never answers: the whole
# connection attempt gives up within 7 s, then the start-up reports it.
source "$(dirname "$0")/../lib.sh"
e2e_begin
socat -u TCP-LISTEN:"$E2E_PG_PORT",bind=127.0.0.3,reuseaddr,fork OPEN:/dev/null &
listener=$!
e2e_track "$listener"
e2e_wait 10 "the silent listener" bash -c "ss -ltn 'sport = :$E2E_PG_PORT' | grep -q 127.0.0.3"
e2e_write_settings 127.0.0.3
started=$(e2e_now_ms)
e2e_start_station "$E2E_PROGRAM_DIR"
E2E_MAIN=none
e2e_wait_dialog 60 "the box saying the server cannot be reached" >/dev/null
took=$(($(e2e_now_ms) - started))
echo "silent server: message after ${took} ms (limit 7000 ms for the attempt, plus the program's start)"
((took < 9000)) || e2e_fail "a silent server held the start-up for ${took} ms"
e2e_dismiss_until_exit
[ "$E2E_STATUS" = 0 ] || e2e_fail "exit status $E2E_STATUS"
