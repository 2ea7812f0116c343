#pragma once
// The camera screen: the live image of the station's webcam and a button
// that saves the current frame as the member's photo. The screen that opens
// it hands over what the save needs, and waits in exec(): CallerForm (that
// screen, the camera screen's parent), the box of CallerForm that shows the
// new photo ("회원사진"), and PhotoFileBase (the photo's file name without
// ".JPG"), which lives as long as the camera screen. A successful save
// closes the screen with QDialog::Accepted; Escape or the window's close
// button leave without one.

#include "photo/cameraview.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <memory>

class QLabel;
class QPushButton;

class FrmPOS_사진찍기 : public QDialog {
public:
    // source: where the preview's frames come from; the system's camera
    // when none is given (the one chosen in the camera settings, see
    // photo/camerachoice.h).
    FrmPOS_사진찍기(QWidget* CallerForm, QLabel* callerPhotoBox, const QString& PhotoFileBase,
                    std::unique_ptr<FrameSource> source = {});

    CameraView* ezVidCap() const { return ezVidCap_; }
    QWidget* CallerForm() const { return parentWidget(); }
    QLabel* callerPhotoBox() const { return callerPhotoBox_; }
    const QString& PhotoFileBase() const { return PhotoFileBase_; }

    void 버튼사진찍기_Click();
    void 카메라설정_Click();

private:
    QPointer<QLabel> callerPhotoBox_;
    const QString PhotoFileBase_;
    CameraView* ezVidCap_;
    QPushButton* 버튼사진찍기_;
    QPushButton* 카메라설정_;
};
