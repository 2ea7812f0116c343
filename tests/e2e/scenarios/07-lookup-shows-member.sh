# A registered member looked up: name, address, gender and the stored photo
# appear when the number field is left.
source "$(dirname "$0")/../lib.sh"
e2e_begin
photo=$(mktemp --suffix=.jpg)
e2e_on_exit "rm -f $photo"
convert -size 120x160 gradient:orange-navy "$photo"
e2e_sql "INSERT INTO 회원관리 (매장코드, 회원휴대폰번호, 회원명, 회원주소, 남여구분, 회원사진)
         VALUES ('$E2E_STORE', '010-2222-3333', '이둘', '부산광역시 해운대구 우동 1408', '남',
                 decode('$(base64 -w0 "$photo")', 'base64'))" >/dev/null
e2e_start_ready
e2e_photo_shown && e2e_fail "a photo is shown before any lookup"
before=$(e2e_region "$(awk -v r="$E2E_RECT_NAME" 'BEGIN { print r }')")
e2e_type 22223333
e2e_key Tab
e2e_wait 20 "the stored photo to be shown" e2e_photo_shown
e2e_shot registration-member "$E2E_MAIN"
echo "lookup: member and photo shown"
