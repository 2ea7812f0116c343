#include "util/programfonts.h"

#include "util/programfolder.h"

#include <QDir>
#include <QFontDatabase>

QStringList LoadProgramFonts() {
    // Registered for this process only, under the family names the screens
    // ask for; nothing is installed on the PC.
    const QDir folder(ProgramFilePath(QStringLiteral("fonts")));
    QStringList families;
    const QStringList files = folder.entryList({QStringLiteral("*.ttf"), QStringLiteral("*.otf")},
                                               QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const int id = QFontDatabase::addApplicationFont(folder.filePath(file));
        for (const QString& family : QFontDatabase::applicationFontFamilies(id)) {
            if (!families.contains(family)) {
                families << family;
            }
        }
    }
    return families;
}
