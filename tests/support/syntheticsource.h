#pragma once
// A stand-in camera for tests, the benchmark and screenshots: camera-like
// frames (a lit scene with sensor noise, in the packed YUV layout webcams
// deliver) pushed through the same sink as the real camera's.

#include "photo/framesource.h"

#include <QImage>
#include <QPointer>
#include <QVideoFrame>
#include <QVideoSink>

// A scene with gradients, shapes and per-pixel noise, so that JPEG sizes and
// timings resemble a real photo rather than a flat colour. Same seed, same
// picture.
QImage MakeCameraLikeImage(const QSize& size, quint32 seed);

// The image as a YUYV (4:2:2) video frame; an odd width loses its last column.
QVideoFrame MakeYuyvFrame(const QImage& image);

class SyntheticFrameSource : public FrameSource {
    Q_OBJECT
public:
    // One camera, "합성 영상", at 1280 × 720, 640 × 480 (its default) and
    // 320 × 240.
    explicit SyntheticFrameSource(QObject* parent = nullptr);
    // The given cameras, the first one in use. A camera's default
    // resolution is 640 × 480 when it offers that, else its first.
    explicit SyntheticFrameSource(QList<CameraChoice> cameras, QObject* parent = nullptr);

    void setVideoSink(QVideoSink* sink) override { sink_ = sink; }
    // Starting and switching deliver one frame at once; pushFrame() more.
    void start() override;
    void stop() override { running_ = false; }

    QList<CameraChoice> cameras() const override { return cameras_; }
    QByteArray cameraId() const override { return id_; }
    QSize resolution() const override { return resolution_; }
    void useCamera(const QByteArray& id, const QSize& resolution) override;

    QString problem() const override;

    // Delivers the next frame (a new seed each time) while running.
    void pushFrame();
    // Delivers an empty frame, as Windows' camera does when its stream fails.
    void pushEmptyFrame();
    // A camera plugged in: listed from now on.
    void plugIn(const CameraChoice& camera);

private:
    QSize defaultResolution(const QByteArray& id) const;

    QList<CameraChoice> cameras_;
    QPointer<QVideoSink> sink_;
    QByteArray id_;
    QSize resolution_;
    quint32 seed_ = 1;
    bool running_ = false;
};
