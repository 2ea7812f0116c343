#pragma once
// The member table 회원관리 as the registration screen uses it: its column
// names, the stored form of a member's number, the statement texts and the
// operations built on them. Every statement runs on StoreDb (see
// db/storedb.h for opening it), records its text in SqlText, and binds every
// value: a number holding quotes or SQL matches nothing and changes nothing.
// Every failure throws OdbcError (description() is what to show and log).
//
// Lookup (the screen's lookup routine):
//   OdbcRecordset set;
//   OpenMemberLookup(set, StationConfig.StoreCode, MemberPhone(fieldText));
//   if (!set.isEof()) {
//       const MemberEntry m = ReadMember(set);       // null columns read as ""
//       ... show m ...; if (set.field(MemberCol::Photo).size() != 0)
//           SaveFieldToFile(path, set.field(MemberCol::Photo));   // photo/imagefield.h
//   }
//
// Save (steps: duplicate check, new row or overwrite, photo, write):
//   OdbcRecordset set;
//   OpenMemberForSave(set, StationConfig.StoreCode, stored);
//   if (set.isEof()) set.addNew(); else if (AskYesNo(...) != "예") return;
//   WriteMember(set, {StationConfig.StoreCode, stored, name, gender, address});
//   LoadFileIntoField(capturedPhoto, set.field(MemberCol::Photo));
//   ... delete the captured file ...
//   set.update();                 // nothing reaches the table before this
//
// Photo removal:
//   if (RemoveMemberPhoto(StationConfig.StoreCode, MemberPhone(fieldText)) > 0) ...

#include "components/odbc/odbc.h"

#include <QString>

namespace MemberCol {
inline const QString StoreCode = QStringLiteral("매장코드");
inline const QString Phone = QStringLiteral("회원휴대폰번호");
inline const QString Name = QStringLiteral("회원명");
inline const QString Address = QStringLiteral("회원주소");
inline const QString Gender = QStringLiteral("남여구분");
inline const QString Photo = QStringLiteral("회원사진");
} // namespace MemberCol

// The prefix of every stored number (the caption of the screen's prefix
// label and the literal of the lookup and photo statements).
inline const QString MemberPhonePrefix = QStringLiteral("010-");

// The stored number: prefix + the dashed local part ("010-" + "1234-5678").
QString MemberPhone(const QString& localPart, const QString& prefix = MemberPhonePrefix);
// The local part of a stored number: everything from its fifth character on
// (empty for a shorter text).
QString MemberLocalPart(const QString& storedNumber);

// Statement texts, with '?' where the values go (store code, then number).
inline const QString MemberLookupSql =
    QStringLiteral("Select * From 회원관리 Where 매장코드 = ? and 회원휴대폰번호 = ?");
inline const QString MemberDuplicateSql =
    QStringLiteral("Select * From 회원관리  Where 매장코드 = ? and 회원휴대폰번호 = ?");
// The empty photo is a bound zero-length binary value (first '?'): SQL
// Server converts a '' literal to an image column but not to varbinary(max).
inline const QString MemberPhotoRemovalSql =
    QStringLiteral("Update 회원관리 set 회원사진 = ? Where 매장코드 = ? and 회원휴대폰번호 = ? ");

// The five text columns of a member, in the order the save writes them.
struct MemberEntry {
    QString storeCode;
    QString phone; // stored form, "010-1234-5678"
    QString name;
    QString gender;
    QString address;
};

// Opens the read-only lookup set on StoreDb, positioned on the first
// matching row (end of set when the store has no such number).
void OpenMemberLookup(OdbcRecordset& set, const QString& storeCode, const QString& storedNumber);

// Opens the duplicate check as an updatable set on StoreDb: end of set for a
// new member (then addNew()), else positioned on the member's row. update()
// changes only that store's row with that number.
void OpenMemberForSave(OdbcRecordset& set, const QString& storeCode, const QString& storedNumber);

// Reads the five text columns of the current row; null reads as "".
MemberEntry ReadMember(OdbcRecordset& set);

// Sets the five text columns of the current row in the save's order (store
// code, number, name, gender, address). Empty texts are written as empty
// strings, never as null. Other columns are not touched.
void WriteMember(OdbcRecordset& set, const MemberEntry& entry);

// Empties the stored photo (a zero-length value, not null) of the store's
// member with that number on StoreDb as it is, without opening it. Returns
// the rows changed: 1 for a stored member, 0 for an unknown number.
qint64 RemoveMemberPhoto(const QString& storeCode, const QString& storedNumber);
