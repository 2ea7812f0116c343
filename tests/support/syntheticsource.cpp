#include "support/syntheticsource.h"

#include <QPainter>
#include <QRadialGradient>
#include <QVideoFrameFormat>
#include <algorithm>
#include <random>

namespace {

const QSize kDefaultResolution(640, 480);

quint8 clampByte(int v) {
    return static_cast<quint8>(std::clamp(v, 0, 255));
}

} // namespace

QImage MakeCameraLikeImage(const QSize& size, quint32 seed) {
    QImage image(size, QImage::Format_RGB32);
    std::mt19937 random(seed);
    const double w = size.width();
    const double h = size.height();
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        // A wall lit from one side.
        QLinearGradient wall(0, 0, w, h);
        wall.setColorAt(0, QColor(196, 188, 170));
        wall.setColorAt(1, QColor(92, 96, 104));
        p.fillRect(image.rect(), wall);
        // A shelf of objects behind the person.
        std::uniform_int_distribution<int> hue(0, 359);
        for (int i = 0; i < 6; ++i) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor::fromHsv(hue(random), 90, 150));
            p.drawRoundedRect(QRectF(w * (0.05 + i * 0.15), h * 0.08, w * 0.11, h * 0.22), 6, 6);
        }
        // Shoulders and a face.
        p.setBrush(QColor(40, 52, 78));
        p.drawEllipse(QRectF(w * 0.18, h * 0.72, w * 0.64, h * 0.6));
        QRadialGradient face(w * 0.47, h * 0.42, w * 0.2);
        face.setColorAt(0, QColor(236, 200, 170));
        face.setColorAt(1, QColor(176, 130, 104));
        p.setBrush(face);
        p.drawEllipse(QRectF(w * 0.36, h * 0.22, w * 0.28, h * 0.48));
        p.setBrush(QColor(38, 30, 26));
        p.drawChord(QRectF(w * 0.35, h * 0.18, w * 0.30, h * 0.30), 0, 180 * 16);
        p.drawEllipse(QRectF(w * 0.43, h * 0.40, w * 0.03, h * 0.025));
        p.drawEllipse(QRectF(w * 0.54, h * 0.40, w * 0.03, h * 0.025));
    }
    // Sensor noise.
    std::normal_distribution<double> noise(0.0, 5.0);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int n = static_cast<int>(noise(random));
            const QRgb c = line[x];
            line[x] =
                qRgb(clampByte(qRed(c) + n), clampByte(qGreen(c) + n), clampByte(qBlue(c) + n));
        }
    }
    return image;
}

QVideoFrame MakeYuyvFrame(const QImage& source) {
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const QSize size(image.width() & ~1, image.height());
    QVideoFrame frame(QVideoFrameFormat(size, QVideoFrameFormat::Format_YUYV));
    if (size.isEmpty() || !frame.map(QVideoFrame::WriteOnly)) {
        return {};
    }
    // BT.601 limited range, what webcams deliver and Qt assumes by default.
    auto y = [](QRgb c) {
        return clampByte(((66 * qRed(c) + 129 * qGreen(c) + 25 * qBlue(c) + 128) >> 8) + 16);
    };
    auto u = [](QRgb c) {
        return clampByte(((-38 * qRed(c) - 74 * qGreen(c) + 112 * qBlue(c) + 128) >> 8) + 128);
    };
    auto v = [](QRgb c) {
        return clampByte(((112 * qRed(c) - 94 * qGreen(c) - 18 * qBlue(c) + 128) >> 8) + 128);
    };
    for (int row = 0; row < size.height(); ++row) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        uchar* out = frame.bits(0) + row * frame.bytesPerLine(0);
        for (int x = 0; x < size.width(); x += 2) {
            const QRgb a = in[x];
            const QRgb b = in[x + 1];
            const QRgb mid = qRgb((qRed(a) + qRed(b)) / 2, (qGreen(a) + qGreen(b)) / 2,
                                  (qBlue(a) + qBlue(b)) / 2);
            out[x * 2] = y(a);
            out[x * 2 + 1] = u(mid);
            out[x * 2 + 2] = y(b);
            out[x * 2 + 3] = v(mid);
        }
    }
    frame.unmap();
    return frame;
}

SyntheticFrameSource::SyntheticFrameSource(QObject* parent)
    : SyntheticFrameSource({{"synthetic",
                             QStringLiteral("합성 영상"),
                             {QSize(1280, 720), kDefaultResolution, QSize(320, 240)}}},
                           parent) {}

SyntheticFrameSource::SyntheticFrameSource(QList<CameraChoice> cameras, QObject* parent)
    : FrameSource(parent), cameras_(std::move(cameras)) {
    if (!cameras_.isEmpty()) {
        id_ = cameras_.first().id;
        resolution_ = defaultResolution(id_);
    }
}

QSize SyntheticFrameSource::defaultResolution(const QByteArray& id) const {
    for (const CameraChoice& camera : cameras_) {
        if (camera.id == id && !camera.resolutions.isEmpty() &&
            !camera.resolutions.contains(kDefaultResolution)) {
            return camera.resolutions.first();
        }
    }
    return kDefaultResolution;
}

void SyntheticFrameSource::start() {
    running_ = true;
    pushFrame();
}

void SyntheticFrameSource::useCamera(const QByteArray& id, const QSize& resolution) {
    const bool hadNone = id_.isEmpty();
    id_ = id;
    if (hadNone && !id_.isEmpty()) {
        Q_EMIT problemChanged();
    }
    resolution_ = resolution.isEmpty() ? defaultResolution(id) : resolution;
    pushFrame();
}

void SyntheticFrameSource::pushFrame() {
    if (running_ && sink_ && !id_.isEmpty()) {
        sink_->setVideoFrame(MakeYuyvFrame(MakeCameraLikeImage(resolution_, seed_++)));
    }
}

QString SyntheticFrameSource::problem() const {
    return id_.isEmpty() ? QStringLiteral("연결된 카메라가 없습니다") : QString();
}

void SyntheticFrameSource::pushEmptyFrame() {
    if (running_ && sink_) {
        sink_->setVideoFrame(QVideoFrame());
    }
}

void SyntheticFrameSource::plugIn(const CameraChoice& camera) {
    cameras_.append(camera);
    Q_EMIT camerasChanged();
}
