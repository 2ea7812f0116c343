#include "dialogs/captionpanel.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextDocument>

CaptionPanel::CaptionPanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
}

void CaptionPanel::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void CaptionPanel::paintEvent(QPaintEvent*) {
    QString lines = caption_;
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(font());
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    document.setDefaultTextOption(option);
    document.setPlainText(lines);
    document.setTextWidth(width());

    // Centred vertically; a text taller than the panel starts at its top.
    const qreal top = qMax<qreal>(0, (height() - document.size().height()) / 2);
    QPainter painter(this);
    painter.setClipRect(rect());
    painter.translate(0, top);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    context.palette.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    document.documentLayout()->draw(&painter, context);
}
