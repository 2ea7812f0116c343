#pragma once
// The system's side of the CP949 codec (util/cp949.h): ICU's "windows-949"
// table on Linux, the code page 949 of Windows itself there. cp949.cpp
// walks the text and decides what becomes '?' or U+FFFD, so both behave
// alike wherever the tables agree.

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace codepage949 {

// Appends the bytes of one character (one code point) to `out`; false,
// appending nothing, when the code page has no code for it.
bool EncodeChar(QStringView character, QByteArray* out);

// Decodes the whole of `bytes` into `out`; false when any byte sequence is
// not a code of the code page (`out` is then unspecified).
bool DecodeAll(const QByteArray& bytes, QString* out);

// Appends the character of one code (`size` is 1 or 2 bytes); false,
// appending nothing, when it is not a code of the code page.
bool DecodeCode(const char* code, int size, QString* out);

} // namespace codepage949
