#pragma once
// The registration screen's built-in background: the entry table with its
// drawn boxes, the male and female buttons and the confirm strip that the
// screen's hot spots lie over. A 회원등록.JPG in the program folder replaces it.

#include <QImage>

QImage RegistrationArt();
