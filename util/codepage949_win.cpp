#include "util/codepage949.h"

#include <windows.h>

namespace {
constexpr UINT kCodePage = 949;
} // namespace

namespace codepage949 {

bool EncodeChar(QStringView character, QByteArray* out) {
    char bytes[8];
    BOOL usedDefault = FALSE;
    // No best fit: a character without a code of its own is refused, as ICU
    // refuses it, instead of becoming a look-alike.
    const int size = WideCharToMultiByte(
        kCodePage, WC_NO_BEST_FIT_CHARS, reinterpret_cast<LPCWCH>(character.utf16()),
        int(character.size()), bytes, int(sizeof bytes), nullptr, &usedDefault);
    if (size <= 0 || usedDefault) {
        return false;
    }
    out->append(bytes, size);
    return true;
}

bool DecodeAll(const QByteArray& bytes, QString* out) {
    out->clear();
    if (bytes.isEmpty()) {
        return true;
    }
    const int size = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.constData(),
                                         int(bytes.size()), nullptr, 0);
    if (size <= 0) {
        return false;
    }
    out->resize(size);
    return MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes.constData(),
                               int(bytes.size()), reinterpret_cast<LPWSTR>(out->data()),
                               size) == size;
}

bool DecodeCode(const char* code, int size, QString* out) {
    wchar_t text[2];
    const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, code, size, text, 2);
    if (n != 1) {
        return false;
    }
    out->append(QChar(char16_t(text[0])));
    return true;
}

} // namespace codepage949
