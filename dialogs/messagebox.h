#pragma once
#include <QString>
#include <QVariant>

// The one notice window of the program. seconds > 0 counts down from it,
// 0 from 10, < 0 not at all; useTimer false leaves the countdown untouched.
// modal (taken as a Boolean, null is false) waits until the box has closed.
void ShowMessage(const QString& text, qint16 seconds, const QVariant& modal, bool useTimer);
