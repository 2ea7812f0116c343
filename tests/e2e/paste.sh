# A whole mobile number pasted into the number field by one route
# ($E2E_PASTE_ROUTE): digits only, the local part kept, so the member saved
# is 010-1234-5678 (not 010-010-1234-5678 or 01-012-3456).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_begin
e2e_start_ready
e2e_select_text "010-1234-5678"
phone_abs() {
    local o
    o=($(e2e_window_origin "$E2E_MAIN"))
    echo "$((o[0] + 314 + 20)) $((o[1] + 218 + 32))"
}
at=($(phone_abs))
phone=$(awk -v r="$E2E_RECT_PHONE" -v o="$(e2e_window_origin "$E2E_MAIN")" 'BEGIN {
    split(r, a, /[x+]/); split(o, b, " "); printf "%dx%d+%d+%d", a[1], a[2], a[3] + b[1], a[4] + b[2] }')
before=$(e2e_region "$phone")
case $E2E_PASTE_ROUTE in
    ctrl-v) e2e_key ctrl+v ;;
    shift-insert) e2e_key shift+Insert ;;
    context-menu)
        e2e_click "${at[0]}" "${at[1]}" 3
        e2e_wait 10 "the field's context menu" bash -c \
            "[ \$(xdotool search --onlyvisible --pid $E2E_PID --name '' | wc -l) -gt 1 ]"
        e2e_key p
        ;;
    middle-click) e2e_click "${at[0]}" "${at[1]}" 2 ;;
esac
e2e_wait 10 "the pasted number in the field" bash -c '[ "$(import -window root -crop "$1" -depth 8 rgb:- | md5sum | cut -d" " -f1)" != "$2" ]' _ "$phone" "$before"
# The number as pasted, then the rest typed; Tab leaves the field.
e2e_enter_member "" "paste" "addr" M
e2e_confirm
e2e_wait 20 "a member to be saved" bash -c '[ "$(e2e_member_count)" = 1 ]'
got=$(e2e_sql "SELECT 회원휴대폰번호 FROM 회원관리")
[ "$got" = "010-1234-5678" ] || e2e_fail "pasting by $E2E_PASTE_ROUTE saved the number '$got'"
echo "paste by $E2E_PASTE_ROUTE: saved 010-1234-5678"
