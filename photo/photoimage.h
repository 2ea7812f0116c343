#pragma once
// The member photo as a picture: how a camera frame becomes the JPEG file,
// and how a JPEG file is shown in a screen's photo box.

#include <QImage>
#include <QSize>
#include <QString>

class QLabel;

// The photo folder 회원사진 of the program folder: the camera screen writes
// its capture there and the save reads it from there.
QString PhotoFolderPath();

// A member's photo file: photoFileBase ("010-" and the phone field's text)
// followed by ".JPG", in the photo folder. The camera screen writes it, the
// save reads and removes it.
QString MemberPhotoPath(const QString& photoFileBase);

// Largest photo kept; bigger frames are scaled down, aspect kept.
inline constexpr QSize kMaxPhotoSize(640, 480);
inline constexpr int kPhotoJpegQuality = 85;

// The image scaled down to fit kMaxPhotoSize, aspect kept; never scaled up.
QImage FitPhoto(const QImage& image);

// Writes image as a JPEG at path. The file appears only complete: a failed
// write leaves no file behind and an existing file as it was.
bool WriteJpeg(const QImage& image, const QString& path, int quality = kPhotoJpegQuality);

// Shows the JPEG at jpegPath in box (a screen's "회원사진"), scaled to the
// box with its aspect kept and centred. Returns false, with the reason in
// whyNot (when given), if there is no box or the file is not a readable
// picture; the box is then left as it was.
bool ShowPhotoOn(QLabel* box, const QString& jpegPath, QString* whyNot = nullptr);
