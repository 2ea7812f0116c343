#include "config/settingsfile.h"

#include "util/cp949.h"
#include "util/credential.h"
#include "util/groupaccess.h"
#include "util/programfolder.h"
#include "util/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <array>

namespace {

constexpr int kLinesRead = 8;

// Far above any key text and value the settings screen writes. A longer
// line is refused rather than cut: a cut address or login would only fail
// later, at the server, with no hint that the file is at fault.
constexpr qsizetype kMaxLineBytes = 4096;

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

// The raw lines of a settings file, read no further than needed.
struct RawLines {
    QList<QByteArray> lines;
    qsizetype tooLong = -1; // the 1-based number of a line over the limit
    bool failed = false;    // a read error (see the file's errorString)
};

// Up to `max` lines of `file`, split as SplitLines does. Reads byte by byte
// through the file's buffer, so it never holds more than one line of at most
// kMaxLineBytes however large the file.
RawLines ReadRawLines(QFile& file, int max) {
    RawLines read;
    QByteArray line;
    char c = 0;
    while (read.lines.size() < max) {
        if (!file.getChar(&c)) {
            read.failed = file.error() != QFileDevice::NoError;
            if (!read.failed && !line.isEmpty()) {
                read.lines.append(line);
            }
            break;
        }
        if (c != '\r') {
            if (line.size() == kMaxLineBytes) {
                read.tooLong = read.lines.size() + 1;
                break;
            }
            line.append(c);
            continue;
        }
        read.lines.append(line);
        line.clear();
        char next = 0;
        if (file.peek(&next, 1) == 1 && next == '\n') {
            file.skip(1);
        }
    }
    return read;
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
    const auto fail = [&](SettingsReadResult result, const QString& why) {
        if (error) {
            *error = QDir::toNativeSeparators(path) + QStringLiteral(": ") + why;
        }
        return result;
    };
    // Only a plain file is read, never through a link; the lines are bounded
    // below, so the file's size is not.
    QFile file;
    bool missing = false;
    QString why;
    // A save that stopped midway is finished first; one that cannot be is
    // a damaged file, never a mix of old and new values.
    if (!RecoverSharedFile(path, &why)) {
        return fail(SettingsReadResult::Unreadable,
                    QStringLiteral("저장이 끝나지 않은 파일입니다 (%1)").arg(why));
    }
    if (!OpenSharedFile(file, path, -1, &why, &missing)) {
        const QFileInfo info(path);
        if (missing || (info.isDir() && !info.isSymLink())) {
            return fail(SettingsReadResult::Missing, QStringLiteral("파일이 없습니다"));
        }
        if (error) {
            *error = why;
        }
        return SettingsReadResult::Unreadable;
    }
    // The installer makes an empty file that operators may write: nothing
    // saved yet.
    if (file.size() == 0) {
        return fail(SettingsReadResult::Missing, QStringLiteral("파일이 비어 있습니다"));
    }
    const RawLines raw = ReadRawLines(file, kLinesRead);
    if (raw.failed) {
        return fail(SettingsReadResult::Unreadable,
                    QStringLiteral("읽지 못했습니다 (%1)").arg(file.errorString()));
    }
    file.close();
    if (raw.tooLong > 0) {
        return fail(SettingsReadResult::Unreadable,
                    QStringLiteral("%1 번째 줄이 %2 바이트보다 깁니다")
                        .arg(raw.tooLong)
                        .arg(kMaxLineBytes));
    }
    if (raw.lines.size() < kLinesRead) {
        return fail(SettingsReadResult::TooFewLines,
                    QStringLiteral("%1 줄이 있어야 하는데 %2 줄뿐입니다")
                        .arg(kLinesRead)
                        .arg(raw.lines.size()));
    }
    // No editor writes a NUL, and a value holding one would reach the
    // driver cut short (the rest of the connection string dropped): this is
    // no settings file.
    QStringList lines;
    for (const QByteArray& line : raw.lines) {
        if (line.contains('\0')) {
            return fail(SettingsReadResult::Unreadable,
                        QStringLiteral("%1 번째 줄에 NUL 문자가 있습니다 (텍스트 파일이 아닙니다)")
                            .arg(lines.size() + 1));
        }
        lines.append(cp949::decode(line));
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
        const QByteArray encoded = cp949::encode(kKeyTexts[i] + values[i], &lossless);
        // A NUL would make the whole file unreadable.
        if (!lossless || values[i].contains(QChar(u'\0'))) {
            return fail(
                QStringLiteral("%1 값에 파일에 쓸 수 없는 문자가 있습니다").arg(KeyName(line)));
        }
        // Start-up would refuse the line.
        if (encoded.size() > kMaxLineBytes) {
            return fail(QStringLiteral("%1 값이 너무 깁니다").arg(KeyName(line)));
        }
        bytes += encoded + "\r\n";
    }

    // Replaced whole, never written through a link, never left torn. It
    // holds the store-server login, so every operator account (the folder's
    // group) may read it and no one else.
    QString why;
    if (!RewriteSharedFile(path, bytes, GroupAccess::Read, &why)) {
        return fail(why);
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
