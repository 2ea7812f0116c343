#include "app/registrationscreen.h"

#include "app/photoview.h"
#include "app/registrationart.h"
#include "app/registrationlayout.h"
#include "app/serverconnection.h"
#include "components/odbc/odbc.h"
#include "components/widgets/composition.h"
#include "components/widgets/hotspot.h"
#include "components/widgets/mylabel.h"
#include "components/widgets/mytext.h"
#include "config/settingsfile.h"
#include "config/settingsscreen.h"
#include "db/members.h"
#include "db/storedb.h"
#include "dialogs/messagebox.h"
#include "dialogs/placement.h"
#include "dialogs/yesno.h"
#include "photo/camerascreen.h"
#include "photo/imagefield.h"
#include "photo/photoimage.h"
#include "util/errorlog.h"
#include "util/phone.h"
#include "util/programfolder.h"
#include "util/programwide.h"
#include "util/regional.h"
#include "util/safefile.h"
#include "util/singleinstance.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QVersionNumber>

#include <exception>
#include <stdexcept>

namespace {

using namespace registration;

const QString kCrLf = QStringLiteral("\r\n");

// Every notice of the screen: a line break first, modal, ten seconds.
void notify(const QString& text) {
    ShowMessage(kCrLf + text, 0, true, true);
}

// An error report: the procedure's name, a blank line, the description.
void report(const QString& procedure, const QString& description) {
    notify(procedure + kCrLf + kCrLf + description);
}

// A file of the program folder that counts as present: a plain file, not a
// folder and not hidden.
bool programFileExists(const QString& name) {
    const QFileInfo info(ProgramFilePath(name));
    return info.isFile() && !info.isHidden();
}

QFont fieldFont(const QStringList& families, int pixelSize, bool bold) {
    QFont f;
    f.setFamilies(families);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

MyText* makeField(QWidget* parent, const QString& name, const TwipRect& at, int textType,
                  int maxLen, const QFont& font) {
    auto* field = new MyText(parent);
    field->setObjectName(name);
    field->setGeometry(at.pixels());
    field->setTextType(textType);
    field->setMaxLen(maxLen);
    field->setFont(font);
    // The drawn box behind it is the field's frame.
    field->setFrame(false);
    return field;
}

} // namespace

QString VersionCaption(const QString& version) {
    const QVersionNumber number = QVersionNumber::fromString(version);
    return QStringLiteral("%1.%2.%3")
        .arg(number.majorVersion())
        .arg(number.minorVersion())
        .arg(number.microVersion());
}

FrmPOS_판매::FrmPOS_판매(QWidget* parent) : QWidget(parent), m_background(RegistrationArt()) {
    setObjectName(QStringLiteral("FrmPOS_판매"));
    // No caption text: a blank, since an empty title lets some platforms
    // show the program's name instead.
    setWindowTitle(QStringLiteral(" "));
    setFixedSize(clientSize());
    buildWidgets();
}

FrmPOS_판매::~FrmPOS_판매() {
    if (MainScreen == this || MainScreen.isNull()) {
        MainScreenReady = false;
    }
}

void FrmPOS_판매::buildWidgets() {
    const QStringList hangul{QStringLiteral("NanumGothic"), QStringLiteral("NanumBarunGothic")};
    const QStringList arial{QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                            QStringLiteral("Nimbus Sans"), QStringLiteral("NanumGothic")};
    const QStringList gmarket{QStringLiteral("G마켓 산스 TTF Medium"),
                              QStringLiteral("NanumGothic"), QStringLiteral("NanumBarunGothic")};

    m_폰구분 = new MyLabel(this);
    m_폰구분->setObjectName(QStringLiteral("폰구분"));
    m_폰구분->setCaption(MemberPhonePrefix);
    m_폰구분->setGeometry(kPhonePrefix.pixels());
    m_폰구분->setFont(fieldFont(arial, 34, true));
    m_폰구분->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    m_휴대폰번호 =
        makeField(this, QStringLiteral("휴대폰번호"), kPhone, 7, 9, fieldFont(arial, 34, true));
    m_성명 = makeField(this, QStringLiteral("성명"), kName, 0, 50, fieldFont(gmarket, 30, false));
    m_남여구분 =
        makeField(this, QStringLiteral("남여구분"), kGender, 0, 1, fieldFont(hangul, 30, true));
    m_남여구분->setEnabled(false);
    m_남여구분->setCentered(true);
    // Display only, but it must stay legible while disabled.
    QPalette genderPalette = m_남여구분->palette();
    genderPalette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x22, 0x2b, 0x3a));
    genderPalette.setColor(QPalette::Disabled, QPalette::Base, Qt::white);
    m_남여구분->setPalette(genderPalette);
    m_주소 = makeField(this, QStringLiteral("주소"), kAddress, 0, 50, fieldFont(hangul, 28, false));

    const struct {
        HotSpot*& spot;
        const char* name;
        TwipRect at;
    } spots[] = {{m_버튼남, "버튼남", kMaleSpot},
                 {m_버튼여, "버튼여", kFemaleSpot},
                 {m_버튼확인, "버튼확인", kConfirmSpot}};
    for (const auto& s : spots) {
        s.spot = new HotSpot(this);
        s.spot->setObjectName(QString::fromUtf8(s.name));
        s.spot->setGeometry(s.at.pixels());
    }

    m_회원사진 = new PhotoView(this);
    m_회원사진->setObjectName(QStringLiteral("회원사진"));
    m_회원사진->setGeometry(kPhoto.pixels());

    const QFont buttonFont =
        fieldFont({QStringLiteral("GulimChe"), QStringLiteral("NanumGothicCoding"),
                   QStringLiteral("NanumGothic")},
                  12, false);
    const struct {
        QPushButton*& button;
        const char* name;
        const char* caption;
        TwipRect at;
    } buttons[] = {{m_버튼사진찍기, "버튼사진찍기", "사진 찍기", kTakePhoto},
                   {m_버튼사진삭제, "버튼사진삭제", "사진 삭제", kDeletePhoto}};
    for (const auto& b : buttons) {
        b.button = new QPushButton(QString::fromUtf8(b.caption), this);
        b.button->setObjectName(QString::fromUtf8(b.name));
        b.button->setGeometry(b.at.pixels());
        b.button->setFont(buttonFont);
        // Pressing takes the focus (so leaving the phone field looks the
        // number up first), but Tab passes them over.
        b.button->setFocusPolicy(Qt::ClickFocus);
        b.button->setAutoDefault(false);
    }

    m_라벨버전 = new QLabel(this);
    m_라벨버전->setObjectName(QStringLiteral("라벨버전"));
    m_라벨버전->setGeometry(kVersion.pixels());
    m_라벨버전->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_라벨버전->setFont(fieldFont(hangul, 13, false));

    m_메뉴_메인 = new QMenu(QStringLiteral("메인"), this);
    m_메뉴_메인->setObjectName(QStringLiteral("메뉴_메인"));
    m_메뉴_프로그램종료 = m_메뉴_메인->addAction(QStringLiteral("프로그램 종료"));
    m_메뉴_프로그램종료->setObjectName(QStringLiteral("메뉴_프로그램종료"));

    setTabOrder(m_휴대폰번호, m_성명);
    setTabOrder(m_성명, m_남여구분);
    setTabOrder(m_남여구분, m_주소);
    m_휴대폰번호->setFocus();

    // Enter starts nothing in the three entry fields.
    for (MyText* field : {m_휴대폰번호, m_성명, m_주소}) {
        connect(field, &MyText::keyPress, this, [](int& keyAscii) {
            if (keyAscii == 13) {
                keyAscii = 0;
            }
        });
    }
    connect(m_휴대폰번호, &MyText::keyUp, this, [this](int, int) { 휴대폰번호_KeyUp(); });
    // Pasted or dropped text is formatted as typed text is; a whole number
    // pasted there keeps only the part after the prefix.
    connect(m_휴대폰번호, &MyText::textArrived, this, [this] { 휴대폰번호_KeyUp(); });
    connect(m_휴대폰번호, &MyText::textArriving, this,
            [this](QString& text) { text = LocalPartOfWholeNumber(text, m_폰구분->caption()); });
    m_성명->setImeMode(10);
    m_주소->setImeMode(10);
    connect(m_휴대폰번호, &MyText::lostFocus, this, [this] { 휴대폰번호_LostFocus(); });
    // Every action that reads or clears the fields first makes a syllable
    // still being composed part of its field: the areas take no focus, so
    // nothing else would.
    m_composition = new Composition(this);
    connect(m_버튼남, &HotSpot::released, this, [this](Qt::MouseButton) {
        m_composition->complete();
        m_남여구분->setText(QStringLiteral("남"));
    });
    connect(m_버튼여, &HotSpot::released, this, [this](Qt::MouseButton) {
        m_composition->complete();
        m_남여구분->setText(QStringLiteral("여"));
    });
    connect(m_버튼확인, &HotSpot::released, this, [this](Qt::MouseButton) { 버튼확인_MouseUp(); });
    connect(m_버튼사진찍기, &QPushButton::clicked, this, [this] { 버튼사진찍기_Click(); });
    connect(m_버튼사진삭제, &QPushButton::clicked, this, [this] { 버튼사진삭제_Click(); });
    connect(m_메뉴_프로그램종료, &QAction::triggered, this, [this] { 메뉴_프로그램종료_Click(); });
}

bool FrmPOS_판매::Form_Load() {
    m_instance = std::make_unique<SingleInstance>(SingleInstanceLockPath());
    if (!m_instance->acquire()) {
        m_instance.reset();
        notify(QStringLiteral("이미 프로그램이 실행 중 입니다."));
        endProgram();
        return false;
    }

    PlaceForm(this, QString(), QString());
    SetRegionalFormats();

    // No file, or the installer's empty one: the settings are asked for.
    QString whyNot;
    SettingsReadResult read = LoadStationConfig(&whyNot);
    if (read == SettingsReadResult::Missing) {
        FrmPOS_초기설정 settings;
        settings.exec();
        read = LoadStationConfig(&whyNot);
    }
    // A file that cannot be read, or is too short to hold the eight
    // settings, is as good as none; but the message alone would send the
    // operator to a file that is there, so the log says why.
    if (read != SettingsReadResult::Ok) {
        if (read != SettingsReadResult::Missing) {
            WriteErrorLog(QStringLiteral("Form_Load"), whyNot);
        }
        notify(QStringLiteral("환경설정 파일이 없습니다"));
        endProgram();
        return false;
    }

    if (!programFileExists(QStringLiteral("출입문설정.CFG"))) {
        notify(QStringLiteral("출입문 설정 파일이 없습니다"));
        endProgram();
        return false;
    }

    if (!CheckServerConnection()) {
        notify(QStringLiteral("서버 연결 실패"));
        endProgram();
        return false;
    }
    // Start-up only proves that the server can be reached.
    CloseStoreDb();

    m_라벨버전->setText(VersionCaption(QCoreApplication::applicationVersion()));

    // Any operator may put a file of that name there: read only as a plain
    // file, never through a link.
    if (const std::optional<QByteArray> art = ReadSharedFile(
            ProgramFilePath(QStringLiteral("회원등록.JPG")), MaxSharedFileBytes, nullptr)) {
        const QImage picture = QImage::fromData(*art);
        if (!picture.isNull()) {
            m_background = picture;
            update();
        }
    }

    MainScreen = this;
    MainScreenReady = true;
    return true;
}

void FrmPOS_판매::endProgram() {
    m_ended = true;
    close();
}

void FrmPOS_판매::ClearEntry() {
    m_composition->complete();
    for (MyText* field : {m_휴대폰번호, m_성명, m_남여구분, m_주소}) {
        field->setText(QString());
    }
    m_휴대폰번호->setFocus();
    m_회원사진->clear();
}

void FrmPOS_판매::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), QColor(0xee, 0xf1, 0xf6));
    // Drawn as it is, from the top left, like a window picture; on a screen
    // too small for the design, at the window's scale like everything on it.
    if (const double scale = WindowScale(this); scale != 1.0) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.scale(scale, scale);
    }
    p.drawImage(0, 0, m_background);
}

void FrmPOS_판매::mousePressEvent(QMouseEvent* event) {
    Form_MouseDown(event->button(), event->globalPosition().toPoint());
}

void FrmPOS_판매::Form_MouseDown(Qt::MouseButton button, const QPoint& at) {
    try {
        if (button == Qt::RightButton) {
            m_composition->complete();
            m_메뉴_메인->popup(at);
        }
    } catch (const std::exception& e) {
        WriteErrorLog(QStringLiteral("Form_MouseDown"), QString::fromUtf8(e.what()));
    }
}

void FrmPOS_판매::메뉴_프로그램종료_Click() {
    m_composition->complete();
    endProgram();
}

void FrmPOS_판매::closeEvent(QCloseEvent* event) {
    m_ended = true;
    QWidget::closeEvent(event);
}

void FrmPOS_판매::휴대폰번호_KeyUp() {
    // Formatted as soon as the digits could be a number, so the text always
    // has the form the numbers were stored in.
    if (m_휴대폰번호->text().size() >= 7) {
        m_휴대폰번호->setText(FormatPhoneNumber(m_휴대폰번호->text()));
    }
    m_휴대폰번호->setSelStart(static_cast<int>(m_휴대폰번호->text().size()) + 1);
}

void FrmPOS_판매::휴대폰번호_LostFocus() {
    m_composition->complete();
    try {
        if (m_휴대폰번호->text().isEmpty()) {
            return;
        }
        사원정보표시_PROC(MemberPhonePrefix + m_휴대폰번호->text());
    } catch (const std::exception& e) {
        WriteErrorLog(QStringLiteral("휴대폰번호_LostFocus"), QString::fromUtf8(e.what()));
    }
}

void FrmPOS_판매::사원정보표시_PROC(const QString& memberPhone) {
    if (!CheckServerConnection()) {
        return;
    }
    try {
        OdbcRecordset set;
        OpenMemberLookup(set, StationConfig.StoreCode, memberPhone);
        if (!set.isEof()) {
            // The whole member is read before any field changes, so that a
            // read failing half-way leaves the screen as the operator had it.
            const MemberEntry member = ReadMember(set);
            // Shown straight from the stored bytes: no file to write into a
            // photo folder that may not exist yet, and none left behind.
            QPixmap picture;
            const OdbcField photo = set.field(MemberCol::Photo);
            if (photo.size() != 0) {
                picture.loadFromData(photo.bytes());
            }
            m_휴대폰번호->setText(MemberLocalPart(member.phone));
            m_성명->setText(member.name);
            m_주소->setText(member.address);
            m_남여구분->setText(member.gender);
            m_회원사진->clear();
            if (!picture.isNull()) {
                m_회원사진->setPixmap(picture);
            }
        } else {
            m_성명->setText(QString());
            m_주소->setText(QString());
            m_남여구분->setText(QString());
            m_휴대폰번호->setText(MemberLocalPart(memberPhone));
        }
        set.close();
    } catch (const OdbcError& e) {
        report(QStringLiteral("사원정보표시_PROC"), e.description());
    } catch (const std::exception& e) {
        report(QStringLiteral("사원정보표시_PROC"), QString::fromUtf8(e.what()));
    }
}

void FrmPOS_판매::버튼확인_MouseUp() {
    m_composition->complete();
    if (!CheckServerConnection()) {
        notify(QStringLiteral("서버 연결 실패"));
        endProgram();
        return;
    }
    const QString procedure = QStringLiteral("버튼확인_MouseUp");
    try {
        const QString phoneText = m_휴대폰번호->text();
        const QString storedPhone = MemberPhone(FormatPhoneNumber(phoneText), m_폰구분->caption());
        if (phoneText.isEmpty()) {
            notify(QStringLiteral("휴대폰번호를 입력 하세요"));
            return;
        }
        if (m_성명->text().isEmpty()) {
            notify(QStringLiteral("성명을 입력 하세요"));
            return;
        }
        if (m_남여구분->text().isEmpty()) {
            notify(QStringLiteral("남여구분을 입력 하세요"));
            return;
        }

        OdbcRecordset set;
        OpenMemberForSave(set, StationConfig.StoreCode, storedPhone);
        if (set.isEof()) {
            set.addNew();
        } else {
            const QString answer = AskYesNo(kCrLf + QStringLiteral("이미 등록된 폰 번호 입니다") +
                                                kCrLf + kCrLf + QStringLiteral("덮어 쓸까요?"),
                                            0, true);
            if (answer != QStringLiteral("예")) {
                set.close();
                return;
            }
        }
        WriteMember(set, {StationConfig.StoreCode, storedPhone, m_성명->text(), m_남여구분->text(),
                          m_주소->text()});
        // The camera's file, named after the field text as it stands.
        const QString photoFile = MemberPhotoPath(MemberPhonePrefix + phoneText);
        // A photo that is there but cannot be read stops the save here (it
        // throws): nothing is written and the file stays.
        LoadFileIntoField(photoFile, set.field(MemberCol::Photo));
        set.update();
        set.close();
        // Only now that the row holds the photo: a failed write keeps the
        // file for the next attempt.
        if (QString why; !RemoveSharedFile(photoFile, &why)) {
            throw std::runtime_error(QStringLiteral("%1 을(를) 지울 수 없습니다 (%2)")
                                         .arg(photoFile, why)
                                         .toStdString());
        }
    } catch (const OdbcError& e) {
        WriteErrorLog(procedure, e.description());
        report(procedure, e.description());
        return;
    } catch (const std::exception& e) {
        WriteErrorLog(procedure, QString::fromUtf8(e.what()));
        report(procedure, QString::fromUtf8(e.what()));
        return;
    }
    ClearEntry();
    CloseStoreDb();
}

void FrmPOS_판매::버튼사진찍기_Click() {
    m_composition->complete();
    try {
        if (m_휴대폰번호->text().isEmpty()) {
            notify(QStringLiteral("휴대폰번호가 없습니다"));
            return;
        }
        // Waits here until the camera screen has gone; the file base goes
        // with it. A capture leaves the member's photo file in the photo
        // folder and the picture in this screen's 회원사진; the save stores
        // the file.
        FrmPOS_사진찍기 camera(this, m_회원사진, MemberPhonePrefix + m_휴대폰번호->text());
        camera.exec();
    } catch (const std::exception&) {
        // Silent: the camera screen reports its own failures.
    }
}

void FrmPOS_판매::버튼사진삭제_Click() {
    m_composition->complete();
    try {
        if (m_휴대폰번호->text().isEmpty()) {
            return;
        }
        // Runs on the connection the lookup left open, without a check of
        // its own; with none open it fails and is only logged.
        const qint64 changed =
            RemoveMemberPhoto(StationConfig.StoreCode, MemberPhone(m_휴대폰번호->text()));
        if (changed > 0) {
            m_회원사진->clear();
        }
    } catch (const OdbcError& e) {
        WriteErrorLog(QStringLiteral("버튼사진삭제_Click"), e.description());
    } catch (const std::exception& e) {
        WriteErrorLog(QStringLiteral("버튼사진삭제_Click"), QString::fromUtf8(e.what()));
    }
}
