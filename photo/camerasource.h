#pragma once
// The station's webcam through Qt Multimedia: the system's default camera
// to begin with, its frames delivered into the preview's sink.

#include "photo/framesource.h"

#include <QCamera>
#include <QMediaCaptureSession>
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
    void setProblem(const QString& text);

    QMediaCaptureSession session_;
    std::unique_ptr<QCamera> camera_;
    QString problem_;
};
