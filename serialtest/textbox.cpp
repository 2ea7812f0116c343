#include "serialtest/textbox.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// A lone CR or LF is kept in the document as a line separator (shown as a
// line break) whose character format names the character it stands for.
constexpr int kLineEnd = QTextFormat::UserProperty + 1;

QTextCharFormat lineEndFormat(QChar end) {
    QTextCharFormat format;
    format.setProperty(kLineEnd, QString(end));
    return format;
}

// Ends of the document that a following LF completes to CR LF.
bool endsWithLoneCr(const QTextDocument& document) {
    const int end = document.characterCount() - 1; // before the final paragraph mark
    if (end < 1 || document.characterAt(end - 1) != QChar::LineSeparator) {
        return false;
    }
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(end);
    return cursor.charFormat().property(kLineEnd).toString() == QStringLiteral("\r");
}

} // namespace

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {}

QString TextBox::text() const {
    QString out;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block != document()->begin()) {
            out += QStringLiteral("\r\n");
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QVariant end = fragment.charFormat().property(kLineEnd);
            for (const QChar c : fragment.text()) {
                if (c != QChar::LineSeparator) {
                    out += c;
                } else {
                    // One typed with Shift+Enter is an ordinary new line.
                    out += end.isValid() ? end.toString() : QStringLiteral("\r\n");
                }
            }
        }
    }
    return out;
}

void TextBox::setText(const QString& text) {
    clear();
    appendText(text);
}

void TextBox::appendText(const QString& text) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    qsizetype i = 0;
    if (text.startsWith(u'\n') && endsWithLoneCr(*document())) {
        cursor.deletePreviousChar();
        cursor.insertBlock();
        i = 1;
    }
    QString run;
    const auto flush = [&] {
        if (!run.isEmpty()) {
            cursor.insertText(run, QTextCharFormat());
            run.clear();
        }
    };
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            flush();
            cursor.insertBlock();
            ++i;
        } else if (c == u'\r' || c == u'\n') {
            flush();
            cursor.insertText(QString(QChar::LineSeparator), lineEndFormat(c));
        } else {
            run += c;
        }
    }
    flush();
    cursor.endEditBlock();
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}
