#pragma once
// The serial-port test screen: pick a COM port and its line settings, send
// the text of the box followed by four line breaks, and see what the device
// sends back appended to the same box. A diagnostic that stands alone: no
// other screen opens it.

#include "serialtest/comportdevice.h"

#include <QWidget>

#include <functional>

class CommPort;
class Composition;
class MyText;
class QComboBox;
class QLabel;
class QPushButton;
class TextBox;

// What the screen takes from outside, replaceable in tests.
struct SerialTestOptions {
    // Where COMn lives.
    ComPortDevice device = comPortDevice;
    // The port numbers the system reports; those above COM12 are offered
    // after the fixed twelve.
    std::function<QList<int>()> systemPorts = systemComPortNumbers;
    // The screen's pauses; empty blocks the thread for that long, which is
    // the point: the device gets time to answer, the line time to settle.
    std::function<void(int milliseconds)> pause;
};

// Deletes itself when closed (the port goes with it).
class FrmPOS_씨리얼테스트 : public QWidget {
public:
    explicit FrmPOS_씨리얼테스트(SerialTestOptions options = {});

    // The default text of the box: a 40-column ruler, six lines.
    static QString ruler();

private:
    void Form_Load();
    void 포트_Click();
    void 버튼출력_Click();
    void 컴포트_OnComm();
    void 버튼클리어_Click();
    void 버튼종료_Click();
    void pause(int milliseconds);

    QLabel* Label_;
    QComboBox* 포트_;
    MyText* 파라미터_;
    TextBox* 입력창_;
    QPushButton* 버튼클리어_;
    QPushButton* 버튼출력_;
    QPushButton* 버튼종료_;
    CommPort* 컴포트_;
    std::function<void(int)> pause_;
    Composition* composition_ = nullptr;
};
