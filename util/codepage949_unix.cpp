#include "util/codepage949.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
// ICU's "cp949" is IBM's table and loses Hangul syllables; Microsoft's table
// is "windows-949".
constexpr const char* kCodecName = "windows-949";

// ICU reads the single byte 0xFF as U+F8F7 (Private Use Area); Windows refuses
// it as invalid, as it refuses every single byte of a private character, and
// the Windows stations are what wrote the existing files. Encoding U+F8F7
// gives 0xFF on both.
constexpr char kRefusedByte = '\xFF';
} // namespace

namespace codepage949 {

bool EncodeChar(QStringView character, QByteArray* out) {
    QStringEncoder encoder(kCodecName, QStringConverter::Flag::Stateless);
    if (!encoder.isValid()) {
        return false;
    }
    const QByteArray bytes = encoder.encode(character);
    // ICU substitutes '?' or SUB (0x1A); both are also real characters.
    if (encoder.hasError() || bytes.isEmpty() || (bytes == "?" && character.front() != u'?') ||
        (bytes.contains('\x1a') && character.front() != u'\x1a')) {
        return false;
    }
    out->append(bytes);
    return true;
}

bool DecodeAll(const QByteArray& bytes, QString* out) {
    if (bytes.contains(kRefusedByte)) {
        return false;
    }
    QStringDecoder decoder(kCodecName, QStringConverter::Flag::Stateless);
    *out = decoder.decode(bytes);
    return decoder.isValid() && !decoder.hasError() && !out->contains(QChar::ReplacementCharacter);
}

bool DecodeCode(const char* code, int size, QString* out) {
    QString text;
    if (!DecodeAll(QByteArray(code, size), &text) || text.size() != 1) {
        return false;
    }
    out->append(text);
    return true;
}

} // namespace codepage949
