#include "photo/cameraview.h"

#include "photo/camerachoice.h"
#include "photo/camerasettings.h"
#include "photo/camerasource.h"
#include "photo/photoimage.h"
#include "util/errorlog.h"
#include "util/medialibraries.h"

#include <QHideEvent>
#include <QPainter>
#include <QTimer>
#include <QVideoSink>

namespace {

// Windows' camera reports a busy, blocked or unplugged camera by delivering
// nothing (or empty frames), never by an error: the likely causes, named.
const QString kNoFrames =
    QStringLiteral("카메라 영상이 오지 않습니다.\n다른 프로그램(화상 통화 등)이 카메라를 쓰고 있지 "
                   "않은지, Windows 설정 > 개인 정보 > 카메라에서 앱의 카메라 사용이 켜져 있는지, "
                   "카메라 케이블이 꽂혀 있는지 확인하세요.");

// An empty frame stands for a failed read of the stream.
bool usable(const QVideoFrame& frame) {
    return frame.isValid() && !frame.size().isEmpty();
}

std::unique_ptr<FrameSource> systemCamera() {
    if (const QStringList missing = MissingCameraLibraries(); !missing.isEmpty()) {
        return std::make_unique<UnavailableFrameSource>(
            QStringLiteral("이 Windows 에는 카메라에 필요한 미디어 기능(%1)이 없습니다. 회원은 "
                           "사진 없이 저장됩니다. Media Feature Pack 을 설치하세요.")
                .arg(missing.join(QStringLiteral(", "))));
    }
    return std::make_unique<CameraFrameSource>();
}

} // namespace

CameraView::CameraView(QWidget* parent, std::unique_ptr<FrameSource> source)
    : QWidget(parent), sink_(nullptr), watchdog_(new QTimer(this)), source_(std::move(source)) {
    setObjectName(QStringLiteral("ezVidCap"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (!source_) {
        source_ = systemCamera();
    }
    connect(source_.get(), &FrameSource::problemChanged, this, [this] {
        if (!source_->problem().isEmpty()) {
            // The last frame is from before the failure: neither show nor
            // save it as if it were live.
            frame_ = QVideoFrame();
        }
        update();
    });
    if (dynamic_cast<UnavailableFrameSource*>(source_.get()) != nullptr) {
        // Not even a video sink: creating one loads Qt's camera backend,
        // which is what is missing.
        return;
    }
    sink_ = new QVideoSink(this);
    watchdog_->setInterval(kFrameWatchMs);
    connect(watchdog_, &QTimer::timeout, this, &CameraView::checkFrames);
    connect(sink_, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
        if (!usable(frame)) {
            return;
        }
        frame_ = frame;
        ++framesSinceCheck_;
        stalled_ = false;
        update();
    });
    connect(source_.get(), &FrameSource::camerasChanged, this, &CameraView::pickUpPluggedCamera);
    source_->setVideoSink(sink_);
    UseRememberedCamera(*source_);
    startSource();
}

void CameraView::startSource() {
    framesSinceCheck_ = 0;
    stalled_ = false;
    source_->start();
    watchdog_->start();
    running_ = true;
}

void CameraView::checkFrames() {
    if (!running_ || sink_ == nullptr) {
        return;
    }
    if (framesSinceCheck_ == 0 && !stalled_) {
        // The last frame is old: neither show nor save it as if live.
        stalled_ = true;
        frame_ = QVideoFrame();
        update();
    }
    framesSinceCheck_ = 0;
}

void CameraView::pickUpPluggedCamera() {
    if (!source_->cameraId().isEmpty()) {
        return; // one in use already; the settings switch cameras
    }
    const QList<CameraChoice> cameras = source_->cameras();
    if (!cameras.isEmpty()) {
        framesSinceCheck_ = 0;
        stalled_ = false;
        source_->useCamera(cameras.first().id, QSize());
        update();
    }
}

CameraView::~CameraView() {
    source_->stop();
    // The source may still hold the sink; detach before the sink goes.
    source_->setVideoSink(nullptr);
}

bool CameraView::SaveFrameAsJpeg(const QString& path, QString* why) {
    if (!frame_.isValid()) {
        if (why) {
            *why = notice();
        }
        return false;
    }
    if (!WriteJpeg(FitPhoto(frame_.toImage()), path)) {
        if (why) {
            *why = QStringLiteral("%1 에 쓸 수 없습니다").arg(path);
        }
        return false;
    }
    return true;
}

void CameraView::ShowDeviceSettings() {
    CameraSettingsDialog dialog(source_.get(), this);
    dialog.exec();
    if (!dialog.changed() || dialog.choice().Id.isEmpty()) {
        return;
    }
    // Not worth a box: the choice holds for this run all the same.
    if (QString error; !RememberCamera(dialog.choice(), &error)) {
        WriteErrorLog(QStringLiteral("카메라설정_Click"), error);
    }
}

QString CameraView::notice() const {
    if (frame_.isValid()) {
        return {};
    }
    const QString problem = source_->problem();
    if (!problem.isEmpty()) {
        return problem;
    }
    return stalled_ ? kNoFrames : QStringLiteral("카메라 영상을 기다리는 중입니다");
}

void CameraView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (frame_.isValid()) {
        // Stretched over the whole area, as the screen is laid out for it.
        QVideoFrame::PaintOptions options;
        options.backgroundColor = Qt::black;
        options.aspectRatioMode = Qt::IgnoreAspectRatio;
        frame_.paint(&p, QRectF(rect()), options);
        return;
    }
    p.fillRect(rect(), QColor(32, 32, 32));
    p.setPen(Qt::white);
    p.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, notice());
}

void CameraView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!running_) {
        startSource();
    }
}

void CameraView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden means the window closed: free the camera for the next user.
    if (running_ && !event->spontaneous()) {
        source_->stop();
        watchdog_->stop();
        running_ = false;
    }
}
