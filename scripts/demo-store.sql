-- The demo store's member table in SQLite: the six columns the station
-- uses, one member per store code and number, and one column of the store's
-- own that the station never writes (it keeps its default).
CREATE TABLE IF NOT EXISTS 회원관리 (
    매장코드 varchar(4) NOT NULL,
    회원휴대폰번호 varchar(20) NOT NULL,
    회원명 nvarchar(50),
    회원주소 nvarchar(50),
    남여구분 nvarchar(1),
    회원사진 BLOB,
    등록일시 TEXT NOT NULL DEFAULT (datetime('now', 'localtime')),
    UNIQUE (매장코드, 회원휴대폰번호)
);
