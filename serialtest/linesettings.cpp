#include "serialtest/linesettings.h"

#include <limits>

namespace {

bool isAsciiDigits(const QString& text) {
    if (text.isEmpty()) {
        return false;
    }
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') {
            return false;
        }
    }
    return true;
}

std::optional<qint32> parseBaudRate(const QString& item) {
    if (!isAsciiDigits(item)) {
        return std::nullopt;
    }
    bool ok = false;
    const qlonglong value = item.toLongLong(&ok);
    if (!ok || value < 1 || value > std::numeric_limits<qint32>::max()) {
        return std::nullopt;
    }
    return static_cast<qint32>(value);
}

std::optional<QSerialPort::Parity> parseParity(const QString& item) {
    const QString letter = item.toLower();
    if (letter == u"n") {
        return QSerialPort::NoParity;
    }
    if (letter == u"e") {
        return QSerialPort::EvenParity;
    }
    if (letter == u"o") {
        return QSerialPort::OddParity;
    }
    if (letter == u"m") {
        return QSerialPort::MarkParity;
    }
    if (letter == u"s") {
        return QSerialPort::SpaceParity;
    }
    return std::nullopt;
}

std::optional<QSerialPort::DataBits> parseDataBits(const QString& item) {
    if (item == u"5") {
        return QSerialPort::Data5;
    }
    if (item == u"6") {
        return QSerialPort::Data6;
    }
    if (item == u"7") {
        return QSerialPort::Data7;
    }
    if (item == u"8") {
        return QSerialPort::Data8;
    }
    return std::nullopt;
}

std::optional<QSerialPort::StopBits> parseStopBits(const QString& item) {
    if (item == u"1") {
        return QSerialPort::OneStop;
    }
    if (item == u"1.5") {
        return QSerialPort::OneAndHalfStop;
    }
    if (item == u"2") {
        return QSerialPort::TwoStop;
    }
    return std::nullopt;
}

} // namespace

std::optional<LineSettings> parseLineSettings(const QString& text, QString* error) {
    const auto fail = [&](const QString& why) -> std::optional<LineSettings> {
        if (error) {
            *error = QStringLiteral("통신 설정 \"%1\"이(가) 잘못되었습니다. %2").arg(text, why);
        }
        return std::nullopt;
    };

    const QStringList items = text.split(u',');
    if (items.size() != 4) {
        return fail(QStringLiteral("속도, 패리티, 데이터 비트, 정지 비트의 네 항목을 쉼표로 "
                                   "나누어 적어야 합니다 (예: 9600,n,8,1)."));
    }

    LineSettings settings;
    if (const auto baud = parseBaudRate(items[0])) {
        settings.baudRate = *baud;
    } else {
        return fail(QStringLiteral("속도 \"%1\"은(는) 1 이상의 정수여야 합니다.").arg(items[0]));
    }
    if (const auto parity = parseParity(items[1])) {
        settings.parity = *parity;
    } else {
        return fail(
            QStringLiteral("패리티 \"%1\"은(는) n, e, o, m, s 중 하나여야 합니다.").arg(items[1]));
    }
    if (const auto bits = parseDataBits(items[2])) {
        settings.dataBits = *bits;
    } else {
        return fail(QStringLiteral("데이터 비트 \"%1\"은(는) 5, 6, 7, 8 중 하나여야 합니다.")
                        .arg(items[2]));
    }
    if (const auto stop = parseStopBits(items[3])) {
        settings.stopBits = *stop;
    } else {
        return fail(
            QStringLiteral("정지 비트 \"%1\"은(는) 1, 1.5, 2 중 하나여야 합니다.").arg(items[3]));
    }
    if (error) {
        error->clear();
    }
    return settings;
}
