#include "serialtest/comportdevice.h"

// COM1 is the first UART, /dev/ttyS0.
QString comPortDevice(int portNumber) {
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

QList<int> systemComPortNumbers() {
    return {};
}
