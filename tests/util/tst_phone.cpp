#include "util/phone.h"

#include <QTest>

class TestPhone : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formats_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("no digits") << "abc-- 회원"
                                   << "";
        QTest::newRow("1 digit") << "7"
                                 << "7";
        QTest::newRow("6 digits") << "123456"
                                  << "123456";
        QTest::newRow("7 digits") << "1234567"
                                  << "123-4567";
        QTest::newRow("8 digits") << "12345678"
                                  << "1234-5678";
        QTest::newRow("9 digits, 02") << "021234567"
                                      << "02-123-4567";
        QTest::newRow("9 digits, other start") << "123456789"
                                               << "12-345-6789";
        QTest::newRow("10 digits, 02") << "0212345678"
                                       << "02-1234-5678";
        QTest::newRow("10 digits, 020") << "0201234567"
                                        << "02-0123-4567";
        QTest::newRow("10 digits, 031") << "0311234567"
                                        << "031-123-4567";
        QTest::newRow("11 digits") << "01012345678"
                                   << "010-1234-5678";
        QTest::newRow("punctuation dropped") << "(010) 1234 5678"
                                             << "010-1234-5678";
        QTest::newRow("12 digits") << "010123456789"
                                   << "010123456789";
        QTest::newRow("12 digits with dashes") << "0101-2345-6789"
                                               << "010123456789";
        // Full-width and Arabic-Indic digits are not digits here.
        QTest::newRow("other digits") << QString::fromUtf8("１２３４５６７８٣") << "";
        QTest::newRow("mixed digits") << QString::fromUtf8("1234１5678") << "1234-5678";
    }
    void formats() {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(FormatPhoneNumber(input), expected);
    }

    void formattedNumbersComeBackUnchanged() {
        // The registration screen reformats the field after every key.
        for (const char* n :
             {"1234567", "12345678", "021234567", "0212345678", "0311234567", "01012345678"}) {
            const QString once = FormatPhoneNumber(QString::fromLatin1(n));
            QCOMPARE(FormatPhoneNumber(once), once);
        }
    }

    void overlongInputGivesEmpty() {
        QCOMPARE(FormatPhoneNumber(QString(32766, u'x') + "1234"), QString());
        QCOMPARE(FormatPhoneNumber(QString(32762, u'x') + "1234"), QStringLiteral("1234"));
    }
};

QTEST_GUILESS_MAIN(TestPhone)
#include "tst_phone.moc"
