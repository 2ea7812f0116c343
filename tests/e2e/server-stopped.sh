# The store server stops between the lookup and the save: the save says so,
# the station ends, and the photo file stays for another try. A failed
# connection is told on screen only; the error log is not written for it.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin
e2e_on_exit "e2e_pg_running || e2e_pg_start"
e2e_start_ready
e2e_enter_member 33334444 "stopped" "addr" F
e2e_take_photo
e2e_wait 20 "the photo on the registration screen" e2e_photo_shown
e2e_pg_stop
e2e_confirm
e2e_wait_dialog 30 "the box saying the save failed" >/dev/null
e2e_shot save-failed
e2e_dismiss_until_exit
echo "exit status after the failed save: $E2E_STATUS"
e2e_pg_start
e2e_wait 20 "the store server back" e2e_pg_running
[ "$(e2e_member_count)" = 0 ] || e2e_fail "a row was written"
[ -f "$E2E_PROGRAM_DIR/회원사진/010-3333-4444.JPG" ] || e2e_fail "the photo file is gone: $(e2e_photo_files)"
echo "server stopped before the save: message, end, photo kept"
