-- The member table on PostgreSQL, for tests and benchmarks: the station's
-- six columns, a unique key on store code and number, and one further
-- column with a default that the station must leave alone.
CREATE TABLE 회원관리 (
    매장코드 varchar(10) NOT NULL,
    회원휴대폰번호 varchar(20) NOT NULL,
    회원명 varchar(50),
    회원주소 varchar(50),
    남여구분 varchar(1),
    회원사진 bytea,
    가입구분 varchar(10) NOT NULL DEFAULT '일반',
    UNIQUE (매장코드, 회원휴대폰번호)
);
