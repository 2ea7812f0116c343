#include "photo/imagefield.h"

#include <QFile>
#include <QSaveFile>

#include <exception>

void LoadFileIntoField(const QString& path, OdbcField field) {
    try {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            return;
        }
        QByteArray content = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            return;
        }
        field.setBytes(content);
    } catch (const std::exception&) {
        // Silent by design: the field keeps its value.
    }
}

void SaveFieldToFile(const QString& path, const OdbcField& field) {
    try {
        if (field.isNull()) {
            return;
        }
        const QByteArray content = field.bytes();
        // Written beside the target and renamed over it on commit, so that a
        // failed write leaves an older file whole and a shorter photo leaves
        // no tail of a longer one.
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return;
        }
        if (file.write(content) != content.size()) {
            file.cancelWriting();
            return;
        }
        file.commit();
    } catch (const std::exception&) {
        // Silent by design: nothing written.
    }
}
