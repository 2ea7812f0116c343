#include "photo/photoimage.h"

#include "util/programfolder.h"
#include "util/safefile.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

QString PhotoFolderPath() {
    return ProgramFilePath(QStringLiteral("회원사진"));
}

QString MemberPhotoPath(const QString& photoFileBase) {
    return PhotoFolderPath() + QLatin1Char('/') + photoFileBase + QStringLiteral(".JPG");
}

QImage FitPhoto(const QImage& image) {
    if (image.width() <= kMaxPhotoSize.width() && image.height() <= kMaxPhotoSize.height()) {
        return image;
    }
    return image.scaled(kMaxPhotoSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

bool WriteJpeg(const QImage& image, const QString& path, int quality) {
    if (image.isNull()) {
        return false;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpg");
    writer.setQuality(quality);
    if (!writer.write(image)) {
        return false;
    }
    // Every operator reads and replaces the photos another left; a link
    // under the name is replaced, not written through.
    return ReplaceSharedFile(path, bytes, GroupAccess::Read);
}

bool ShowPhotoOn(QLabel* box, const QString& jpegPath, QString* whyNot) {
    auto fail = [whyNot](const QString& reason) {
        if (whyNot) {
            *whyNot = reason;
        }
        return false;
    };
    if (!box) {
        return fail(QStringLiteral("사진을 보여 줄 회원사진 칸이 없습니다"));
    }
    QString why;
    const std::optional<QByteArray> bytes = ReadSharedFile(jpegPath, MaxSharedFileBytes, &why);
    if (!bytes) {
        return fail(QStringLiteral("사진을 읽을 수 없습니다: %1").arg(why));
    }
    QBuffer buffer;
    buffer.setData(*bytes);
    QImageReader reader(&buffer);
    const QImage photo = reader.read();
    if (photo.isNull()) {
        return fail(
            QStringLiteral("사진을 읽을 수 없습니다: %1 (%2)").arg(jpegPath, reader.errorString()));
    }
    // A picture exactly the size of the box, the photo centred in it, so
    // that the box's own alignment does not matter.
    const QSize boxSize = box->contentsRect().size().expandedTo(QSize(1, 1));
    const qreal ratio = box->devicePixelRatioF();
    QPixmap picture(boxSize * ratio);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    const QImage scaled =
        photo.scaled(boxSize * ratio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    {
        QPainter p(&picture);
        const QSizeF shown = QSizeF(scaled.size()) / ratio;
        p.drawImage(QRectF(QPointF((boxSize.width() - shown.width()) / 2,
                                   (boxSize.height() - shown.height()) / 2),
                           shown),
                    scaled);
    }
    box->setPixmap(picture);
    return true;
}
