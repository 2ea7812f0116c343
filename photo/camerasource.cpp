#include "photo/camerasource.h"

#include <QCameraDevice>
#include <QCameraFormat>
#include <QMediaDevices>
#include <QVideoSink>
#include <algorithm>

namespace {

const QString kNoCamera = QStringLiteral("연결된 카메라가 없습니다");

QList<QSize> resolutionsOf(const QCameraDevice& device) {
    QList<QSize> sizes;
    for (const QCameraFormat& format : device.videoFormats()) {
        if (!format.resolution().isEmpty() && !sizes.contains(format.resolution())) {
            sizes.append(format.resolution());
        }
    }
    std::sort(sizes.begin(), sizes.end(), [](const QSize& a, const QSize& b) {
        return a.width() * a.height() > b.width() * b.height();
    });
    return sizes;
}

// Of the formats with this resolution, the smoothest one; compressed
// formats only when nothing else offers the size (they cost a decode).
QCameraFormat formatFor(const QCameraDevice& device, const QSize& resolution) {
    QCameraFormat best;
    auto score = [](const QCameraFormat& f) {
        const bool compressed = f.pixelFormat() == QVideoFrameFormat::Format_Jpeg;
        return std::make_pair(compressed ? 0 : 1, f.maxFrameRate());
    };
    for (const QCameraFormat& format : device.videoFormats()) {
        if (format.resolution() != resolution) {
            continue;
        }
        if (best.isNull() || score(format) > score(best)) {
            best = format;
        }
    }
    return best;
}

} // namespace

CameraFrameSource::CameraFrameSource(QObject* parent)
    : FrameSource(parent), watcher_(new QMediaDevices(this)) {
    readDevices();
    connect(watcher_, &QMediaDevices::videoInputsChanged, this, [this] {
        readDevices();
        Q_EMIT camerasChanged();
    });
    auto device = std::find_if(devices_.cbegin(), devices_.cend(),
                               [](const QCameraDevice& d) { return d.isDefault(); });
    if (device == devices_.cend()) {
        device = devices_.cbegin();
    }
    if (device == devices_.cend()) {
        problem_ = kNoCamera;
        return;
    }
    openCamera(*device, QSize());
}

void CameraFrameSource::readDevices() {
    devices_ = QMediaDevices::videoInputs();
}

CameraFrameSource::~CameraFrameSource() {
    if (camera_) {
        camera_->stop();
    }
}

void CameraFrameSource::setVideoSink(QVideoSink* sink) {
    session_.setVideoSink(sink);
}

void CameraFrameSource::start() {
    if (camera_) {
        camera_->start();
    }
}

void CameraFrameSource::stop() {
    if (camera_) {
        camera_->stop();
    }
}

QList<CameraChoice> CameraFrameSource::cameras() const {
    QList<CameraChoice> list;
    for (const QCameraDevice& device : devices_) {
        list.append({device.id(), device.description(), resolutionsOf(device)});
    }
    return list;
}

QByteArray CameraFrameSource::cameraId() const {
    return camera_ ? camera_->cameraDevice().id() : QByteArray();
}

QSize CameraFrameSource::resolution() const {
    return camera_ ? camera_->cameraFormat().resolution() : QSize();
}

void CameraFrameSource::useCamera(const QByteArray& id, const QSize& resolution) {
    for (const QCameraDevice& device : devices_) {
        if (device.id() == id) {
            openCamera(device, resolution);
            camera_->start();
            return;
        }
    }
    setProblem(kNoCamera);
}

void CameraFrameSource::openCamera(const QCameraDevice& device, const QSize& resolution) {
    // A fresh camera object per choice: the backend applies device and
    // format changes most reliably to a camera that has not run yet.
    session_.setCamera(nullptr);
    camera_ = std::make_unique<QCamera>(device);
    if (!resolution.isEmpty()) {
        const QCameraFormat format = formatFor(device, resolution);
        if (!format.isNull()) {
            camera_->setCameraFormat(format);
        }
    }
    connect(camera_.get(), &QCamera::errorOccurred, this,
            [this](QCamera::Error error, const QString& text) {
                if (error != QCamera::NoError) {
                    setProblem(QStringLiteral("카메라 오류: %1").arg(text));
                }
            });
    session_.setCamera(camera_.get());
    setProblem(QString());
}

void CameraFrameSource::setProblem(const QString& text) {
    if (text == problem_) {
        return;
    }
    problem_ = text;
    Q_EMIT problemChanged();
}
