# Saving a known number asks "덮어 쓸까요?": Enter overwrites, Escape keeps
# the stored member, and so does a question left to time out.
source "$(dirname "$0")/../lib.sh"
e2e_begin
e2e_sql "INSERT INTO 회원관리 (매장코드, 회원휴대폰번호, 회원명, 회원주소, 남여구분)
         VALUES ('$E2E_STORE', '010-5555-6666', '원래이름', 'addr', '여')" >/dev/null
e2e_start_ready

ask() { # name, then how the question is answered
    # After a question the focus is back in the address field.
    [ "$1" = "새이름둘" ] || e2e_key shift+Tab shift+Tab ctrl+a
    e2e_enter_member 55556666 "$1" "addr" -
    e2e_confirm
    local box
    box=$(e2e_wait_dialog 20 "the overwrite question")
    [ -z "${3:-}" ] || e2e_shot "$3" "$box"
    case $2 in
        Return | Escape) e2e_key "$2" ;;
        wait) ;;
    esac
    e2e_wait_no_dialog 30 "the question to close ($2)"
}
ask "새이름둘" Escape yesno
e2e_wait_member 010-5555-6666 "원래이름|addr|여|0|f"
ask "새이름셋" wait
e2e_wait_member 010-5555-6666 "원래이름|addr|여|0|f"
ask "새이름" Return
e2e_wait_member 010-5555-6666 "새이름|addr|여|0|f"
[ "$(e2e_member_count)" = 1 ] || e2e_fail "an overwrite added a row"
echo "overwrite: Escape and time-out keep, Enter overwrites"
