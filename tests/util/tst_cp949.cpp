#include "util/cp949.h"

#include <QTest>

class TestCp949 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void allHangulSyllablesRoundTrip() {
        QString all;
        for (char16_t c = 0xAC00; c <= 0xD7A3; ++c) {
            all += QChar(c);
        }
        QCOMPARE(all.size(), 11172);
        bool lossless = false;
        const QByteArray bytes = cp949::encode(all, &lossless);
        QVERIFY(lossless);
        QCOMPARE(bytes.size(), 2 * 11172);
        bool valid = false;
        QCOMPARE(cp949::decode(bytes, &valid), all);
        QVERIFY(valid);
    }

    void knownBytes() {
        // "가" is B0A1 in code page 949; ASCII passes through.
        QCOMPARE(cp949::encode(QStringLiteral("A가")), QByteArray("A\xB0\xA1"));
        QCOMPARE(cp949::decode(QByteArray("\xC8\xB8\xBF\xF8")), QStringLiteral("회원"));
    }

    void unmappableBecomesQuestionMark() {
        bool lossless = true;
        // An emoji (outside the BMP) and a lone surrogate each become one '?'.
        const QString text = QStringLiteral("a") + QString::fromUtf8("\xF0\x9F\x98\x80") +
                             QChar(0xD800) + QStringLiteral("b");
        QCOMPARE(cp949::encode(text, &lossless), QByteArray("a??b"));
        QVERIFY(!lossless);
        QCOMPARE(cp949::encode(QStringLiteral("?"), &lossless), QByteArray("?"));
        QVERIFY(lossless);
    }

    void unmappableCharacterSpoilsNothingAfterIt() {
        // U+00FF has no CP949 code; the characters after it must survive.
        bool lossless = true;
        QCOMPARE(
            cp949::encode(QString::fromUtf8("\xC3\xBF") + QStringLiteral("ab가 2024"), &lossless),
            QByteArray("?ab\xB0\xA1 2024"));
        QVERIFY(!lossless);
    }

    void controlCharactersPassThrough() {
        // SUB (0x1A) is also ICU's substitution byte; a real one is kept.
        QString controls;
        for (char16_t c = 0; c < 32; ++c) {
            controls += QChar(c);
        }
        bool lossless = false;
        const QByteArray bytes = cp949::encode(controls, &lossless);
        QVERIFY(lossless);
        QCOMPARE(bytes.size(), 32);
        for (int i = 0; i < 32; ++i) {
            QCOMPARE(int(bytes[i]), i);
        }
        QCOMPARE(cp949::decode(bytes), controls);
    }

    void invalidBytesAreReported() {
        bool valid = true;
        cp949::decode(QByteArray("\xB0"), &valid);
        QVERIFY(!valid);
    }
};

QTEST_GUILESS_MAIN(TestCp949)
#include "tst_cp949.moc"
