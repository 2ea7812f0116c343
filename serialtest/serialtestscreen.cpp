#include "serialtest/serialtestscreen.h"

#include "components/widgets/composition.h"
#include "components/widgets/mytext.h"
#include "components/widgets/twips.h"
#include "dialogs/messagebox.h"
#include "dialogs/placement.h"
#include "serialtest/commport.h"
#include "serialtest/textbox.h"
#include "util/programwide.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QThread>

namespace {

// Client area and widgets, in twips.
constexpr QSize kClient = twips::size(6555, 4155);
constexpr QRect kLabel = twips::rect(180, 420, 1035, 195);
constexpr QRect kPort = twips::rect(1380, 270, 1995, 435);
constexpr QRect kSettings = twips::rect(3480, 270, 2385, 435);
constexpr QRect kTextBox = twips::rect(480, 930, 5385, 1995);
constexpr QRect kClear = twips::rect(510, 3210, 1035, 555);
constexpr QRect kSend = twips::rect(2655, 3210, 1035, 555);
constexpr QRect kClose = twips::rect(4800, 3210, 1035, 555);

constexpr int kPortCount = 12;
constexpr int kSettleMs = 200; // after closing, and for the rest of an answer
constexpr int kAfterSendMs = 100;

// 굴림체 where the Windows fonts are installed; otherwise the Nanum fonts
// of the same kind (fixed width first).
QFont gulimChe(double points, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("굴림체"), QStringLiteral("GulimChe"),
                      QStringLiteral("NanumGothicCoding"), QStringLiteral("NanumGothic")});
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Spaces only: a tab or another control character is part of the text and
// makes it invalid.
QString withoutOuterSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first] == u' ') {
        ++first;
    }
    while (last > first && text[last - 1] == u' ') {
        --last;
    }
    return text.mid(first, last - first);
}

} // namespace

QString FrmPOS_씨리얼테스트::ruler() {
    return QStringLiteral("1234567890123456789012345678901234567890\r\n").repeated(6);
}

FrmPOS_씨리얼테스트::FrmPOS_씨리얼테스트(SerialTestOptions options)
    : Label_(new QLabel(QStringLiteral("시리얼 포트"), this)), 포트_(new QComboBox(this)),
      파라미터_(new MyText(this)), 입력창_(new TextBox(this)),
      버튼클리어_(new QPushButton(QStringLiteral("클리어"), this)),
      버튼출력_(new QPushButton(QStringLiteral("출 력"), this)),
      버튼종료_(new QPushButton(QStringLiteral("종 료"), this)),
      컴포트_(new CommPort(std::move(options.device), this)), pause_(std::move(options.pause)) {
    setObjectName(QStringLiteral("FrmPOS_씨리얼테스트"));
    setWindowTitle(QStringLiteral("씨리얼 포트 테스트"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kClient);

    Label_->setObjectName(QStringLiteral("Label"));
    Label_->setGeometry(kLabel);
    Label_->setFont(gulimChe(9, false));

    포트_->setObjectName(QStringLiteral("포트"));
    포트_->setGeometry(kPort);
    포트_->setFont(gulimChe(15.75, true));
    for (int n = 1; n <= kPortCount; ++n) {
        포트_->addItem(QStringLiteral("COM%1").arg(n));
    }
    for (const int n : options.systemPorts ? options.systemPorts() : QList<int>()) {
        if (n > kPortCount) {
            포트_->addItem(QStringLiteral("COM%1").arg(n));
        }
    }
    포트_->setCurrentIndex(-1);

    파라미터_->setObjectName(QStringLiteral("파라미터"));
    파라미터_->setGeometry(kSettings);
    파라미터_->setFont(gulimChe(15.75, true));
    파라미터_->setCentered(true);
    파라미터_->setTextType(0);
    파라미터_->setMaxLen(0);
    파라미터_->setText(QStringLiteral("9600,n,8,1"));

    입력창_->setObjectName(QStringLiteral("입력창"));
    입력창_->setGeometry(kTextBox);
    입력창_->setFont(gulimChe(9, false));
    입력창_->setText(ruler());

    const std::pair<QPushButton*, QRect> buttons[] = {
        {버튼클리어_, kClear}, {버튼출력_, kSend}, {버튼종료_, kClose}};
    for (const auto& [button, place] : buttons) {
        button->setGeometry(place);
        button->setFont(gulimChe(9, false));
    }
    버튼클리어_->setObjectName(QStringLiteral("버튼클리어"));
    버튼출력_->setObjectName(QStringLiteral("버튼출력"));
    버튼종료_->setObjectName(QStringLiteral("버튼종료"));

    컴포트_->setObjectName(QStringLiteral("컴포트"));

    composition_ = new Composition(this);
    connect(포트_, &QComboBox::activated, this, [this] { 포트_Click(); });
    connect(버튼출력_, &QPushButton::clicked, this, [this] { 버튼출력_Click(); });
    connect(버튼클리어_, &QPushButton::clicked, this, [this] { 버튼클리어_Click(); });
    connect(버튼종료_, &QPushButton::clicked, this, [this] { 버튼종료_Click(); });
    connect(컴포트_, &CommPort::onComm, this, [this] { 컴포트_OnComm(); });

    Form_Load();
}

void FrmPOS_씨리얼테스트::pause(int milliseconds) {
    if (pause_) {
        pause_(milliseconds);
    } else {
        QThread::msleep(static_cast<unsigned long>(milliseconds));
    }
}

void FrmPOS_씨리얼테스트::Form_Load() {
    // Over the registration screen when there is one; the stand-alone
    // program has none and centres on the screen.
    if (MainScreen) {
        CenterOnForm(MainScreen, this);
    } else {
        PlaceForm(this, QString(), QString());
    }
}

void FrmPOS_씨리얼테스트::포트_Click() {
    composition_->complete();
    // Choosing again (the same port or another) reopens with the settings
    // as they now stand.
    if (컴포트_->portOpen()) {
        컴포트_->setPortOpen(false);
        pause(kSettleMs);
    }
    // "COM3" is port 3, "COM12" port 12.
    const int number = 포트_->currentText().mid(3).toInt();
    const bool opened = 컴포트_->setCommPort(number) &&
                        컴포트_->setSettings(withoutOuterSpaces(파라미터_->text())) &&
                        컴포트_->setPortOpen(true);
    if (!opened) {
        ShowMessage(QStringLiteral("\r\n") + 컴포트_->errorDescription(), 0, true, true);
    }
}

void FrmPOS_씨리얼테스트::버튼출력_Click() {
    composition_->complete();
    // Every write is tried and failures are silent: with no port open this
    // sends nothing and shows nothing.
    컴포트_->output(입력창_->text());
    for (int i = 0; i < 4; ++i) {
        컴포트_->output(QStringLiteral("\r\n"));
    }
    pause(kAfterSendMs);
}

void FrmPOS_씨리얼테스트::컴포트_OnComm() {
    if (컴포트_->commEvent() == CommPort::Lost) {
        ShowMessage(QStringLiteral("\r\n") + 컴포트_->errorDescription(), 0, true, true);
        return;
    }
    if (컴포트_->commEvent() != CommPort::Receive) {
        return;
    }
    pause(kSettleMs);
    컴포트_->setInputLen(0);
    if (컴포트_->inBufferCount() > 0) {
        입력창_->appendText(컴포트_->input());
    } else {
        // Nothing left after the pause: the box ends up empty.
        입력창_->setText(컴포트_->input());
    }
    // Whatever arrived meanwhile is dropped.
    컴포트_->setInBufferCount(0);
}

void FrmPOS_씨리얼테스트::버튼클리어_Click() {
    composition_->complete();
    입력창_->setText(QString());
}

void FrmPOS_씨리얼테스트::버튼종료_Click() {
    close();
}
