#include "dialogs/yesno.h"

#include "dialogs/yesnoform.h"
#include "util/programwide.h"

#include <exception>

QString AskYesNo(const QString& text, qint16 seconds, bool useTimer) {
    const QString failed = QStringLiteral("아니요");
    try {
        // One question at a time: a second caller cannot wait on the same
        // window, so it gets the failure answer and the open one is untouched.
        if (YesNoForm::openOne() != nullptr) {
            return failed;
        }
        auto* dialog = new YesNoForm();
        if (useTimer) {
            dialog->setCountdown(seconds);
        }
        dialog->setMessage(text);
        dialog->exec(); // deletes the dialog when it closes
        return DialogAnswer;
    } catch (const std::exception&) {
        return failed;
    }
}
