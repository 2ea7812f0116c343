#include "util/credential.h"

#include "util/cp949.h"
#include "util/errorlog.h"

#include <limits>

namespace {

// A character's code: its one CP949 byte (0..255), or lead * 256 + trail
// read as a signed 16-bit number (Hangul syllables are negative).
std::optional<int> CodeOf(QChar c) {
    bool lossless = false;
    const QByteArray bytes = cp949::encode(QString(c), &lossless);
    if (!lossless) {
        return std::nullopt;
    }
    const auto byte = [&](int i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() == 1) {
        return byte(0);
    }
    if (bytes.size() == 2) {
        return static_cast<qint16>(static_cast<quint16>(byte(0) << 8 | byte(1)));
    }
    return std::nullopt;
}

// The reverse: 0..255 is one byte, anything else the two bytes of its 16-bit
// pattern, high byte first. It must name exactly one character, and that
// character must give the same code back, or the file would not hold it.
std::optional<QChar> CharOf(int code) {
    QByteArray bytes;
    if (code >= 0 && code <= 255) {
        bytes.append(static_cast<char>(code));
    } else {
        const auto pattern = static_cast<quint16>(code);
        bytes.append(static_cast<char>(pattern >> 8));
        bytes.append(static_cast<char>(pattern & 0xFF));
    }
    bool valid = false;
    const QString text = cp949::decode(bytes, &valid);
    if (!valid || text.size() != 1 || CodeOf(text.front()) != code) {
        return std::nullopt;
    }
    return text.front();
}

} // namespace

std::optional<QString> ShiftCodes(const QString& text, int delta, QString* error) {
    const auto fail = [&](const QString& why) -> std::optional<QString> {
        if (error) {
            *error = why;
        }
        return std::nullopt;
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Descriptions name positions only: the text is a login.
        const std::optional<int> code = CodeOf(text.at(i));
        if (!code) {
            return fail(QStringLiteral("%1번째 문자는 코드 페이지 949에 없습니다").arg(i + 1));
        }
        const int shifted = *code + delta;
        if (shifted < std::numeric_limits<qint16>::min() ||
            shifted > std::numeric_limits<qint16>::max()) {
            return fail(QStringLiteral("오버플로: %1번째 문자의 코드가 16비트 범위를 벗어납니다")
                            .arg(i + 1));
        }
        const std::optional<QChar> result = CharOf(shifted);
        if (!result) {
            return fail(
                QStringLiteral("%1번째 문자의 새 코드에 해당하는 문자가 없습니다").arg(i + 1));
        }
        out += *result;
    }
    return out;
}

QString EnCoding(const QString& text, qint16 key) {
    QString error;
    const std::optional<QString> out = ShiftCodes(text, -int(key), &error);
    if (!out) {
        WriteErrorLog(QStringLiteral("EnCoding"), error);
        return {};
    }
    return *out;
}

QString DeCoding(const QString& text, qint16 key) {
    QString error;
    const std::optional<QString> out = ShiftCodes(text, int(key), &error);
    if (!out) {
        WriteErrorLog(QStringLiteral("DeCoding"), error);
        return {};
    }
    return *out;
}
