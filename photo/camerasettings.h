#pragma once
// The camera component's settings: which of the listed cameras, at which
// resolution. Every change goes to the source at once, so the preview
// behind the dialog shows it while the dialog is still open.

#include "util/programwide.h"

#include <QDialog>

class FrameSource;
class QComboBox;

class CameraSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit CameraSettingsDialog(FrameSource* source, QWidget* parent = nullptr);

    // What the lists show now, and whether it was changed since opening.
    CameraSetting choice() const;
    bool changed() const { return changed_; }

private:
    void fillResolutions();
    void apply();

    FrameSource* source_;
    QComboBox* cameras_;
    QComboBox* resolutions_;
    bool changed_ = false;
};
