#include "serialtest/comportdevice.h"

// QSerialPort adds the \\.\ prefix that COM10 and above need.
QString comPortDevice(int portNumber) {
    return QStringLiteral("COM%1").arg(portNumber);
}
