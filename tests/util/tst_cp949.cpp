#include "util/cp949.h"

#include <QFile>
#include <QMap>
#include <QTest>
#include <QTextStream>

namespace {

// Every code of the code page: what each single byte and each lead/trail
// pair decodes to, and what each character of the Basic Multilingual Plane
// encodes to, refused ones left out. The same on every system, checked
// against cp949-table.txt (made on Linux).
struct CodeTable {
    QMap<uint, uint> decoded; // code (byte, or lead << 8 | trail) -> character
    QMap<uint, uint> encoded; // character -> code

    static CodeTable Measure() {
        CodeTable t;
        for (uint code = 0; code <= 0xFEFF; ++code) {
            if (code > 0xFF && ((code >> 8) < 0x81)) {
                continue;
            }
            QByteArray bytes;
            if (code > 0xFF) {
                bytes += char(code >> 8);
            }
            bytes += char(code & 0xFF);
            bool valid = false;
            const QString text = cp949::decode(bytes, &valid);
            if (valid && text.size() == 1) {
                t.decoded.insert(code, text.front().unicode());
            }
        }
        for (uint c = 0; c <= 0xFFFF; ++c) {
            if (QChar::isSurrogate(c)) {
                continue;
            }
            bool lossless = false;
            const QByteArray bytes = cp949::encode(QString(QChar(char16_t(c))), &lossless);
            if (lossless) {
                uint code = 0;
                for (char b : bytes) {
                    code = code << 8 | uchar(b);
                }
                t.encoded.insert(c, code);
            }
        }
        return t;
    }

    // "D code character count": a run of codes that decode to characters
    // counting up alike, in hexadecimal. Encoding is the inverse of that but
    // for "E character code" (encodes to a code that decodes otherwise) and
    // "R character" (a decoded character that does not encode).
    QString Text() const {
        QString out;
        QTextStream s(&out);
        s << Qt::hex << Qt::uppercasedigits;
        for (auto it = decoded.cbegin(); it != decoded.cend();) {
            const uint code = it.key();
            const uint character = it.value();
            uint count = 0;
            while (it != decoded.cend() && it.key() == code + count &&
                   it.value() == character + count) {
                ++count;
                ++it;
            }
            s << "D " << code << ' ' << character << ' ' << count << '\n';
        }
        const QMap<uint, uint> inverse = Inverse(decoded);
        for (auto it = encoded.cbegin(); it != encoded.cend(); ++it) {
            if (inverse.value(it.key(), ~0u) != it.value()) {
                s << "E " << it.key() << ' ' << it.value() << '\n';
            }
        }
        for (auto it = inverse.cbegin(); it != inverse.cend(); ++it) {
            if (!encoded.contains(it.key())) {
                s << "R " << it.key() << '\n';
            }
        }
        return out;
    }

    static CodeTable Parse(const QString& text) {
        CodeTable t;
        QList<QStringList> exceptions;
        for (const QString& line : text.split(u'\n', Qt::SkipEmptyParts)) {
            const QStringList f = line.split(u' ');
            if (f[0] == u"D" && f.size() == 4) {
                const uint code = f[1].toUInt(nullptr, 16);
                const uint character = f[2].toUInt(nullptr, 16);
                const uint count = f[3].toUInt(nullptr, 16);
                for (uint i = 0; i < count; ++i) {
                    t.decoded.insert(code + i, character + i);
                }
            } else {
                exceptions.append(f);
            }
        }
        t.encoded = Inverse(t.decoded);
        for (const QStringList& f : exceptions) {
            if (f[0] == u"E" && f.size() == 3) {
                t.encoded.insert(f[1].toUInt(nullptr, 16), f[2].toUInt(nullptr, 16));
            } else if (f[0] == u"R" && f.size() == 2) {
                t.encoded.remove(f[1].toUInt(nullptr, 16));
            }
        }
        return t;
    }

    static QMap<uint, uint> Inverse(const QMap<uint, uint>& map) {
        QMap<uint, uint> inverse;
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            inverse.insert(it.value(), it.key());
        }
        return inverse;
    }
};

// The keys where two maps differ, each as "key: mine / reference" ("-" for none).
QStringList Differences(const QMap<uint, uint>& mine, const QMap<uint, uint>& reference) {
    QMap<uint, bool> keys;
    for (auto it = mine.cbegin(); it != mine.cend(); ++it) {
        keys.insert(it.key(), true);
    }
    for (auto it = reference.cbegin(); it != reference.cend(); ++it) {
        keys.insert(it.key(), true);
    }
    const auto show = [](const QMap<uint, uint>& map, uint key) {
        return map.contains(key) ? QString::number(map.value(key), 16).toUpper()
                                 : QStringLiteral("-");
    };
    QStringList out;
    for (auto it = keys.cbegin(); it != keys.cend(); ++it) {
        if (mine.value(it.key(), ~0u) != reference.value(it.key(), ~0u)) {
            out << QStringLiteral("%1: %2 / %3")
                       .arg(QString::number(it.key(), 16).toUpper(), show(mine, it.key()),
                            show(reference, it.key()));
        }
    }
    return out;
}

} // namespace

class TestCp949 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void allHangulSyllablesRoundTrip() {
        QString all;
        for (char16_t c = 0xAC00; c <= 0xD7A3; ++c) {
            all += QChar(c);
        }
        QCOMPARE(all.size(), 11172);
        bool lossless = false;
        const QByteArray bytes = cp949::encode(all, &lossless);
        QVERIFY(lossless);
        QCOMPARE(bytes.size(), 2 * 11172);
        bool valid = false;
        QCOMPARE(cp949::decode(bytes, &valid), all);
        QVERIFY(valid);
    }

    void knownBytes() {
        // "가" is B0A1 in code page 949; ASCII passes through.
        QCOMPARE(cp949::encode(QStringLiteral("A가")), QByteArray("A\xB0\xA1"));
        QCOMPARE(cp949::decode(QByteArray("\xC8\xB8\xBF\xF8")), QStringLiteral("회원"));
    }

    void unmappableBecomesQuestionMark() {
        bool lossless = true;
        // An emoji (outside the BMP) and a lone surrogate each become one '?'.
        const QString text = QStringLiteral("a") + QString::fromUtf8("\xF0\x9F\x98\x80") +
                             QChar(0xD800) + QStringLiteral("b");
        QCOMPARE(cp949::encode(text, &lossless), QByteArray("a??b"));
        QVERIFY(!lossless);
        QCOMPARE(cp949::encode(QStringLiteral("?"), &lossless), QByteArray("?"));
        QVERIFY(lossless);
    }

    void unmappableCharacterSpoilsNothingAfterIt() {
        // U+00FF has no CP949 code; the characters after it must survive.
        bool lossless = true;
        QCOMPARE(
            cp949::encode(QString::fromUtf8("\xC3\xBF") + QStringLiteral("ab가 2024"), &lossless),
            QByteArray("?ab\xB0\xA1 2024"));
        QVERIFY(!lossless);
    }

    void controlCharactersPassThrough() {
        // SUB (0x1A) is also ICU's substitution byte; a real one is kept.
        QString controls;
        for (char16_t c = 0; c < 32; ++c) {
            controls += QChar(c);
        }
        bool lossless = false;
        const QByteArray bytes = cp949::encode(controls, &lossless);
        QVERIFY(lossless);
        QCOMPARE(bytes.size(), 32);
        for (int i = 0; i < 32; ++i) {
            QCOMPARE(int(bytes[i]), i);
        }
        QCOMPARE(cp949::decode(bytes), controls);
    }

    void everyCodeAsOnLinux() {
        const CodeTable mine = CodeTable::Measure();
        // STATION_CP949_WRITE_TABLE=FILE writes the reference instead (on Linux).
        const QString target = qEnvironmentVariable("STATION_CP949_WRITE_TABLE");
        if (!target.isEmpty()) {
            QFile out(target);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QVERIFY(out.write(mine.Text().toLatin1()) > 0);
            QSKIP("reference table written");
        }
        QFile file(QStringLiteral(":/cp949-table.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const CodeTable reference = CodeTable::Parse(QString::fromLatin1(file.readAll()));
        QVERIFY(reference.decoded.size() > 17000);
        const QStringList decoded = Differences(mine.decoded, reference.decoded);
        const QStringList encoded = Differences(mine.encoded, reference.encoded);
        if (!decoded.isEmpty() || !encoded.isEmpty()) {
            qWarning().noquote() << "decoded differently (code: here / reference):"
                                 << decoded.join(u", ");
            qWarning().noquote() << "encoded differently (character: here / reference):"
                                 << encoded.join(u", ");
        }
        QVERIFY(decoded.isEmpty());
        QVERIFY(encoded.isEmpty());
    }

    void invalidCodesBecomeOneReplacementEach() {
        // A lead byte at the end; a lead byte whose trail makes no code (an
        // ASCII trail is read again on its own); the byte 0xFF.
        const struct {
            QByteArray bytes;
            QString text;
        } cases[] = {
            {QByteArray("\xB0\xA1\xB0"), QStringLiteral("가\uFFFD")},
            {QByteArray("\xB0!\xB0\xA1"), QStringLiteral("\uFFFD!가")},
            {QByteArray("a\xC9\xFF"
                        "b"),
             QStringLiteral("a\uFFFDb")},
        };
        for (const auto& c : cases) {
            bool valid = true;
            QCOMPARE(cp949::decode(c.bytes, &valid), c.text);
            QVERIFY(!valid);
        }
    }

    void invalidBytesAreReported() {
        bool valid = true;
        cp949::decode(QByteArray("\xB0"), &valid);
        QVERIFY(!valid);
    }
};

QTEST_GUILESS_MAIN(TestCp949)
#include "tst_cp949.moc"
