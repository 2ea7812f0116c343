#include "dialogs/messagebox.h"

#include "dialogs/messageform.h"

#include <optional>

namespace {

// A variant taken as a Boolean: null is false, numbers are true unless 0,
// texts "True"/"False" or a number; anything else cannot be taken.
std::optional<bool> asBoolean(const QVariant& value) {
    if (value.isNull()) {
        return false;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble() != 0.0;
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
            return true;
        }
        if (text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0) {
            return false;
        }
        bool number = false;
        const double n = text.toDouble(&number);
        if (number) {
            return n != 0.0;
        }
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

} // namespace

void ShowMessage(const QString& text, qint16 seconds, const QVariant& modal, bool useTimer) {
    // Checked before the box is touched, so that a bad argument never leaves
    // a loaded box counting down unseen.
    const std::optional<bool> wait = asBoolean(modal);
    if (!wait) {
        return;
    }
    MessageForm* box = MessageForm::openOrLoad();
    if (useTimer) {
        box->setCountdown(seconds);
    }
    box->setMessage(text);
    if (!*wait) {
        box->show();
        return;
    }
    if (box->isWaitedOn()) {
        // Another caller already waits on this box: it now shows this text,
        // and only one caller can wait on a window.
        return;
    }
    // A box open without a wait becomes modal for this caller.
    box->hide();
    box->exec(); // deletes the box when it closes
}
