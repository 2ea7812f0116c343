#pragma once
// A serial port with the members the serial test screen drives: port
// number, line-settings text, open state, output, input with its length,
// the count of waiting characters and a receive event. Text travels in
// code page 949 both ways; a received byte that is no CP949 character reads
// as U+F700 plus the byte, and is written back as that byte.
//
// Members that can fail return false and leave a description in
// errorDescription(); the state they would have changed stays as it was.

#include "serialtest/comportdevice.h"
#include "serialtest/linesettings.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>

// Whether an error of an open port means its device is gone. Adapter
// drivers report an unplugged device in many ways (Windows' drivers as access
// denied or aborted operations, which arrive as permission or unknown
// errors), so every error but those about the call itself counts.
bool SerialDeviceGone(QSerialPort::SerialPortError error);

class CommPort : public QObject {
    Q_OBJECT
public:
    // Why onComm was raised.
    enum Event {
        NoEvent = 0,
        Receive = 2, // characters have been received
        Lost = 3,    // the device went away; the port is closed, errorDescription() says so
    };

    explicit CommPort(ComPortDevice device = comPortDevice, QObject* parent = nullptr);
    ~CommPort() override;

    // Port number n of COMn; may only change while the port is closed.
    int commPort() const { return commPort_; }
    bool setCommPort(int number);

    // "9600,n,8,1". An invalid text is refused; while open, a valid one is
    // applied at once.
    QString settings() const { return settings_; }
    bool setSettings(const QString& text);

    bool portOpen() const { return port_.isOpen(); }
    // true opens the device behind commPort() with settings(): an error when
    // it does not exist, is in use or refuses the settings. false closes.
    bool setPortOpen(bool open);

    // Writes text as CP949 bytes, handing them to the device at once. An
    // error while the port is closed.
    bool output(const QString& text);

    // How many bytes the next input() takes at most; 0 takes everything.
    int inputLen() const { return inputLen_; }
    bool setInputLen(int length);

    // Takes the waiting characters (up to inputLen()) out of the receive
    // buffer as text. A double-byte character whose second byte has not yet
    // arrived stays waiting.
    QString input();

    // Bytes received and not yet taken, including any the device holds
    // that have not been collected yet.
    int inBufferCount();
    // Only 0 is allowed: discards everything waiting except a lead byte
    // that input() held back, whose trail byte is still on its way.
    bool setInBufferCount(int count);

    Event commEvent() const { return commEvent_; }

    QString errorDescription() const { return errorDescription_; }

    // The device as it stands, for inspection.
    const QSerialPort& device() const { return port_; }

Q_SIGNALS:
    // Raised on the user-interface thread as soon as received characters
    // are waiting; commEvent() tells why.
    void onComm();

private:
    bool fail(const QString& description);
    bool apply(const LineSettings& settings);
    void collectWaiting();
    void raiseReceive();
    void queueReceive();
    void onError(QSerialPort::SerialPortError error);

    ComPortDevice device_;
    QSerialPort port_;
    int commPort_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    LineSettings lineSettings_;
    int inputLen_ = 0;
    // A lead byte whose trail byte is still on its way.
    QByteArray heldBack_;
    Event commEvent_ = NoEvent;
    bool inOnComm_ = false;
    bool raiseAgain_ = false;
    // Counts openings, so that a close queued for a vanished device never
    // hits a later opening.
    quint64 openings_ = 0;
    bool closePending_ = false;
    QString errorDescription_;
};
