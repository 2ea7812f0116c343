#pragma once
// Two pseudo-terminals joined by socat, for tests that need a serial line:
// what is written to one end can be read at the other. The pair lives as
// long as the object; the test that made it also ends it.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QStandardPaths>
#include <QString>
#include <QTest>
#include <QThread>

#include <memory>

// Skips the calling test function (or, in initTestCase, the whole test)
// when socat is not installed.
#define REQUIRE_SOCAT()                                                                            \
    do {                                                                                           \
        if (SocatPair::program().isEmpty())                                                        \
            QSKIP("socat not found. Install it (apt-get install socat, or bash scripts/setup.sh) " \
                  "to run the serial-port tests.");                                                \
    } while (false)

class SocatPair {
public:
    static QString program() { return QStandardPaths::findExecutable(QStringLiteral("socat")); }

    SocatPair() = default;
    SocatPair(const SocatPair&) = delete;
    SocatPair& operator=(const SocatPair&) = delete;
    ~SocatPair() { stop(); }

    // Links the two ends at the paths given; false (with the reason in
    // error()) when socat did not come up within a generous time.
    bool start(const QString& endA, const QString& endB) {
        endA_ = endA;
        endB_ = endB;
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(QProcess::MergedChannels);
        process_->start(program(), {QStringLiteral("pty,rawer,link=") + endA,
                                    QStringLiteral("pty,rawer,link=") + endB});
        if (!process_->waitForStarted(10000)) {
            error_ = process_->errorString();
            return false;
        }
        const QDeadlineTimer deadline(10000);
        while (!(QFileInfo::exists(endA) && QFileInfo::exists(endB))) {
            if (deadline.hasExpired() || process_->state() != QProcess::Running) {
                error_ = QStringLiteral("socat did not create %1 and %2: %3")
                             .arg(endA, endB, QString::fromLocal8Bit(process_->readAll()));
                stop();
                return false;
            }
            QThread::msleep(10);
        }
        return true;
    }

    // Ends socat (it removes its links on the way out).
    void stop() {
        if (!process_) {
            return;
        }
        if (process_->state() != QProcess::NotRunning) {
            process_->terminate();
            if (!process_->waitForFinished(5000)) {
                process_->kill();
                process_->waitForFinished(5000);
            }
        }
        process_.reset();
    }

    QString endA() const { return endA_; }
    QString endB() const { return endB_; }
    QString error() const { return error_; }

private:
    std::unique_ptr<QProcess> process_;
    QString endA_;
    QString endB_;
    QString error_;
};

// Reads from a serial end until `count` bytes have come or the time is up.
inline QByteArray readBytes(QSerialPort& port, qsizetype count, int timeoutMs = 10000) {
    QByteArray bytes = port.readAll();
    const QDeadlineTimer deadline(timeoutMs);
    while (bytes.size() < count && !deadline.hasExpired()) {
        if (port.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())))) {
            bytes += port.readAll();
        }
    }
    return bytes;
}

// Writes all of `bytes` to a serial end before returning.
inline bool writeBytes(QSerialPort& port, const QByteArray& bytes) {
    if (port.write(bytes) != bytes.size()) {
        return false;
    }
    while (port.bytesToWrite() > 0) {
        if (!port.waitForBytesWritten(10000)) {
            return false;
        }
    }
    return true;
}
