#pragma once
// The syllable an input method is composing is shown in a field but is not
// yet part of its text. A screen that reads or clears its fields first
// completes it, so that what is stored is what the operator saw.
//
// One per screen, made after the screen's fields: it watches their
// input-method events. complete() makes the focused field's composition
// part of its text: by the input method's own request where the platform
// has one, else as it is shown. Leaving a field does the same for that
// field. Input methods that also complete the syllable themselves a moment
// later (IBus with its Hangul engine does, after a reset) send it once more,
// into whatever field has the focus by then; that repetition is dropped.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

class Composition : public QObject {
    Q_OBJECT
public:
    explicit Composition(QWidget* screen);

    void complete();

    // The text shown composing in field, not yet its text.
    QString composing(const QWidget* field) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Field {
        QString shown;
        // The composition most recently ended by a commit of the same text,
        // until anything else is typed there.
        QString completed;
    };

    bool isEcho(const Field& field, const class QInputMethodEvent& event) const;
    void completeShown(QWidget* field);
    void expectEcho(Field& field);

    QPointer<QWidget> screen_;
    QHash<const QObject*, Field> fields_;
    QString echo_;
};
