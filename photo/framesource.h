#pragma once
// Where the camera preview gets its frames. A source pushes frames into the
// video sink it is given; the preview keeps only the latest one. The
// production source drives the system's camera; tests and the benchmark use
// a synthetic one or push frames into the same sink themselves.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

class QVideoSink;

// One camera as the settings dialog offers it.
struct CameraChoice {
    QByteArray id;
    QString name;
    QList<QSize> resolutions; // largest first
};

class FrameSource : public QObject {
    Q_OBJECT
public:
    explicit FrameSource(QObject* parent = nullptr) : QObject(parent) {}
    ~FrameSource() override;

    // Frames go into sink from now on (the sink outlives the source).
    virtual void setVideoSink(QVideoSink* sink) = 0;
    virtual void start() = 0;
    virtual void stop() = 0;

    // The cameras as the system lists them at the moment of the call.
    virtual QList<CameraChoice> cameras() const = 0;
    virtual QByteArray cameraId() const = 0;
    // An empty size stands for the camera's own default.
    virtual QSize resolution() const = 0;
    // Switches to camera id at resolution (empty: its default), at once.
    virtual void useCamera(const QByteArray& id, const QSize& resolution) = 0;

    // Why there is no live image (no camera, a camera error); empty while
    // the source delivers.
    virtual QString problem() const = 0;

Q_SIGNALS:
    // The problem text changed; a new problem means earlier frames are stale.
    void problemChanged();
    // A camera was plugged in or out.
    void camerasChanged();
};

// A source with no camera and a fixed reason (the system lacks what the
// camera needs): nothing of the system's camera support is touched.
class UnavailableFrameSource : public FrameSource {
    Q_OBJECT
public:
    explicit UnavailableFrameSource(QString why, QObject* parent = nullptr)
        : FrameSource(parent), why_(std::move(why)) {}
    void setVideoSink(QVideoSink*) override {}
    void start() override {}
    void stop() override {}
    QList<CameraChoice> cameras() const override { return {}; }
    QByteArray cameraId() const override { return {}; }
    QSize resolution() const override { return {}; }
    void useCamera(const QByteArray&, const QSize&) override {}
    QString problem() const override { return why_; }

private:
    QString why_;
};
