-- The member table on a store's SQL Server, for installers. The station
-- never creates or alters it; it reads and writes these six columns only,
-- so a table with further columns (with defaults) works as well.
-- Run with: sqlcmd -S <server> -d <database> -f 65001 -i 회원관리_sqlserver.sql
CREATE TABLE dbo.회원관리 (
    매장코드 varchar(10) NOT NULL,
    회원휴대폰번호 varchar(20) NOT NULL,
    회원명 nvarchar(50) NULL,
    회원주소 nvarchar(50) NULL,
    남여구분 nvarchar(1) NULL,
    회원사진 image NULL,
    CONSTRAINT UQ_회원관리_매장코드_회원휴대폰번호 UNIQUE (매장코드, 회원휴대폰번호)
);
