#include "config/settingsscreen.h"

#include "components/widgets/composition.h"
#include "components/widgets/mylabel.h"
#include "components/widgets/mytext.h"
#include "components/widgets/twips.h"
#include "config/settingsfile.h"
#include "db/storedb.h"
#include "dialogs/messagebox.h"
#include "dialogs/placement.h"
#include "util/errorlog.h"
#include "util/programwide.h"

#include <QKeyEvent>
#include <QPushButton>

#include <exception>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

void notify(const QString& text) {
    ShowMessage(kCrLf + text, 0, true, true);
}

} // namespace

FrmPOS_초기설정::FrmPOS_초기설정(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FrmPOS_초기설정"));
    setWindowTitle(QStringLiteral("환경설정"));
    setFixedSize(twips::size(6810, 5760));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    QFont f = font();
    f.setFamilies({QStringLiteral("NanumGothic"), QStringLiteral("NanumBarunGothic")});
    f.setPixelSize(13);
    setFont(f);

    // The fields from top to bottom, which is also their tab order. Label
    // captions and design texts as designed; positions in twips.
    struct Field {
        MyText*& widget;
        const char16_t* name;
        const char16_t* caption;
        const char16_t* designText;
        int textType;
        int maxLen;
        bool centred;
        int left, top, width, height;
    };
    const Field fields[] = {
        {m_매장코드, u"매장코드", u"매장코드", u"0001", 7, 4, true, 3450, 270, 1095, 405},
        {m_서버IP, u"서버IP", u"서버 IP 주소", u"192.168.0.100", 0, 0, true, 3450, 750, 1785, 405},
        {m_서버포트, u"서버포트", u"서버 IP 포트", u"1433", 7, 4, true, 3450, 1260, 1785, 405},
        {m_DB종류, u"DB종류", u"서버 DB 종류", u"MS-SQL", 0, 0, false, 3450, 1740, 1785, 405},
        {m_DB명, u"DB명", u"서버 DB 이름", u"QTR", 0, 0, false, 3450, 2250, 1785, 405},
        {m_접속아이디, u"접속아이디", u"서버 접속 아이디", u"", 0, 0, false, 3450, 2760, 1785, 405},
        {m_접속비번, u"접속비번", u"서버 접속 비번", u"", 0, 0, false, 3450, 3270, 1785, 405},
        {m_POS번호, u"POS번호", u"POS 번호", u"", 7, 0, true, 3450, 3720, 795, 405},
        {m_사업자번호, u"사업자번호", u"사업자 번호", u"", 1, 12, false, 3450, 4200, 1785, 405},
    };
    constexpr int kLabelLeft = 450;
    constexpr int kLabelGap = 150;
    int index = 0;
    QWidget* previous = nullptr;
    for (const Field& field : fields) {
        auto* label = new MyLabel(this);
        // The labels form one group, as they were designed.
        label->setObjectName(QStringLiteral("타이틀"));
        label->setProperty("index", index++);
        label->setCaption(QString::fromUtf16(field.caption));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setGeometry(
            twips::rect(kLabelLeft, field.top, field.left - kLabelGap - kLabelLeft, field.height));

        auto* text = new MyText(this);
        text->setObjectName(QString::fromUtf16(field.name));
        text->setTextType(field.textType);
        text->setMaxLen(field.maxLen);
        text->setCentered(field.centred);
        text->setText(QString::fromUtf16(field.designText));
        text->setGeometry(twips::rect(field.left, field.top, field.width, field.height));
        field.widget = text;
        if (previous != nullptr) {
            setTabOrder(previous, text);
        }
        previous = text;
    }

    // Panels that react to a click: they take no focus and are no default
    // button, so Enter in a field saves nothing.
    const struct {
        QPushButton*& widget;
        const char16_t* name;
        const char16_t* caption;
        int left, top, width, height;
    } buttons[] = {
        {m_버튼저장, u"버튼저장", u"저 장 ", 1920, 4890, 1155, 555},
        {m_버튼나가기, u"버튼나가기", u"나가기  ", 3630, 4890, 1245, 555},
    };
    for (const auto& entry : buttons) {
        auto* button = new QPushButton(QString::fromUtf16(entry.caption), this);
        button->setObjectName(QString::fromUtf16(entry.name));
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoDefault(false);
        button->setGeometry(twips::rect(entry.left, entry.top, entry.width, entry.height));
        QFont bold = button->font();
        bold.setBold(true);
        bold.setPixelSize(15);
        button->setFont(bold);
        entry.widget = button;
    }
    // 저장 takes no focus: it completes a syllable still being composed.
    m_composition = new Composition(this);
    connect(m_버튼저장, &QPushButton::clicked, this, [this] { 버튼저장_Click(); });
    connect(m_버튼나가기, &QPushButton::clicked, this, [this] { close(); });

    m_매장코드->setFocus();
    PlaceForm(this, QString(), QString());
}

void FrmPOS_초기설정::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FrmPOS_초기설정::버튼저장_Click() {
    m_composition->complete();
    try {
        if (사전체크_FUNC()) {
            저장_PROC();
        }
    } catch (const std::exception& e) {
        notify(QStringLiteral("버튼저장_Click") + kCrLf + kCrLf + QString::fromUtf8(e.what()));
    }
}

bool FrmPOS_초기설정::사전체크_FUNC() {
    // Filled means not empty: a field of spaces passes here and is written
    // as an empty value.
    for (const MyText* field : {m_매장코드, m_서버IP, m_서버포트, m_DB종류, m_DB명, m_접속아이디,
                                m_접속비번, m_POS번호}) {
        if (field->text().isEmpty()) {
            notify(QStringLiteral("입력 항목을 모두 입력 해야 됩니다"));
            return false;
        }
    }
    if (m_매장코드->text().size() != 4) {
        notify(QStringLiteral("매장코드는 4 자리 숫자로 입력 해야 됩니다"));
        return false;
    }
    if (m_POS번호->text().size() != 2) {
        notify(QStringLiteral("POS번호는 2 자리 숫자로 입력 해야 됩니다"));
        return false;
    }
    if (refuseLogin(m_접속아이디->text(), QStringLiteral("서버 접속 아이디")) ||
        refuseLogin(m_접속비번->text(), QStringLiteral("서버 접속 비번"))) {
        return false;
    }
    // Values as the file keeps them (trimmed) and the station reads them.
    const QString problem = StoreSettingsProblem(
        TrimSpaces(m_서버IP->text()), TrimSpaces(m_서버포트->text()), TrimSpaces(m_DB명->text()),
        TrimSpaces(m_접속아이디->text()), TrimSpaces(m_접속비번->text()));
    if (!problem.isEmpty()) {
        notify(problem);
        return false;
    }
    return true;
}

bool FrmPOS_초기설정::refuseLogin(const QString& typed, const QString& fieldCaption) {
    if (LoginReadsBack(typed)) {
        return false;
    }
    // The file trims its values, so the character that encodes to a space
    // cannot stand first or last; other characters cannot be encoded at all.
    const QString value = TrimSpaces(typed);
    const QChar becomesSpace(u' ' + CredentialKey);
    if (value.startsWith(becomesSpace) || value.endsWith(becomesSpace)) {
        notify(QStringLiteral("%1의 처음과 끝에는 '%2' 를 쓸 수 없습니다")
                   .arg(fieldCaption, becomesSpace));
    } else {
        notify(QStringLiteral("%1에 저장할 수 없는 문자가 있습니다").arg(fieldCaption));
    }
    return true;
}

void FrmPOS_초기설정::저장_PROC() {
    const SettingsFields fields{m_매장코드->text(), m_서버IP->text(),  m_서버포트->text(),
                                m_DB종류->text(),   m_DB명->text(),    m_접속아이디->text(),
                                m_접속비번->text(), m_POS번호->text(), m_사업자번호->text()};
    QString error;
    if (!SaveSettingsFile(fields, &error)) {
        const QString procedure = QStringLiteral("저장_PROC");
        WriteErrorLog(procedure, error);
        notify(procedure + kCrLf + kCrLf + error);
        return;
    }
    notify(QStringLiteral("환경설정 저장 완료"));
    accept();
}
