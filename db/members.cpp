#include "db/members.h"

#include "db/storedb.h"
#include "util/programwide.h"

QString MemberPhone(const QString& localPart, const QString& prefix) {
    return prefix + localPart;
}

QString MemberLocalPart(const QString& storedNumber) {
    return storedNumber.mid(MemberPhonePrefix.size());
}

void OpenMemberLookup(OdbcRecordset& set, const QString& storeCode, const QString& storedNumber) {
    SqlText = MemberLookupSql;
    set.open(StoreDb, SqlText, {storeCode, storedNumber}, OdbcRecordset::Mode::ReadOnly);
}

void OpenMemberForSave(OdbcRecordset& set, const QString& storeCode, const QString& storedNumber) {
    SqlText = MemberDuplicateSql;
    // Store code and number identify a member: the overwrite changes the
    // row with the values it was read with, and no other store's row.
    set.open(StoreDb, SqlText, {storeCode, storedNumber}, OdbcRecordset::Mode::Updatable,
             {MemberCol::StoreCode, MemberCol::Phone});
}

MemberEntry ReadMember(OdbcRecordset& set) {
    MemberEntry entry;
    entry.storeCode = set.field(MemberCol::StoreCode).text();
    entry.phone = set.field(MemberCol::Phone).text();
    entry.name = set.field(MemberCol::Name).text();
    entry.address = set.field(MemberCol::Address).text();
    entry.gender = set.field(MemberCol::Gender).text();
    return entry;
}

void WriteMember(OdbcRecordset& set, const MemberEntry& entry) {
    set.field(MemberCol::StoreCode).setText(entry.storeCode);
    set.field(MemberCol::Phone).setText(entry.phone);
    set.field(MemberCol::Name).setText(entry.name);
    set.field(MemberCol::Gender).setText(entry.gender);
    set.field(MemberCol::Address).setText(entry.address);
}

qint64 RemoveMemberPhoto(const QString& storeCode, const QString& storedNumber) {
    SqlText = MemberPhotoRemovalSql;
    return StoreDb.execute(SqlText, {QByteArray(""), storeCode, storedNumber});
}
