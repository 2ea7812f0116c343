#include "photo/imagefield.h"

#include "util/safefile.h"

#include <exception>
#include <stdexcept>

void LoadFileIntoField(const QString& path, OdbcField field) {
    QString why;
    bool missing = false;
    const std::optional<QByteArray> content =
        ReadSharedFile(path, MaxSharedFileBytes, &why, &missing);
    if (!content) {
        if (missing) {
            return;
        }
        throw std::runtime_error(why.toStdString());
    }
    field.setBytes(*content);
}

void SaveFieldToFile(const QString& path, const OdbcField& field) {
    try {
        if (field.isNull()) {
            return;
        }
        // Written beside the target and renamed over it, so that a failed
        // write leaves an older file whole and a shorter photo leaves no
        // tail of a longer one.
        ReplaceSharedFile(path, field.bytes(), GroupAccess::Read);
    } catch (const std::exception&) {
        // Silent by design: nothing written.
    }
}
