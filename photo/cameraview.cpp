#include "photo/cameraview.h"

#include "photo/camerachoice.h"
#include "photo/camerasettings.h"
#include "photo/camerasource.h"
#include "photo/photoimage.h"
#include "util/errorlog.h"

#include <QHideEvent>
#include <QPainter>
#include <QVideoSink>

CameraView::CameraView(QWidget* parent, std::unique_ptr<FrameSource> source)
    : QWidget(parent), sink_(new QVideoSink(this)), source_(std::move(source)) {
    setObjectName(QStringLiteral("ezVidCap"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (!source_) {
        source_ = std::make_unique<CameraFrameSource>();
    }
    connect(sink_, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame& frame) {
        frame_ = frame;
        update();
    });
    connect(source_.get(), &FrameSource::problemChanged, this, [this] {
        if (!source_->problem().isEmpty()) {
            // The last frame is from before the failure: neither show nor
            // save it as if it were live.
            frame_ = QVideoFrame();
        }
        update();
    });
    source_->setVideoSink(sink_);
    UseRememberedCamera(*source_);
    source_->start();
    running_ = true;
}

CameraView::~CameraView() {
    source_->stop();
    // The source may still hold the sink; detach before the sink goes.
    source_->setVideoSink(nullptr);
}

bool CameraView::SaveFrameAsJpeg(const QString& path) {
    if (!frame_.isValid()) {
        return false;
    }
    return WriteJpeg(FitPhoto(frame_.toImage()), path);
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
    return problem.isEmpty() ? QStringLiteral("카메라 영상을 기다리는 중입니다") : problem;
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
        source_->start();
        running_ = true;
    }
}

void CameraView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden means the window closed: free the camera for the next user.
    if (running_ && !event->spontaneous()) {
        source_->stop();
        running_ = false;
    }
}
