#pragma once
// Where port number n (COMn) lives on this platform. The one place that
// knows it; a serial port takes the mapping as a value so that tests can
// point it at pseudo-terminals.

#include <QList>
#include <QString>

#include <functional>

using ComPortDevice = std::function<QString(int portNumber)>;

// Linux: /dev/ttyS(n-1). Windows: COMn.
QString comPortDevice(int portNumber);

// The port numbers the system reports, in order: on Windows every COMn it
// lists (USB adapters often get numbers above 12); none on Linux, where
// the numbers map to the fixed /dev/ttyS devices.
QList<int> systemComPortNumbers();
