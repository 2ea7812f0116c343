#pragma once
// The station's webcam through Qt Multimedia: the system's default camera
// to begin with, its frames delivered into the preview's sink.

#include "photo/framesource.h"

#include <QCamera>
#include <QCameraDevice>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <memory>

class CameraFrameSource : public FrameSource {
    Q_OBJECT
public:
    explicit CameraFrameSource(QObject* parent = nullptr);
    ~CameraFrameSource() override;

    void setVideoSink(QVideoSink* sink) override;
    void start() override;
    void stop() override;

    QList<CameraChoice> cameras() const override;
    QByteArray cameraId() const override;
    QSize resolution() const override;
    void useCamera(const QByteArray& id, const QSize& resolution) override;

    QString problem() const override { return problem_; }

private:
    void openCamera(const QCameraDevice& device, const QSize& resolution);
    void readDevices();
    void setProblem(const QString& text);

    // The system's list, read once per opening and again only when a camera
    // is plugged in or out: on Windows each read starts every camera.
    QList<QCameraDevice> devices_;
    QMediaDevices* watcher_;
    QMediaCaptureSession session_;
    std::unique_ptr<QCamera> camera_;
    QString problem_;
};
