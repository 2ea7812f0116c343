#pragma once
// A multi-line text box whose text, as read and written by the screens, has
// its line breaks as CR LF, as a Windows text box holds them. Text put in
// comes back out exactly: a CR LF is a new paragraph, a lone CR or a lone
// LF is a line break that remembers which it was, and a CR LF whose LF
// comes in a later appendText() is still one CR LF.

#include <QPlainTextEdit>

class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    // Adds text at the end, leaving the view on the newest lines.
    void appendText(const QString& text);
};
