#include "support/programfolder.h"
#include "util/cp949.h"
#include "util/credential.h"
#include "util/programwide.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestCredential : public QObject {
    Q_OBJECT
    ScratchProgramFolder* dir_ = nullptr;

    // Every log line written so far, in CP949 bytes.
    QByteArray LogBytes() const {
        QByteArray all;
        const QDir logDir(dir_->filePath("ERROR_LOG"));
        for (const QString& name : logDir.entryList(QDir::Files, QDir::Name)) {
            QFile f(logDir.filePath(name));
            if (f.open(QIODevice::ReadOnly)) {
                all += f.readAll();
            }
        }
        return all;
    }

    static QString PrintableAscii() {
        QString all;
        for (char16_t c = 32; c <= 126; ++c) {
            all += QChar(c);
        }
        return all;
    }

private Q_SLOTS:
    void init() {
        dir_ = new ScratchProgramFolder;
        QVERIFY2(dir_->isValid(), qPrintable(dir_->errorString()));
    }
    void cleanup() {
        delete dir_;
        dir_ = nullptr;
    }

    void keyKeepsPrintableAsciiPositiveAndOffLineEnds() {
        QVERIFY(CredentialKey >= 10 && CredentialKey <= 99);
        const QString encoded = EnCoding(PrintableAscii(), CredentialKey);
        QCOMPARE(encoded.size(), 95);
        for (const QChar c : encoded) {
            QVERIFY2(c.unicode() > 0 && c != u'\n' && c != u'\r', qPrintable(encoded));
        }
    }

    void printableAsciiRoundTrips() {
        const QString all = PrintableAscii();
        QCOMPARE(DeCoding(EnCoding(all, CredentialKey), CredentialKey), all);
        // Every key allowed for the file, not only the chosen one.
        for (qint16 key = 10; key <= 18; ++key) {
            QCOMPARE(DeCoding(EnCoding(all, key), key), all);
        }
        QVERIFY(LogBytes().isEmpty());
    }

    void shiftsEachCodeByTheKey() {
        QCOMPARE(EnCoding(QStringLiteral("AZaz09"), 12), QStringLiteral("5NUn$-"));
        // The character the key above the space encodes to a space; those
        // below it to control characters.
        QCOMPARE(EnCoding(QStringLiteral(","), 12), QStringLiteral(" "));
        QCOMPARE(EnCoding(QStringLiteral("& +"), 12), QString::fromLatin1("\x1a\x14\x1f"));
    }

    void hangulShiftsWithinItsDoubleByteCode() {
        // 가 is B0A1, read as -20319; minus 12 is B095, a syllable of the
        // extended table.
        const QString encoded = EnCoding(QStringLiteral("가"), 12);
        QCOMPARE(cp949::encode(encoded), QByteArray("\xB0\x95"));
        QCOMPARE(DeCoding(encoded, 12), QStringLiteral("가"));
    }

    void emptyTextGivesEmptyAndLogsNothing() {
        QCOMPARE(EnCoding(QString(), CredentialKey), QString());
        QCOMPARE(DeCoding(QString(), CredentialKey), QString());
        QVERIFY(!QFileInfo::exists(dir_->filePath("ERROR_LOG")));
    }

    void failuresAreLoggedAndGiveEmpty() {
        // A tab (9) minus 12 is -3: FFFD is no CP949 character.
        QCOMPARE(EnCoding(QStringLiteral("ab\tc"), 12), QString());
        // An emoji has no CP949 code at all.
        QCOMPARE(DeCoding(QString::fromUtf8("a\xF0\x9F\x98\x80"), 12), QString());
        const QList<QByteArray> lines = LogBytes().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines[0].startsWith("EnCoding  3"));
        QVERIFY(lines[1].startsWith("DeCoding  2"));
    }

    void leavingTheSixteenBitRangeFails() {
        QString why;
        QVERIFY(!ShiftCodes(QStringLiteral("가"), -20000, &why));
        QVERIFY(!why.isEmpty());
        QVERIFY(!ShiftCodes(QStringLiteral("~"), 40000));
    }
};

QTEST_GUILESS_MAIN(TestCredential)
#include "tst_credential.moc"
