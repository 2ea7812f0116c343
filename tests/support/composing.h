#pragma once
// Input-method events as a Korean input method sends them, for the screens'
// tests: no input method runs, the events go straight to the fields.

#include "components/widgets/composition.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QWidget>

namespace composing {

// `committed` becomes part of the field's text; `syllable` is then shown
// composing after it, not yet text.
inline void type(QWidget* field, const QString& committed, const QString& syllable) {
    field->setFocus();
    QInputMethodEvent commit;
    commit.setCommitString(committed);
    QApplication::sendEvent(field, &commit);
    QInputMethodEvent preedit(syllable, {});
    QApplication::sendEvent(field, &preedit);
}

// What IBus with its Hangul engine sends after a reset: the syllable it
// composed once more, into whatever has the focus by then.
inline void repeat(const QString& syllable) {
    QWidget* focused = QApplication::focusWidget();
    if (focused != nullptr) {
        QInputMethodEvent again;
        again.setCommitString(syllable);
        QApplication::sendEvent(focused, &again);
    }
}

// The text shown composing in field, as the screen's own watcher saw it.
inline QString shown(QWidget* field) {
    const auto* watcher = field->window()->findChild<Composition*>();
    return watcher != nullptr ? watcher->composing(field) : QStringLiteral("<no watcher>");
}

} // namespace composing
