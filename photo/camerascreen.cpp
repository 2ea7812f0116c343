#include "photo/camerascreen.h"

#include "components/widgets/twips.h"
#include "dialogs/messagebox.h"
#include "dialogs/placement.h"
#include "photo/photoimage.h"
#include "util/groupaccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {

// Layout in twips.
constexpr QSize kClient = twips::size(6075, 4410);
constexpr QRect kPreview = twips::rect(150, 210, 3600, 3975);
constexpr QRect kSaveButton = twips::rect(4080, 240, 1845, 555);
constexpr QRect kSettingsButton = twips::rect(4080, 3630, 1845, 555);

QPixmap blankIcon() {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QIcon cameraIcon() {
    QPixmap pixmap = blankIcon();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 70));
    p.drawRoundedRect(QRectF(2, 7, 20, 14), 3, 3);
    p.drawRect(QRectF(8, 4, 8, 4));
    p.setBrush(QColor(235, 235, 240));
    p.drawEllipse(QPointF(12, 14), 5, 5);
    p.setBrush(QColor(60, 110, 170));
    p.drawEllipse(QPointF(12, 14), 3, 3);
    return QIcon(pixmap);
}

QIcon settingsIcon() {
    QPixmap pixmap = blankIcon();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(12, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 70, 80));
    for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-2, -11, 4, 6));
        p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), 7.5, 7.5);
    p.setBrush(QColor(235, 235, 240));
    p.drawEllipse(QPointF(0, 0), 3, 3);
    return QIcon(pixmap);
}

QPushButton* panelButton(QWidget* parent, const QString& name, const QString& caption,
                         const QIcon& icon, const QRect& geometry) {
    auto* button = new QPushButton(icon, caption, parent);
    button->setObjectName(name);
    button->setGeometry(geometry);
    button->setIconSize(QSize(24, 24));
    // Panels used as buttons: they never take the focus, and Enter does
    // not press them.
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoDefault(false);
    return button;
}

// The base name becomes a file name inside the photo folder, nothing more.
bool isPlainFileName(const QString& name) {
    return name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

void showSaveError(const QString& description) {
    ShowMessage(QStringLiteral("\r\n버튼사진찍기_Click\r\n") + description, 0, true, true);
}

} // namespace

FrmPOS_사진찍기::FrmPOS_사진찍기(QWidget* CallerForm, QLabel* callerPhotoBox,
                                 const QString& PhotoFileBase, std::unique_ptr<FrameSource> source)
    : QDialog(CallerForm), callerPhotoBox_(callerPhotoBox), PhotoFileBase_(PhotoFileBase),
      ezVidCap_(new CameraView(this, std::move(source))),
      버튼사진찍기_(panelButton(this, QStringLiteral("버튼사진찍기"), QStringLiteral("  사진 저장"),
                                cameraIcon(), kSaveButton)),
      카메라설정_(panelButton(this, QStringLiteral("카메라설정"), QStringLiteral("카메라 설정"),
                              settingsIcon(), kSettingsButton)) {
    setObjectName(QStringLiteral("FrmPOS_사진찍기"));
    setWindowTitle(QStringLiteral("사진찍기"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(kClient);
    ezVidCap_->setGeometry(kPreview);

    connect(버튼사진찍기_, &QPushButton::clicked, this, [this] { 버튼사진찍기_Click(); });
    connect(카메라설정_, &QPushButton::clicked, this, [this] { 카메라설정_Click(); });

    PlaceForm(this, QString(), QString());
}

void FrmPOS_사진찍기::버튼사진찍기_Click() {
    if (PhotoFileBase_.isEmpty()) {
        showSaveError(QStringLiteral("사진 파일 이름이 없습니다"));
        return;
    }
    if (!isPlainFileName(PhotoFileBase_)) {
        showSaveError(QStringLiteral("사진 파일 이름이 올바르지 않습니다: %1").arg(PhotoFileBase_));
        return;
    }
    const QString folder = PhotoFolderPath();
    // A file of that name counts as present too: the write below then fails.
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder)) {
            showSaveError(QStringLiteral("사진 폴더를 만들 수 없습니다: %1").arg(folder));
            return;
        }
        // Every operator account replaces the photos another left here.
        ShareFolderWithGroup(folder);
    }
    const QString path = MemberPhotoPath(PhotoFileBase_);
    if (QString why; !ezVidCap_->SaveFrameAsJpeg(path, &why)) {
        ShowMessage(QStringLiteral("\r\n사진저장 실패\r\n") + why, 0, true, true);
        return;
    }
    QString whyNot;
    if (!ShowPhotoOn(callerPhotoBox_, path, &whyNot)) {
        showSaveError(whyNot);
        return;
    }
    accept();
    QCoreApplication::processEvents();
}

void FrmPOS_사진찍기::카메라설정_Click() {
    ezVidCap_->ShowDeviceSettings();
}
