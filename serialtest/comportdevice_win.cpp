#include "serialtest/comportdevice.h"

#include <QSerialPortInfo>

#include <algorithm>

// QSerialPort adds the \\.\ prefix that COM10 and above need.
QString comPortDevice(int portNumber) {
    return QStringLiteral("COM%1").arg(portNumber);
}

QList<int> systemComPortNumbers() {
    QList<int> numbers;
    for (const QSerialPortInfo& port : QSerialPortInfo::availablePorts()) {
        const QString name = port.portName();
        bool ok = false;
        const int number = name.mid(3).toInt(&ok);
        if (name.startsWith(QLatin1String("COM"), Qt::CaseInsensitive) && ok && number > 0 &&
            !numbers.contains(number)) {
            numbers << number;
        }
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}
