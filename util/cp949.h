#pragma once
// The station's text files (settings file, error log) are in the Korean
// ANSI code page 949 with CR LF line ends, as on the stations that wrote
// them before. This is the one codec for them.

#include <QByteArray>
#include <QString>

namespace cp949 {

// Characters the code page cannot hold become '?'. When `lossless` is given
// it tells whether every character survived.
QByteArray encode(const QString& text, bool* lossless = nullptr);

// Invalid byte sequences become U+FFFD. When `valid` is given it tells
// whether the bytes were valid CP949.
QString decode(const QByteArray& bytes, bool* valid = nullptr);

} // namespace cp949
