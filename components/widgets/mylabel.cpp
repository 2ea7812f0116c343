#include "components/widgets/mylabel.h"

MyLabel::MyLabel(QWidget* parent) : QLabel(parent) {
    // Captions are shown as typed, never read as markup.
    setTextFormat(Qt::PlainText);
}
