#pragma once
// The line-settings text of a serial port, "9600,n,8,1": baud rate, parity
// letter, data bits and stop bits, comma-separated. We parse it ourselves so
// that a bad text is refused with a description the user can act on, before
// any device is touched.

#include <QSerialPort>
#include <QString>

#include <optional>

struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// Parity n, e, o, m, s (either case); data bits 5 to 8; stop bits 1, 1.5, 2.
// The text is taken as it stands: the caller trims it. On failure returns
// nothing and, when `error` is given, sets it to a description.
std::optional<LineSettings> parseLineSettings(const QString& text, QString* error = nullptr);
