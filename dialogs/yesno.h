#pragma once
#include <QString>

// Asks a timed yes/no question, modally. Returns "예", "아니오", "아니요"
// or "" when the countdown ran out; the answer is also left in DialogAnswer.
QString AskYesNo(const QString& text, qint16 seconds, bool useTimer);
