#pragma once
// Obfuscation of the store-server login in the settings file (not
// encryption): every character's CP949 code, read as a signed 16-bit number,
// is shifted by a fixed key.

#include <QString>
#include <QtGlobal>

#include <optional>

// Each character's code minus `key`. On failure (a code leaves the 16-bit
// range or names no CP949 character, or the input holds a character CP949
// cannot hold) the failure is logged under "EnCoding" and the result is "".
QString EnCoding(const QString& text, qint16 key);

// Each character's code plus `key`; failures are logged under "DeCoding"
// and give "".
QString DeCoding(const QString& text, qint16 key);

// The shift itself, without logging: the shifted text, or nothing when a
// character cannot be shifted (then `error`, when given, says why).
// EnCoding is ShiftCodes(text, -key), DeCoding ShiftCodes(text, +key).
std::optional<QString> ShiftCodes(const QString& text, int delta, QString* error = nullptr);
