#include "components/widgets/composition.h"

#include "components/widgets/imemode.h"

#include <QApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QWidget>

Composition::Composition(QWidget* screen) : QObject(screen), screen_(screen) {
    for (QWidget* child : screen->findChildren<QWidget*>()) {
        if (child->testAttribute(Qt::WA_InputMethodEnabled)) {
            fields_.insert(child, Field{});
            child->installEventFilter(this);
            connect(child, &QObject::destroyed, this,
                    [this](QObject* gone) { fields_.remove(gone); });
        }
    }
}

QString Composition::composing(const QWidget* field) const {
    return fields_.value(field).shown;
}

void Composition::complete() {
    if (screen_.isNull()) {
        return;
    }
    imemode::complete(screen_);
    QWidget* focused = QApplication::focusWidget();
    const auto it = fields_.find(focused);
    if (it == fields_.end()) {
        return;
    }
    if (!it->shown.isEmpty()) {
        // The input method did not complete it on request: its own reset
        // may still hand over its copy (Qt's on Windows does), else the field
        // takes it as shown.
        QGuiApplication::inputMethod()->reset();
        completeShown(focused);
    }
    expectEcho(*it);
}

void Composition::expectEcho(Field& field) {
    if (!field.completed.isEmpty()) {
        echo_ = field.completed;
        field.completed.clear();
    }
}

void Composition::completeShown(QWidget* field) {
    const auto it = fields_.constFind(field);
    if (it == fields_.constEnd() || it->shown.isEmpty()) {
        return;
    }
    QInputMethodEvent done;
    done.setCommitString(it->shown);
    QApplication::sendEvent(field, &done);
}

bool Composition::isEcho(const Field& field, const QInputMethodEvent& event) const {
    return !echo_.isEmpty() && event.commitString() == echo_ && event.preeditString().isEmpty() &&
           event.replacementLength() == 0 && field.shown.isEmpty();
}

bool Composition::eventFilter(QObject* watched, QEvent* event) {
    const auto it = fields_.find(watched);
    if (it == fields_.end()) {
        return false;
    }
    Field& field = *it;
    switch (event->type()) {
    case QEvent::InputMethod: {
        const auto& im = static_cast<const QInputMethodEvent&>(*event);
        if (isEcho(field, im)) {
            echo_.clear();
            return true;
        }
        if (!im.preeditString().isEmpty() || !im.commitString().isEmpty()) {
            echo_.clear();
        }
        const bool ends =
            !im.commitString().isEmpty() && im.preeditString().isEmpty() && !field.shown.isEmpty();
        field.completed = ends ? im.commitString() : QString();
        field.shown = im.preeditString();
        break;
    }
    case QEvent::KeyPress:
        // A key the input method let through (space, Tab, Enter) ended its
        // syllable itself: nothing more of it will follow.
        field.completed.clear();
        break;
    case QEvent::FocusOut: {
        // Qt has asked the input method to complete by now; a composition
        // it left behind (or one no input method knows of) goes in as shown.
        completeShown(static_cast<QWidget*>(watched));
        expectEcho(field);
        break;
    }
    default:
        break;
    }
    return false;
}
