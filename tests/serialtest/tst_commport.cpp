#include "serialtest/commport.h"
#include "socatpair.h"
#include "util/cp949.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Port n is the link "comN" in a scratch folder; each test joins one port
// to a peer end that plays the device.
class TestCommPort : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<SocatPair> pair_;
    std::unique_ptr<QSerialPort> peer_;

    QString link(const QString& name) const { return dir_->filePath(name); }
    ComPortDevice devices() const {
        const QString base = dir_->path();
        return [base](int n) { return base + QStringLiteral("/com%1").arg(n); };
    }

    // Joins COM<number> to an open peer end.
    bool joinPort(int number) {
        pair_ = std::make_unique<SocatPair>();
        if (!pair_->start(link(QStringLiteral("com%1").arg(number)),
                          link(QStringLiteral("peer")))) {
            qWarning() << pair_->error();
            return false;
        }
        peer_ = std::make_unique<QSerialPort>(pair_->endB());
        return peer_->open(QIODevice::ReadWrite);
    }

    bool openPort(CommPort& port, int number) {
        return port.setCommPort(number) && port.setPortOpen(true);
    }

private Q_SLOTS:
    void initTestCase() { REQUIRE_SOCAT(); }

    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
    }

    void cleanup() {
        peer_.reset();
        pair_.reset();
        dir_.reset();
    }

    void opensTheMappedDeviceWithItsSettings() {
        QVERIFY(joinPort(3));
        CommPort port(devices());
        QVERIFY(!port.portOpen());
        QCOMPARE(port.settings(), QStringLiteral("9600,n,8,1"));
        QVERIFY(port.setSettings(QStringLiteral("19200,n,8,1")));
        QVERIFY2(openPort(port, 3), qPrintable(port.errorDescription()));
        QVERIFY(port.portOpen());
        QCOMPARE(port.device().portName(), link(QStringLiteral("com3")));
        QCOMPARE(port.device().baudRate(), 19200);

        // A valid text is applied to the open port; a bad one is refused
        // and changes nothing.
        QVERIFY(port.setSettings(QStringLiteral("4800,n,8,2")));
        QCOMPARE(port.device().baudRate(), 4800);
        QCOMPARE(port.device().stopBits(), QSerialPort::TwoStop);
        QVERIFY(!port.setSettings(QStringLiteral("4800,q,8,1")));
        QVERIFY(port.errorDescription().contains(QStringLiteral("패리티")));
        QCOMPARE(port.settings(), QStringLiteral("4800,n,8,2"));
        QVERIFY(port.portOpen());

        // The number cannot change under an open port.
        QVERIFY(!port.setCommPort(4));
        QCOMPARE(port.commPort(), 3);
        QVERIFY(!port.setPortOpen(true));
        QVERIFY(port.portOpen());

        QVERIFY(port.setPortOpen(false));
        QVERIFY(!port.portOpen());
        QVERIFY(port.setCommPort(4));
        QVERIFY(!port.setCommPort(0));
        QCOMPARE(port.commPort(), 4);
    }

    void missingBusyOrRefusingDeviceStaysClosed() {
        QVERIFY(joinPort(2));
        CommPort port(devices());

        QVERIFY(!openPort(port, 7));
        QVERIFY(!port.portOpen());
        QVERIFY2(port.errorDescription().contains(QStringLiteral("COM7 포트가 없습니다")),
                 qPrintable(port.errorDescription()));

        {
            QSerialPort other(link(QStringLiteral("com2")));
            QVERIFY(other.open(QIODevice::ReadWrite));
            QVERIFY(!openPort(port, 2));
            QVERIFY(!port.portOpen());
            QVERIFY2(port.errorDescription().contains(QStringLiteral("사용 중")),
                     qPrintable(port.errorDescription()));
        }

        // Pseudo-terminals carry 8 data bits without parity only: a valid
        // text they cannot take leaves the port closed and says why.
        QVERIFY(port.setSettings(QStringLiteral("9600,e,8,1")));
        QVERIFY(!openPort(port, 2));
        QVERIFY(!port.portOpen());
        QVERIFY2(port.errorDescription().contains(QStringLiteral("9600,e,8,1")),
                 qPrintable(port.errorDescription()));

        // And the same device opens once the text is one it takes.
        QVERIFY(port.setSettings(QStringLiteral("9600,n,8,1")));
        QVERIFY2(openPort(port, 2), qPrintable(port.errorDescription()));
    }

    void closedPortRefusesTraffic() {
        CommPort port(devices());
        QVERIFY(!port.output(QStringLiteral("x")));
        QVERIFY(!port.errorDescription().isEmpty());
        QCOMPARE(port.input(), QString());
        QCOMPARE(port.inBufferCount(), 0);
        QVERIFY(!port.setInBufferCount(0));
    }

    void hangulTravelsAsCp949BothWays() {
        QVERIFY(joinPort(1));
        CommPort port(devices());
        QVERIFY(openPort(port, 1));

        const QString sent = QStringLiteral("회원 등록 1번, 가나다 힣\r\n");
        QVERIFY(port.output(sent));
        const QByteArray expected = cp949::encode(sent);
        QCOMPARE(expected.size(), 2 * 9 + 8); // nine syllables, eight ASCII characters
        QCOMPARE(readBytes(*peer_, expected.size()), expected);

        const QString answer = QStringLiteral("확인 OK 똠방각하");
        const QByteArray answerBytes = cp949::encode(answer);
        QVERIFY(writeBytes(*peer_, answerBytes));
        QTRY_COMPARE_WITH_TIMEOUT(port.inBufferCount(), int(answerBytes.size()), 10000);
        QCOMPARE(port.input(), answer);
        QCOMPARE(port.inBufferCount(), 0);
    }

    void characterSplitAcrossArrivalsIsNotBroken() {
        QVERIFY(joinPort(1));
        CommPort port(devices());
        QVERIFY(openPort(port, 1));

        // "A가" arrives as "A" plus the lead byte, the trail byte later.
        QVERIFY(writeBytes(*peer_, QByteArray("A\xB0")));
        QTRY_COMPARE_WITH_TIMEOUT(port.inBufferCount(), 2, 10000);
        QCOMPARE(port.input(), QStringLiteral("A"));
        QCOMPARE(port.inBufferCount(), 1);
        QVERIFY(writeBytes(*peer_, QByteArray("\xA1")));
        QTRY_COMPARE_WITH_TIMEOUT(port.inBufferCount(), 2, 10000);
        QCOMPARE(port.input(), QStringLiteral("가"));

        // Clearing what waits keeps a held-back lead byte: it was taken.
        QVERIFY(writeBytes(*peer_, QByteArray("Z\xB0")));
        QTRY_COMPARE_WITH_TIMEOUT(port.inBufferCount(), 2, 10000);
        QCOMPARE(port.input(), QStringLiteral("Z"));
        QVERIFY(port.setInBufferCount(0));
        QVERIFY(writeBytes(*peer_, QByteArray("\xA1")));
        QTRY_COMPARE_WITH_TIMEOUT(port.inBufferCount(), 2, 10000);
        QCOMPARE(port.input(), QStringLiteral("가"));

        // A length limit takes that many bytes, but not half a character.
        QVERIFY(writeBytes(*peer_, QByteArray("BC\xB0\xA1") + "DE"));
        QTRY_COMPARE_WITH_TIMEOUT(port.inBufferCount(), 6, 10000);
        QVERIFY(port.setInputLen(3));
        QCOMPARE(port.input(), QStringLiteral("BC가"));
        QCOMPARE(port.inBufferCount(), 2);
        QVERIFY(port.setInputLen(0));
        QCOMPARE(port.input(), QStringLiteral("DE"));
        QVERIFY(!port.setInputLen(-1));
    }

    void arrivalRaisesReceiveEvent() {
        QVERIFY(joinPort(1));
        CommPort port(devices());
        QVERIFY(openPort(port, 1));
        QCOMPARE(port.commEvent(), CommPort::NoEvent);

        int events = 0;
        int waitingInEvent = 0;
        connect(&port, &CommPort::onComm, this, [&] {
            ++events;
            QCOMPARE(port.commEvent(), CommPort::Receive);
            waitingInEvent = port.inBufferCount();
        });
        QVERIFY(writeBytes(*peer_, "ping"));
        QTRY_VERIFY_WITH_TIMEOUT(events > 0, 10000);
        QVERIFY(waitingInEvent > 0);

        QTRY_COMPARE_WITH_TIMEOUT(port.inBufferCount(), 4, 10000);
        QVERIFY(!port.setInBufferCount(1));
        QVERIFY(port.setInBufferCount(0));
        QCOMPARE(port.inBufferCount(), 0);
        QCOMPARE(port.input(), QString());
    }

    // A handler that pauses without running the event loop still sees what
    // arrived in the meantime, and bytes collected outside an event get one.
    void bytesArrivingDuringAPauseAreCounted() {
        QVERIFY(joinPort(1));
        CommPort port(devices());
        QVERIFY(openPort(port, 1));
        QSignalSpy events(&port, &CommPort::onComm);

        QVERIFY(writeBytes(*peer_, "late"));
        const QDeadlineTimer deadline(10000);
        while (port.inBufferCount() < 4 && !deadline.hasExpired()) {
            QThread::msleep(10); // no event loop here
        }
        QCOMPARE(port.inBufferCount(), 4);
        QCOMPARE(events.count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(events.count(), 1, 10000);
        QCOMPARE(port.input(), QStringLiteral("late"));
    }

    // Unplugged: closed, said so once, and open again once plugged back.
    void vanishedDeviceClosesThePort() {
        QVERIFY(joinPort(1));
        CommPort port(devices());
        QVERIFY(openPort(port, 1));
        QSignalSpy events(&port, &CommPort::onComm);
        peer_.reset();
        pair_.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!port.portOpen(), 10000);
        QTRY_COMPARE(events.count(), 1);
        QCOMPARE(port.commEvent(), CommPort::Lost);
        QVERIFY2(
            port.errorDescription().startsWith(QStringLiteral("COM1 포트의 장치가 빠졌습니다")),
            qPrintable(port.errorDescription()));
        QVERIFY(joinPort(1));
        QVERIFY(port.setPortOpen(true));
    }

    // Every error an open port can report, as Qt names them: the ones about
    // the call itself leave the port open; everything else, however a
    // driver words an unplugged device, closes it.
    void errorsThatMeanTheDeviceIsGone_data() {
        QTest::addColumn<QSerialPort::SerialPortError>("error");
        QTest::addColumn<bool>("gone");
        QTest::newRow("none") << QSerialPort::NoError << false;
        QTest::newRow("device not found") << QSerialPort::DeviceNotFoundError << true;
        QTest::newRow("permission (access denied)") << QSerialPort::PermissionError << true;
        QTest::newRow("open (already open)") << QSerialPort::OpenError << false;
        QTest::newRow("write") << QSerialPort::WriteError << true;
        QTest::newRow("read") << QSerialPort::ReadError << true;
        QTest::newRow("resource") << QSerialPort::ResourceError << true;
        QTest::newRow("unsupported operation") << QSerialPort::UnsupportedOperationError << false;
        QTest::newRow("unknown (operation aborted)") << QSerialPort::UnknownError << true;
        QTest::newRow("timeout") << QSerialPort::TimeoutError << false;
        QTest::newRow("not open") << QSerialPort::NotOpenError << false;
    }
    void errorsThatMeanTheDeviceIsGone() {
        QFETCH(QSerialPort::SerialPortError, error);
        QFETCH(bool, gone);
        QCOMPARE(SerialDeviceGone(error), gone);
    }
};

QTEST_GUILESS_MAIN(TestCommPort)
#include "tst_commport.moc"
