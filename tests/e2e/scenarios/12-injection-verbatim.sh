# Texts that would break a statement built by concatenation are stored as
# typed, and the table is still there.
source "$(dirname "$0")/../lib.sh"
e2e_begin
name="'); DROP TABLE 회원관리;--"
address="\"O'Brien\" \\ 100% _x_ ; -- /*"
e2e_start_ready
e2e_enter_member 98765432 "$name" "$address" F
e2e_confirm
e2e_wait 20 "the member to be saved" bash -c '[ "$(e2e_member_count)" = 1 ]'
got=$(e2e_sql "SELECT 회원명 || E'\\n' || 회원주소 FROM 회원관리 WHERE 회원휴대폰번호 = '010-9876-5432'")
[ "$got" = "$name"$'\n'"$address" ] || e2e_fail "stored other than typed: $got"
echo "injection texts stored verbatim"
