#pragma once
// The message panel of the message box and the yes/no dialog: shows its
// caption bold and centred; each CR LF starts a new line and long lines wrap.
// It paints no background of its own, so the window's art shows through.

#include <QWidget>

class CaptionPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
public:
    explicit CaptionPanel(QWidget* parent = nullptr);

    // The text exactly as given, line breaks included.
    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
};
