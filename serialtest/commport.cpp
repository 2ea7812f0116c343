#include "serialtest/commport.h"

#include "util/cp949.h"

#include <QScopedValueRollback>
#include <QSignalBlocker>

#include <utility>

namespace {

// Length of the longest prefix of CP949 bytes that ends on a character
// boundary: 0x81 to 0xFE start a double-byte character.
qsizetype wholeCharacters(const QByteArray& bytes) {
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const qsizetype length = (byte >= 0x81 && byte <= 0xFE) ? 2 : 1;
        if (i + length > bytes.size()) {
            break;
        }
        i += length;
    }
    return i;
}

// A byte that starts no CP949 character travels as a private-use character
// of its own, so that it is shown (as an unknown sign) and sent back as it
// came instead of turning into U+FFFD.
constexpr char16_t kRawByteBase = 0xF700;

QString decodeKeepingBytes(const QByteArray& bytes) {
    bool valid = false;
    QString text = cp949::decode(bytes, &valid);
    if (valid) {
        return text;
    }
    text.clear();
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        bool ok = false;
        QString character;
        qsizetype length = (byte >= 0x81 && byte <= 0xFE && i + 1 < bytes.size()) ? 2 : 1;
        character = cp949::decode(bytes.mid(i, length), &ok);
        if (!ok && length == 2) {
            length = 1; // a lead byte whose trail is no trail stands alone
            character = cp949::decode(bytes.mid(i, 1), &ok);
        }
        text += ok ? character : QString(QChar(char16_t(kRawByteBase + byte)));
        i += length;
    }
    return text;
}

QByteArray encodeKeepingBytes(const QString& text) {
    QByteArray out;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c >= kRawByteBase && c <= kRawByteBase + 0xFF) {
            out += cp949::encode(text.mid(runStart, i - runStart));
            out += char(c - kRawByteBase);
            runStart = i + 1;
        }
    }
    out += cp949::encode(text.mid(runStart));
    return out;
}

} // namespace

bool SerialDeviceGone(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::OpenError:                 // opening an open port
    case QSerialPort::NotOpenError:              // a call on a closed port
    case QSerialPort::UnsupportedOperationError: // a setting the driver refuses
    case QSerialPort::TimeoutError:              // nothing waiting
        return false;
    default:
        return true;
    }
}

CommPort::CommPort(ComPortDevice device, QObject* parent)
    : QObject(parent), device_(std::move(device)), port_(this) {
    connect(&port_, &QSerialPort::readyRead, this, &CommPort::raiseReceive);
    connect(&port_, &QSerialPort::errorOccurred, this, &CommPort::onError);
}

CommPort::~CommPort() {
    // No events from a port that is going away.
    port_.disconnect(this);
}

bool CommPort::fail(const QString& description) {
    errorDescription_ = description;
    return false;
}

bool CommPort::setCommPort(int number) {
    if (port_.isOpen()) {
        return fail(QStringLiteral("포트가 열려 있는 동안에는 포트 번호를 바꿀 수 없습니다."));
    }
    if (number < 1) {
        return fail(
            QStringLiteral("포트 번호 %1은(는) 쓸 수 없습니다. 1 이상이어야 합니다.").arg(number));
    }
    commPort_ = number;
    return true;
}

bool CommPort::setSettings(const QString& text) {
    QString why;
    const auto parsed = parseLineSettings(text, &why);
    if (!parsed) {
        return fail(why);
    }
    if (port_.isOpen() && !apply(*parsed)) {
        const QString refused = port_.errorString();
        apply(lineSettings_);
        return fail(QStringLiteral("COM%1 포트가 통신 설정 \"%2\"을(를) 받아들이지 않습니다: %3")
                        .arg(commPort_)
                        .arg(text, refused));
    }
    settings_ = text;
    lineSettings_ = *parsed;
    return true;
}

bool CommPort::apply(const LineSettings& settings) {
    return port_.setBaudRate(settings.baudRate) && port_.setParity(settings.parity) &&
           port_.setDataBits(settings.dataBits) && port_.setStopBits(settings.stopBits);
}

bool CommPort::setPortOpen(bool open) {
    if (!open) {
        port_.close();
        heldBack_.clear();
        return true;
    }
    if (port_.isOpen()) {
        return fail(QStringLiteral("COM%1 포트가 이미 열려 있습니다.").arg(commPort_));
    }

    const QString device = device_(commPort_);
    port_.setPortName(device);
    // Open on plain settings that every line takes, then apply ours, so that
    // a refused setting is reported as such rather than as a failed open.
    port_.setBaudRate(9600);
    port_.setParity(QSerialPort::NoParity);
    port_.setDataBits(QSerialPort::Data8);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    port_.clearError();
    ++openings_;

    if (!port_.open(QIODevice::ReadWrite)) {
        switch (port_.error()) {
        case QSerialPort::DeviceNotFoundError:
            return fail(QStringLiteral("COM%1 포트가 없습니다 (%2).").arg(commPort_).arg(device));
        case QSerialPort::PermissionError:
            return fail(QStringLiteral("COM%1 포트를 열 수 없습니다. 다른 프로그램이 사용 "
                                       "중이거나 사용할 권한이 없습니다 (%2).")
                            .arg(commPort_)
                            .arg(device));
        default:
            return fail(QStringLiteral("COM%1 포트를 열 수 없습니다 (%2): %3")
                            .arg(commPort_)
                            .arg(device, port_.errorString()));
        }
    }
    if (!apply(lineSettings_)) {
        const QString refused = port_.errorString();
        port_.close();
        return fail(QStringLiteral("COM%1 포트가 통신 설정 \"%2\"을(를) 받아들이지 않습니다: %3")
                        .arg(commPort_)
                        .arg(settings_, refused));
    }
    heldBack_.clear();
    commEvent_ = NoEvent;
    return true;
}

bool CommPort::output(const QString& text) {
    if (!port_.isOpen()) {
        return fail(QStringLiteral("포트가 열려 있지 않아 보낼 수 없습니다."));
    }
    const QByteArray bytes = encodeKeepingBytes(text);
    if (port_.write(bytes) != bytes.size()) {
        return fail(QStringLiteral("COM%1 포트에 쓰지 못했습니다: %2")
                        .arg(commPort_)
                        .arg(port_.errorString()));
    }
    // Hand the bytes to the device now: the caller may block the event loop
    // (the screen pauses after sending), which would otherwise hold them.
    port_.flush();
    return true;
}

bool CommPort::setInputLen(int length) {
    if (length < 0) {
        return fail(QStringLiteral("읽을 길이 %1은(는) 쓸 수 없습니다.").arg(length));
    }
    inputLen_ = length;
    return true;
}

QString CommPort::input() {
    if (!port_.isOpen()) {
        fail(QStringLiteral("포트가 열려 있지 않아 읽을 수 없습니다."));
        return {};
    }
    collectWaiting();
    QByteArray bytes = std::exchange(heldBack_, {});
    const qint64 available = port_.bytesAvailable();
    const qint64 take =
        inputLen_ == 0 ? available : qBound<qint64>(0, inputLen_ - bytes.size(), available);
    bytes += port_.read(take);
    qsizetype whole = wholeCharacters(bytes);
    if (whole < bytes.size() && port_.bytesAvailable() > 0) {
        // Never split a character: take its second byte too.
        bytes += port_.read(1);
        whole = bytes.size();
    }
    heldBack_ = bytes.mid(whole);
    bytes.truncate(whole);
    return decodeKeepingBytes(bytes);
}

int CommPort::inBufferCount() {
    if (!port_.isOpen()) {
        return 0;
    }
    collectWaiting();
    return static_cast<int>(heldBack_.size() + port_.bytesAvailable());
}

bool CommPort::setInBufferCount(int count) {
    if (count != 0) {
        return fail(QStringLiteral("받은 문자 수는 0으로만 지울 수 있습니다."));
    }
    if (!port_.isOpen()) {
        return fail(QStringLiteral("포트가 열려 있지 않습니다."));
    }
    // A lead byte held back has been taken already: its character is
    // completed by the next arrival, not thrown away with what waits.
    port_.clear(QSerialPort::Input);
    return true;
}

void CommPort::collectWaiting() {
    // QSerialPort only takes bytes from the device when the event loop runs;
    // a handler that pauses must still see what arrived meanwhile.
    const qint64 before = port_.bytesAvailable();
    {
        // Taking the bytes in must not report them a second time.
        const QSignalBlocker blocker(&port_);
        while (port_.waitForReadyRead(0)) {
        }
    }
    const QSerialPort::SerialPortError error = port_.error();
    if (error == QSerialPort::TimeoutError) {
        // Nothing more waiting: not a failure.
        port_.clearError();
    } else if (SerialDeviceGone(error)) {
        onError(error);
    }
    if (!inOnComm_ && port_.bytesAvailable() > before) {
        // Collected outside a receive event: their arrival still gets one.
        queueReceive();
    }
}

void CommPort::raiseReceive() {
    if (!port_.isOpen()) {
        return;
    }
    if (inOnComm_) {
        // A handler that runs an event loop sees no nested event; whatever
        // it leaves waiting gets one afterwards.
        raiseAgain_ = true;
        return;
    }
    {
        const QScopedValueRollback<bool> inside(inOnComm_, true);
        commEvent_ = Receive;
        Q_EMIT onComm();
    }
    if (std::exchange(raiseAgain_, false)) {
        queueReceive();
    }
}

void CommPort::queueReceive() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (port_.isOpen() && heldBack_.size() + port_.bytesAvailable() > 0) {
                raiseReceive();
            }
        },
        Qt::QueuedConnection);
}

void CommPort::onError(QSerialPort::SerialPortError error) {
    if (!SerialDeviceGone(error) || !port_.isOpen() || closePending_) {
        return;
    }
    // The device went away (unplugged, or the other end of a pseudo-terminal
    // closed). Left open, its read notifier would fire without end. Close it
    // once control is back in the event loop, not inside the notifier.
    closePending_ = true;
    const QString why = port_.errorString();
    QMetaObject::invokeMethod(
        this,
        [this, opening = openings_, why] {
            closePending_ = false;
            if (opening != openings_) {
                return;
            }
            setPortOpen(false);
            errorDescription_ =
                QStringLiteral("COM%1 포트의 장치가 빠졌습니다 (%2). 포트를 "
                               "닫았습니다. 장치를 다시 꽂고 포트를 다시 고르십시오.")
                    .arg(commPort_)
                    .arg(why);
            commEvent_ = Lost;
            Q_EMIT onComm();
        },
        Qt::QueuedConnection);
}
