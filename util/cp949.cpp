#include "util/cp949.h"

#include "util/codepage949.h"

namespace cp949 {

QByteArray encode(const QString& text, bool* lossless) {
    QByteArray out;
    out.reserve(text.size() * 2);
    bool ok = true;
    // Encode per code point so an unmappable one becomes exactly one '?'.
    const auto* p = text.constData();
    const auto* end = p + text.size();
    while (p < end) {
        qsizetype len = 1;
        if (p->isHighSurrogate() && p + 1 < end && (p + 1)->isLowSurrogate()) {
            len = 2;
        }
        const QStringView piece(p, len);
        if (piece.front().isSurrogate() || !codepage949::EncodeChar(piece, &out)) {
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
    QString out;
    bool ok = codepage949::DecodeAll(bytes, &out);
    if (!ok) {
        // Code by code, so that each invalid one becomes one U+FFFD in the
        // same place on every system: a lead byte with a trail byte that
        // makes no code is one invalid code, and an ASCII byte after it is
        // read again on its own.
        out.clear();
        out.reserve(bytes.size());
        const char* p = bytes.constData();
        const qsizetype n = bytes.size();
        qsizetype i = 0;
        while (i < n) {
            const auto lead = static_cast<unsigned char>(p[i]);
            const bool pair = lead >= 0x81 && lead <= 0xFE && i + 1 < n;
            if (pair && codepage949::DecodeCode(p + i, 2, &out)) {
                i += 2;
            } else if (codepage949::DecodeCode(p + i, 1, &out)) {
                i += 1;
            } else {
                out += QChar::ReplacementCharacter;
                i += pair && static_cast<unsigned char>(p[i + 1]) >= 0x80 ? 2 : 1;
            }
        }
    }
    if (valid) {
        *valid = ok;
    }
    return out;
}

} // namespace cp949
