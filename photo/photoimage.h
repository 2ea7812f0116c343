#pragma once
// The member photo as a picture: how a camera frame becomes the JPEG file,
// and how a JPEG file is shown in a screen's photo box.

#include <QImage>
#include <QSize>
#include <QString>

class QWidget;

// The photo folder 회원사진 of the program folder: the camera screen writes
// its capture there and the save reads it from there.
QString PhotoFolderPath();

// Largest photo kept; bigger frames are scaled down, aspect kept.
inline constexpr QSize kMaxPhotoSize(640, 480);
inline constexpr int kPhotoJpegQuality = 85;

// The image scaled down to fit kMaxPhotoSize, aspect kept; never scaled up.
QImage FitPhoto(const QImage& image);

// Writes image as a JPEG at path. The file appears only complete: a failed
// write leaves no file behind and an existing file as it was.
bool WriteJpeg(const QImage& image, const QString& path, int quality = kPhotoJpegQuality);

// Shows the JPEG at jpegPath in the QLabel named "회원사진" of form, scaled
// to the label's box with its aspect kept and centred. Returns false, with
// the reason in whyNot (when given), if form or the label is missing or the
// file is not a readable picture; the label is then left as it was.
bool ShowPhotoOn(QWidget* form, const QString& jpegPath, QString* whyNot = nullptr);
