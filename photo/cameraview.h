#pragma once
// The camera component of the camera screen: a live preview stretched over
// its whole area, saving the current frame as a JPEG, and a settings dialog
// for the camera. Frames arrive through the component's own video sink;
// only the latest is kept, and it becomes an image only to be painted or
// saved.

#include "photo/framesource.h"

#include <QVideoFrame>
#include <QWidget>
#include <memory>

class QTimer;
class QVideoSink;

class CameraView : public QWidget {
    Q_OBJECT
public:
    // Takes source (the system's default camera when none is given),
    // switches it to the camera remembered from the settings when there is
    // one, and starts it: the preview runs from now until the view is hidden.
    explicit CameraView(QWidget* parent = nullptr, std::unique_ptr<FrameSource> source = {});
    ~CameraView() override;

    // Writes the current frame to path as a JPEG of at most 640 × 480 with
    // the camera's aspect. False when there is no frame or it could not be
    // written, with the reason in why.
    bool SaveFrameAsJpeg(const QString& path, QString* why = nullptr);

    // The camera and resolution choice, modal, applied as they change and
    // remembered for the next time (photo/camerachoice.h).
    void ShowDeviceSettings();

    // Every frame the preview shows comes through this sink (none where the
    // system lacks what the camera needs).
    QVideoSink* videoSink() const { return sink_; }
    FrameSource* frameSource() const { return source_.get(); }
    const QVideoFrame& latestFrame() const { return frame_; }
    // What the preview says instead of an image (empty while showing one).
    QString notice() const;

    // How often the preview checks that the camera delivers.
    static constexpr int kFrameWatchMs = 4000;
    // The check the preview's timer makes: no usable frame since the last
    // one (none since opening, or frames that stopped) means the camera is
    // not delivering, and the preview says what is likely wrong.
    void checkFrames();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void startSource();
    void pickUpPluggedCamera();

    QVideoSink* sink_;
    QTimer* watchdog_;
    int framesSinceCheck_ = 0;
    bool stalled_ = false;
    std::unique_ptr<FrameSource> source_;
    QVideoFrame frame_;
    bool running_ = false;
};
