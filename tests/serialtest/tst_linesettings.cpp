#include "serialtest/linesettings.h"

#include <QTest>

class TestLineSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void accepted_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint32>("baud");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        QTest::newRow("default") << "9600,n,8,1" << 9600 << int(QSerialPort::NoParity) << 8
                                 << int(QSerialPort::OneStop);
        QTest::newRow("even 7 2") << "19200,e,7,2" << 19200 << int(QSerialPort::EvenParity) << 7
                                  << int(QSerialPort::TwoStop);
        QTest::newRow("odd 5 1.5") << "110,o,5,1.5" << 110 << int(QSerialPort::OddParity) << 5
                                   << int(QSerialPort::OneAndHalfStop);
        QTest::newRow("mark capital") << "115200,M,6,1" << 115200 << int(QSerialPort::MarkParity)
                                      << 6 << int(QSerialPort::OneStop);
        QTest::newRow("space") << "4800,s,8,2" << 4800 << int(QSerialPort::SpaceParity) << 8
                               << int(QSerialPort::TwoStop);
        QTest::newRow("largest baud")
            << "2147483647,N,8,1" << 2147483647 << int(QSerialPort::NoParity) << 8
            << int(QSerialPort::OneStop);
    }
    void accepted() {
        QFETCH(QString, text);
        QString error = QStringLiteral("stale");
        const auto settings = parseLineSettings(text, &error);
        QVERIFY(settings.has_value());
        QVERIFY(error.isEmpty());
        QTEST(settings->baudRate, "baud");
        QTEST(int(settings->parity), "parity");
        QTEST(int(settings->dataBits), "dataBits");
        QTEST(int(settings->stopBits), "stopBits");
    }

    // Each refusal names the text and the item at fault.
    void refused_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("empty") << ""
                               << "네 항목";
        QTest::newRow("three items") << "9600,n,8"
                                     << "네 항목";
        QTest::newRow("five items") << "9600,n,8,1,1"
                                    << "네 항목";
        QTest::newRow("spaces around") << " 9600,n,8,1"
                                       << "속도";
        QTest::newRow("space inside") << "9600, n,8,1"
                                      << "패리티";
        QTest::newRow("zero baud") << "0,n,8,1"
                                   << "속도";
        QTest::newRow("signed baud") << "+9600,n,8,1"
                                     << "속도";
        QTest::newRow("baud too large") << "2147483648,n,8,1"
                                        << "속도";
        QTest::newRow("baud letters") << "fast,n,8,1"
                                      << "속도";
        QTest::newRow("parity x") << "9600,x,8,1"
                                  << "패리티";
        QTest::newRow("parity word") << "9600,none,8,1"
                                     << "패리티";
        QTest::newRow("four data bits") << "9600,n,4,1"
                                        << "데이터 비트";
        QTest::newRow("nine data bits") << "9600,n,9,1"
                                        << "데이터 비트";
        QTest::newRow("stop 0") << "9600,n,8,0"
                                << "정지 비트";
        QTest::newRow("stop 1.0") << "9600,n,8,1.0"
                                  << "정지 비트";
        QTest::newRow("stop 3") << "9600,n,8,3"
                                << "정지 비트";
    }
    void refused() {
        QFETCH(QString, text);
        QFETCH(QString, mentions);
        QString error;
        QVERIFY(!parseLineSettings(text, &error).has_value());
        QVERIFY2(error.contains(mentions), qPrintable(error));
        QVERIFY2(error.contains(u'"' + text + u'"'), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestLineSettings)
#include "tst_linesettings.moc"
