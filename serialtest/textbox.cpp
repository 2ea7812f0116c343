#include "serialtest/textbox.h"

#include <QScrollBar>

namespace {

QString toParagraphs(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
}

} // namespace

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent) {}

QString TextBox::text() const {
    return toPlainText().replace(u'\n', QStringLiteral("\r\n"));
}

void TextBox::setText(const QString& text) {
    setPlainText(toParagraphs(text));
}

void TextBox::appendText(const QString& text) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(toParagraphs(text));
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}
