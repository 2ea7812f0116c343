# 사진 삭제 removes the stored photo of the member looked up, at once.
source "$(dirname "$0")/../lib.sh"
e2e_begin
photo=$(mktemp --suffix=.jpg)
e2e_on_exit "rm -f $photo"
convert -size 120x160 gradient:green-white "$photo"
e2e_sql "INSERT INTO 회원관리 (매장코드, 회원휴대폰번호, 회원명, 회원주소, 남여구분, 회원사진)
         VALUES ('$E2E_STORE', '010-7777-8888', 'photo', 'addr', '남',
                 decode('$(base64 -w0 "$photo")', 'base64'))" >/dev/null
e2e_start_ready
e2e_type 77778888
e2e_key Tab
e2e_wait 20 "the stored photo to be shown" e2e_photo_shown
e2e_click_in "$E2E_MAIN" $E2E_AT_DELETE_PHOTO
e2e_wait 20 "the photo to be removed from the row" bash -c '[ "$(e2e_member 010-7777-8888)" = "photo|addr|남|0|f" ]'
e2e_wait 20 "the photo box to be emptied" e2e_no_photo_shown
echo "delete photo: row and screen without photo"
