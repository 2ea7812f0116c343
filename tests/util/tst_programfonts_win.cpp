// The screens' fonts come from the program's own fonts/ folder on Windows,
// whatever the PC has installed.

#include "util/programfolder.h"
#include "util/programfonts.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

class TestProgramFonts : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theScreensFamiliesAreLoadedFromTheProgramsFiles() {
        QVERIFY(QDir(ProgramFilePath(QStringLiteral("fonts")))
                    .exists(QStringLiteral("LICENSE-fonts-nanum.txt")));
        const QStringList loaded = LoadProgramFonts();
        // Every family a screen names (the registration screen, its art,
        // the settings screen, the message box, the serial screen).
        for (const char* family :
             {"NanumGothic", "NanumBarunGothic", "NanumGothicCoding", "NanumSquare"}) {
            QVERIFY2(loaded.contains(QLatin1String(family)), family);
            QFont font;
            font.setFamilies({QLatin1String(family)});
            QCOMPARE(QFontInfo(font).family(), QLatin1String(family));
        }
    }
};

QTEST_MAIN(TestProgramFonts)
#include "tst_programfonts_win.moc"
