// Run by the permission tests under other Unix accounts, from a copy in a
// scratch program folder (so that folder is its program folder, as the
// station's is): one step of what the station does with its shared files,
// the outcome on standard output.
//   operatorhelper read              the settings, as start-up reads them
//   operatorhelper write <store>     the settings, as the settings screen saves them
//   operatorhelper log <text>        an error-log entry
//   operatorhelper lock              the running-copy lock, held until stdin closes
//   operatorhelper photo-write <f>   a camera photo into 회원사진/<f>
//   operatorhelper photo-read <f>    회원사진/<f> as a save reads it (its bytes)
//   operatorhelper camera-write <id> the camera choice
//   operatorhelper camera-read       the camera choice a start finds

#include "config/settingsfile.h"
#include "photo/camerachoice.h"
#include "photo/photoimage.h"
#include "util/errorlog.h"
#include "util/safefile.h"
#include "util/singleinstance.h"

#include <QCoreApplication>
#include <QImage>
#include <QTextStream>

#include <unistd.h>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    QTextStream out(stdout);
    const QString step = args.value(0);
    if (step == QLatin1String("read")) {
        QString why;
        const SettingsReadResult read = LoadStationConfig(&why);
        out << (read == SettingsReadResult::Ok ? StationConfig.StoreCode : why) << Qt::endl;
        return read == SettingsReadResult::Ok ? 0 : 1;
    }
    if (step == QLatin1String("write")) {
        SettingsFields fields;
        fields.StoreCode = args.value(1);
        fields.ServerIp = QStringLiteral("127.0.0.1");
        fields.DbName = QStringLiteral("QTR");
        fields.LoginId = QStringLiteral("sa");
        fields.LoginPassword = QStringLiteral("pw");
        fields.PosId = QStringLiteral("01");
        QString why;
        const bool saved = SaveSettingsFile(fields, &why);
        out << (saved ? QStringLiteral("saved") : why) << Qt::endl;
        return saved ? 0 : 1;
    }
    if (step == QLatin1String("log")) {
        WriteErrorLog(QStringLiteral("operatorhelper"), args.value(1));
        return 0;
    }
    if (step == QLatin1String("lock")) {
        SingleInstance instance(SingleInstanceLockPath());
        if (!instance.acquire()) {
            out << "refused" << Qt::endl;
            return 2;
        }
        out << "running" << Qt::endl;
        char c = 0;
        while (read(STDIN_FILENO, &c, 1) > 0) {
        }
        return 0;
    }
    const QString photo = PhotoFolderPath() + QLatin1Char('/') + args.value(1);
    if (step == QLatin1String("photo-write")) {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::green);
        const bool written = WriteJpeg(image, photo);
        out << (written ? "written" : "not written") << Qt::endl;
        return written ? 0 : 1;
    }
    if (step == QLatin1String("photo-read")) {
        QString why;
        const std::optional<QByteArray> bytes = ReadSharedFile(photo, MaxSharedFileBytes, &why);
        out << (bytes ? QString::fromLatin1(*bytes) : why) << Qt::endl;
        return bytes ? 0 : 1;
    }
    if (step == QLatin1String("camera-write")) {
        QString why;
        const bool saved = RememberCamera({args.value(1).toUtf8(), {}}, &why);
        out << (saved ? QStringLiteral("saved") : why) << Qt::endl;
        return saved ? 0 : 1;
    }
    if (step == QLatin1String("camera-read")) {
        const std::optional<CameraSetting> camera = RememberedCamera();
        out << (camera ? QString::fromUtf8(camera->Id) : QStringLiteral("none")) << Qt::endl;
        return camera ? 0 : 1;
    }
    out << "unknown step" << Qt::endl;
    return 3;
}
