#include "photo/camerachoice.h"

#include "photo/framesource.h"
#include "util/cp949.h"
#include "util/programfolder.h"
#include "util/safefile.h"

#include <QRegularExpression>

namespace {

const QString kCameraKey = QStringLiteral("카메라");
const QString kResolutionKey = QStringLiteral("해상도");
// A settings file of a few lines; anything longer is not ours.
constexpr qint64 kMaxFileSize = 64 * 1024;

QString sizeText(const QSize& size) {
    return size.isEmpty() ? QString()
                          : QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// Readable ids ("/dev/video0", Windows device paths) stay as they are; only
// '%', spaces, control and non-ASCII bytes are escaped.
QByteArray printableAscii() {
    QByteArray keep;
    for (char c = '!'; c <= '~'; ++c) {
        if (c != '%') {
            keep.append(c);
        }
    }
    return keep;
}

QSize parseSize(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,5})\\s*[xX×]\\s*(\\d{1,5})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch()) {
        return {};
    }
    return {match.captured(1).toInt(), match.captured(2).toInt()};
}

std::optional<CameraSetting> readFile() {
    const std::optional<QByteArray> bytes =
        ReadSharedFile(ProgramFilePath(CameraChoiceFileName), kMaxFileSize, nullptr);
    if (!bytes) {
        return std::nullopt;
    }
    CameraSetting setting;
    const QStringList lines =
        cp949::decode(*bytes).split(QRegularExpression(QStringLiteral("\r\n|\r|\n")));
    for (const QString& line : lines) {
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            continue;
        }
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == kCameraKey) {
            setting.Id = QByteArray::fromPercentEncoding(value.toLatin1());
        } else if (key == kResolutionKey) {
            setting.Resolution = parseSize(value);
        }
    }
    if (setting.Id.isEmpty()) {
        return std::nullopt;
    }
    return setting;
}

} // namespace

std::optional<CameraSetting> RememberedCamera() {
    if (ChosenCamera) {
        return ChosenCamera;
    }
    return readFile();
}

bool RememberCamera(const CameraSetting& choice, QString* error) {
    ChosenCamera = choice;
    const QString text = kCameraKey + QStringLiteral(" = ") +
                         QString::fromLatin1(choice.Id.toPercentEncoding(printableAscii())) +
                         QStringLiteral("\r\n") + kResolutionKey + QStringLiteral(" = ") +
                         sizeText(choice.Resolution) + QStringLiteral("\r\n");
    const QByteArray bytes = cp949::encode(text);
    // Every operator's choice counts: the file the package leaves (root's,
    // group-writable) is written in place, one of this account's replaced.
    return UpdateSharedFile(ProgramFilePath(CameraChoiceFileName), bytes, error);
}

void UseRememberedCamera(FrameSource& source) {
    const std::optional<CameraSetting> remembered = RememberedCamera();
    if (!remembered) {
        return;
    }
    for (const CameraChoice& camera : source.cameras()) {
        if (camera.id != remembered->Id) {
            continue;
        }
        const QSize size =
            camera.resolutions.contains(remembered->Resolution) ? remembered->Resolution : QSize();
        if (camera.id != source.cameraId() || size != source.resolution()) {
            source.useCamera(camera.id, size);
        }
        return;
    }
}
