# The right mouse button's menu ends the program with status 0.
source "$(dirname "$0")/../lib.sh"
e2e_begin
e2e_start_ready
o=($(e2e_window_origin "$E2E_MAIN"))
e2e_click $((o[0] + 500)) $((o[1] + 175)) 3
e2e_wait 10 "the menu" e2e_dialog
e2e_shot exit-menu
e2e_key Down Return
e2e_wait_exit 20
[ "$E2E_STATUS" = 0 ] || e2e_fail "exit status $E2E_STATUS"
echo "exit menu: status 0"
