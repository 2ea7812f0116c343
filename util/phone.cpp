#include "util/phone.h"

namespace {
// Inputs this long were never a phone number; they give the empty text, as
// they always have on the stations.
constexpr qsizetype kLongestInput = 32766;

// Full-width and other script digits do not count: the stored number must
// be plain ASCII.
QString asciiDigits(const QString& text) {
    QString d;
    for (const QChar c : text) {
        if (c >= u'0' && c <= u'9') {
            d += c;
        }
    }
    return d;
}

} // namespace

QString FormatPhoneNumber(const QString& input) {
    if (input.isEmpty() || input.size() > kLongestInput) {
        return {};
    }
    const QString d = asciiDigits(input);
    const auto dash = QLatin1Char('-');
    switch (d.size()) {
    case 7:
        return d.left(3) + dash + d.mid(3);
    case 8:
        return d.left(4) + dash + d.mid(4);
    case 9:
        return d.left(2) + dash + d.mid(2, 3) + dash + d.mid(5);
    case 10:
        if (d.startsWith(QLatin1String("02"))) {
            return d.left(2) + dash + d.mid(2, 4) + dash + d.mid(6);
        }
        return d.left(3) + dash + d.mid(3, 3) + dash + d.mid(6);
    case 11:
        return d.left(3) + dash + d.mid(3, 4) + dash + d.mid(7);
    default:
        return d;
    }
}

QString LocalPartOfWholeNumber(const QString& text, const QString& prefix) {
    // Longer than any number written out: not worth looking at.
    constexpr qsizetype kLongestNumberText = 64;
    if (text.size() > kLongestNumberText) {
        return text;
    }
    const QString prefixDigits = asciiDigits(prefix);
    const QString d = asciiDigits(text);
    const qsizetype local = d.size() - prefixDigits.size();
    if (prefixDigits.isEmpty() || !d.startsWith(prefixDigits) || local < 7 || local > 8) {
        return text;
    }
    return d.mid(prefixDigits.size());
}
