#include "util/cp949.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
// ICU's "cp949" is IBM's table and loses Hangul syllables; Microsoft's table
// is "windows-949".
constexpr const char* kCodecName = "windows-949";
} // namespace

namespace cp949 {

QByteArray encode(const QString& text, bool* lossless) {
    QByteArray out;
    out.reserve(text.size() * 2);
    bool ok = true;
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    // Encode per code point so an unmappable one becomes exactly one '?'.
    const auto* p = text.constData();
    const auto* end = p + text.size();
    while (p < end) {
        qsizetype len = 1;
        if (p->isHighSurrogate() && p + 1 < end && (p + 1)->isLowSurrogate()) {
            len = 2;
        }
        const QStringView piece(p, len);
        bool pieceOk = encoder.isValid() && !piece.front().isSurrogate();
        QByteArray bytes;
        if (pieceOk) {
            bytes = encoder.encode(piece);
            // ICU substitutes '?' or SUB (0x1A); both are also real characters.
            pieceOk = !encoder.hasError() && !bytes.isEmpty() &&
                      !(bytes == "?" && piece.front() != u'?') &&
                      !(bytes.contains('\x1a') && piece.front() != u'\x1a');
            if (encoder.hasError()) {
                // The error flag survives resetState(), which would turn every
                // later character into '?': start over with a fresh encoder.
                encoder = QStringEncoder(kCodecName, QStringConverter::Flag::Stateless);
            } else {
                encoder.resetState();
            }
        }
        if (pieceOk) {
            out += bytes;
        } else {
            out += '?';
            ok = false;
        }
        p += len;
    }
    if (lossless) {
        *lossless = ok;
    }
    return out;
}

QString decode(const QByteArray& bytes, bool* valid) {
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    QString out = decoder.decode(bytes);
    const bool ok =
        decoder.isValid() && !decoder.hasError() && !out.contains(QChar::ReplacementCharacter);
    if (valid) {
        *valid = ok;
    }
    return out;
}

} // namespace cp949
