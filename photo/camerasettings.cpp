#include "photo/camerasettings.h"

#include "photo/framesource.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kResolutionRole = Qt::UserRole;
constexpr int kIdRole = Qt::UserRole;
constexpr int kChoicesRole = Qt::UserRole + 1;

QString sizeText(const QSize& size) {
    return QStringLiteral("%1 × %2").arg(size.width()).arg(size.height());
}

} // namespace

CameraSettingsDialog::CameraSettingsDialog(FrameSource* source, QWidget* parent)
    : QDialog(parent), source_(source), cameras_(new QComboBox(this)),
      resolutions_(new QComboBox(this)) {
    setObjectName(QStringLiteral("CameraSettingsDialog"));
    setWindowTitle(QStringLiteral("카메라 설정"));
    cameras_->setObjectName(QStringLiteral("카메라목록"));
    resolutions_->setObjectName(QStringLiteral("해상도"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("카메라"), cameras_);
    form->addRow(QStringLiteral("해상도"), resolutions_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("닫기"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(320);

    const QList<CameraChoice> choices = source_->cameras();
    if (choices.isEmpty()) {
        cameras_->addItem(QStringLiteral("연결된 카메라가 없습니다"));
        cameras_->setEnabled(false);
        resolutions_->setEnabled(false);
        return;
    }
    for (const CameraChoice& choice : choices) {
        cameras_->addItem(choice.name, choice.id);
        QVariantList sizes;
        for (const QSize& size : choice.resolutions) {
            sizes.append(size);
        }
        cameras_->setItemData(cameras_->count() - 1, sizes, kChoicesRole);
    }
    cameras_->setCurrentIndex(std::max(0, cameras_->findData(source_->cameraId(), kIdRole)));
    fillResolutions();
    const int current = resolutions_->findData(source_->resolution(), kResolutionRole);
    resolutions_->setCurrentIndex(std::max(0, current));

    // Connected last, so that filling the lists applies nothing.
    connect(cameras_, &QComboBox::currentIndexChanged, this, [this] {
        fillResolutions();
        apply();
    });
    connect(resolutions_, &QComboBox::currentIndexChanged, this, [this] { apply(); });
}

void CameraSettingsDialog::fillResolutions() {
    const QSignalBlocker quiet(resolutions_);
    resolutions_->clear();
    resolutions_->addItem(QStringLiteral("기본"), QSize());
    for (const QVariant& size : cameras_->currentData(kChoicesRole).toList()) {
        resolutions_->addItem(sizeText(size.toSize()), size);
    }
    resolutions_->setCurrentIndex(0);
}

CameraSetting CameraSettingsDialog::choice() const {
    return {cameras_->currentData(kIdRole).toByteArray(),
            resolutions_->currentData(kResolutionRole).toSize()};
}

void CameraSettingsDialog::apply() {
    const CameraSetting chosen = choice();
    source_->useCamera(chosen.Id, chosen.Resolution);
    changed_ = true;
}
