#pragma once
// The camera screen: the live image of the station's webcam and a button
// that saves the current frame as the member's photo. The opener sets
// PhotoFileBase (the file name without ".JPG") and CallerForm (the screen
// whose "회원사진" box shows the new photo) before exec(), and empties
// PhotoFileBase after it returns. A successful save closes the screen with
// QDialog::Accepted; Escape or the window's close button leave without one.

#include "photo/cameraview.h"

#include <QDialog>
#include <memory>

class QPushButton;

class FrmPOS_사진찍기 : public QDialog {
public:
    // source: where the preview's frames come from; the system's camera
    // when none is given (the one chosen in the camera settings, see
    // photo/camerachoice.h).
    explicit FrmPOS_사진찍기(QWidget* parent = nullptr, std::unique_ptr<FrameSource> source = {});

    CameraView* ezVidCap() const { return ezVidCap_; }

    void 버튼사진찍기_Click();
    void 카메라설정_Click();

private:
    CameraView* ezVidCap_;
    QPushButton* 버튼사진찍기_;
    QPushButton* 카메라설정_;
};
