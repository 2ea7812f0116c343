#pragma once
// A multi-line text box whose text, as read and written by the screens, has
// its line breaks as CR LF, as a Windows text box holds them. The widget
// itself keeps paragraphs: a CR LF, a lone CR or a lone LF all start a new
// line and read back as CR LF.

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
