#pragma once
// Label whose caption the screens read and write (the dialogs keep their
// countdown number in it).

#include <QLabel>

class MyLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
public:
    explicit MyLabel(QWidget* parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
};
