#include "config/settingsfile.h"

#include "util/cp949.h"
#include "util/credential.h"
#include "util/programfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <array>

namespace {

constexpr int kLinesRead = 8;

enum Line { StoreCode, ServerIp, ServerPort, DbKind, DbName, LoginId, LoginPw, PosId, BizNo };

const std::array<QString, 9> kKeyTexts = {
    QStringLiteral("매장코드 = "),        QStringLiteral("점서버_IP = "),
    QStringLiteral("점서버_포트 = "),     QStringLiteral("점서버_DB종류 = "),
    QStringLiteral("점서버_DB명 = "),     QStringLiteral("점서버_LOGIN_ID = "),
    QStringLiteral("점서버_LOGIN_PW = "), QStringLiteral("POSID  = "),
    QStringLiteral("사업자번호  = "),
};

// Up to `max` lines of `text`. A line ends at CR or CR LF; text after the
// last line end is a line of its own unless it is empty.
QStringList SplitLines(const QString& text, int max) {
    QStringList lines;
    qsizetype start = 0;
    while (lines.size() < max && start < text.size()) {
        const qsizetype cr = text.indexOf(u'\r', start);
        if (cr < 0) {
            lines.append(text.mid(start));
            break;
        }
        lines.append(text.mid(start, cr - start));
        start = cr + 1;
        if (start < text.size() && text.at(start) == u'\n') {
            ++start;
        }
    }
    return lines;
}

// Everything after the first "=" (the whole line when there is none), trimmed.
QString ValueOf(const QString& line) {
    const qsizetype eq = line.indexOf(u'=');
    return TrimSpaces(eq < 0 ? line : line.mid(eq + 1));
}

QString KeyName(Line line) {
    return kKeyTexts[line].section(u'=', 0, 0).trimmed();
}

} // namespace

QString SettingsFilePath(const QString& folder) {
    return QDir(folder).filePath(SettingsFileName);
}

QString TrimSpaces(const QString& text) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ') {
        ++first;
    }
    while (last > first && text.at(last - 1) == u' ') {
        --last;
    }
    return text.mid(first, last - first);
}

QString FormatPosNumber(const QString& text) {
    QString sign;
    QString digits = text;
    if (digits.startsWith(u'-') || digits.startsWith(u'+')) {
        sign = digits.left(1);
        digits.remove(0, 1);
    }
    if (digits.isEmpty()) {
        return text;
    }
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9') {
            return text;
        }
    }
    while (digits.size() > 2 && digits.startsWith(u'0')) {
        digits.remove(0, 1);
    }
    digits = digits.rightJustified(2, u'0');
    // Only a negative number keeps its sign; -0 is 0.
    if (sign == QLatin1String("-") && digits != QLatin1String("00")) {
        return sign + digits;
    }
    return digits;
}

SettingsReadResult ReadSettingsFile(const QString& path, StationSettings& out, QString* error) {
    const QFileInfo info(path);
    if (!info.exists() || info.isDir()) {
        return SettingsReadResult::Missing;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = file.errorString();
        }
        return SettingsReadResult::Unreadable;
    }
    const QStringList lines = SplitLines(cp949::decode(file.readAll()), kLinesRead);
    file.close();
    if (lines.size() < kLinesRead) {
        return SettingsReadResult::TooFewLines;
    }
    // No editor writes a NUL, and a value holding one would reach the
    // driver cut short (the rest of the connection string dropped): this is
    // no settings file.
    for (const QString& line : lines) {
        if (line.contains(QChar(u'\0'))) {
            if (error) {
                *error = QStringLiteral("%1 은(는) 텍스트 파일이 아닙니다").arg(path);
            }
            return SettingsReadResult::Unreadable;
        }
    }
    StationSettings read;
    read.StoreCode = ValueOf(lines[StoreCode]);
    read.ServerIp = ValueOf(lines[ServerIp]);
    read.ServerPort = ValueOf(lines[ServerPort]);
    read.DbKind = ValueOf(lines[DbKind]);
    read.DbName = ValueOf(lines[DbName]);
    read.LoginId = DeCoding(ValueOf(lines[LoginId]), CredentialKey);
    read.LoginPassword = DeCoding(ValueOf(lines[LoginPw]), CredentialKey);
    read.PosId = ValueOf(lines[PosId]);
    out = read;
    return SettingsReadResult::Ok;
}

SettingsReadResult LoadStationConfig(QString* error) {
    return ReadSettingsFile(SettingsFilePath(ProgramFolderPath()), StationConfig, error);
}

bool WriteSettingsFile(const QString& path, const SettingsFields& fields, QString* error) {
    const auto fail = [&](const QString& why) {
        if (error) {
            *error = why;
        }
        return false;
    };

    std::array<QString, 9> values = {
        TrimSpaces(fields.StoreCode),      TrimSpaces(fields.ServerIp),
        TrimSpaces(fields.ServerPort),     TrimSpaces(fields.DbKind),
        TrimSpaces(fields.DbName),         TrimSpaces(fields.LoginId),
        TrimSpaces(fields.LoginPassword),  FormatPosNumber(TrimSpaces(fields.PosId)),
        TrimSpaces(fields.BusinessNumber),
    };
    for (const Line line : {LoginId, LoginPw}) {
        const QString plain = values[line];
        values[line] = EnCoding(plain, CredentialKey);
        // An empty login in the file would only fail later, at the server.
        if (values[line].isEmpty() && !plain.isEmpty()) {
            return fail(QStringLiteral("%1 값을 암호화할 수 없습니다").arg(KeyName(line)));
        }
    }

    QByteArray bytes;
    for (int i = 0; i < int(values.size()); ++i) {
        const auto line = static_cast<Line>(i);
        if (values[i].contains(u'\r')) {
            return fail(QStringLiteral("%1 값에 줄바꿈 문자가 있습니다").arg(KeyName(line)));
        }
        bool lossless = false;
        bytes += cp949::encode(kKeyTexts[i] + values[i], &lossless);
        // A NUL would make the whole file unreadable.
        if (!lossless || values[i].contains(QChar(u'\0'))) {
            return fail(
                QStringLiteral("%1 값에 파일에 쓸 수 없는 문자가 있습니다").arg(KeyName(line)));
        }
        bytes += "\r\n";
    }

    // The system's description alone does not say which file.
    const auto failFile = [&](const QString& why) {
        return fail(QDir::toNativeSeparators(path) + QStringLiteral(": ") + why);
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return failFile(file.errorString());
    }
    // Before any byte is written: the temporary file replaces the old one
    // with these permissions.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        const QString why = file.errorString();
        file.cancelWriting();
        return failFile(why);
    }
    // QSaveFile::commit() ignores a failing flush and would put a short
    // file in place: flush here and check it.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        // A short write leaves only "Unknown error" behind: say what happened.
        const QString why = QStringLiteral("끝까지 쓰지 못했습니다 (%1)").arg(file.errorString());
        file.cancelWriting();
        return failFile(why);
    }
    if (!file.commit()) {
        return failFile(file.errorString());
    }
    return true;
}

bool SaveSettingsFile(const SettingsFields& fields, QString* error) {
    return WriteSettingsFile(SettingsFilePath(ProgramFolderPath()), fields, error);
}

bool LoginReadsBack(const QString& fieldText) {
    const QString typed = TrimSpaces(fieldText);
    const std::optional<QString> encoded = ShiftCodes(typed, -int(CredentialKey));
    if (!encoded) {
        return false;
    }
    bool lossless = false;
    const QByteArray bytes = cp949::encode(kKeyTexts[LoginId] + *encoded + "\r\n", &lossless);
    if (!lossless) {
        return false;
    }
    const QStringList lines = SplitLines(cp949::decode(bytes), 1);
    if (lines.isEmpty()) {
        return false;
    }
    return ShiftCodes(ValueOf(lines.front()), int(CredentialKey)) == typed;
}
