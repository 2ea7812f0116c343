# Long texts pasted into 성명 (middle click of the primary selection) and 주소
# (Ctrl+V) are held to the columns' 50 characters.
source "$(dirname "$0")/../lib.sh"
e2e_begin
e2e_start_ready
long=$(printf 'abcdefghij%.0s' 1 2 3 4 5 6)
e2e_type 12340000
e2e_key Tab
e2e_select_text "$long"
o=($(e2e_window_origin "$E2E_MAIN"))
before=$(e2e_region "461x65+$((o[0] + 210))+$((o[1] + 288))")
e2e_click $((o[0] + 440)) $((o[1] + 320)) 2
e2e_wait 10 "the pasted name" bash -c '[ "$(import -window root -crop "$1" -depth 8 rgb:- | md5sum | cut -d" " -f1)" != "$2" ]' _ "461x65+$((o[0] + 210))+$((o[1] + 288))" "$before"
e2e_key Tab ctrl+v
e2e_click_and_wait "$E2E_MAIN" $E2E_AT_MALE "$E2E_RECT_GENDER"
e2e_confirm
e2e_wait 20 "the member to be saved" bash -c '[ "$(e2e_member_count)" = 1 ]'
row=$(e2e_member 010-1234-0000)
[ "$row" = "${long:0:50}|${long:0:50}|남|0|f" ] || e2e_fail "pasted texts not held to 50 characters: $row"
echo "pasted texts held to 50 characters"
