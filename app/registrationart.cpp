#include "app/registrationart.h"

#include "app/registrationlayout.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

using namespace registration;

const QColor kPage(0xee, 0xf1, 0xf6);
const QColor kInk(0x22, 0x2b, 0x3a);
const QColor kMuted(0x5c, 0x67, 0x7a);
const QColor kRule(0xc3, 0xca, 0xd6);
const QColor kLabelCell(0xe3, 0xe8, 0xf0);
const QColor kNavy(0x1f, 0x2f, 0x4f);
const QColor kNavyLight(0x34, 0x4d, 0x7c);

QFont artFont(int pixelSize, bool bold) {
    QFont f;
    f.setFamilies({QStringLiteral("NanumSquare"), QStringLiteral("NanumGothic"),
                   QStringLiteral("NanumBarunGothic")});
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

// A raised button face with its caption centred.
void drawButton(QPainter& p, const QRect& r, const QColor& face, const QString& caption,
                int pixelSize) {
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0.0, face.lighter(125));
    g.setColorAt(1.0, face.darker(115));
    p.setPen(QPen(face.darker(150), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    p.setPen(Qt::white);
    p.setFont(artFont(pixelSize, true));
    p.drawText(r, Qt::AlignCenter, caption);
}

void drawHeader(QPainter& p, int width) {
    const QRect band(0, 0, width, 140);
    QLinearGradient g(band.topLeft(), band.topRight());
    g.setColorAt(0.0, kNavy);
    g.setColorAt(1.0, kNavyLight);
    p.fillRect(band, g);
    p.setPen(Qt::white);
    p.setFont(artFont(44, true));
    p.drawText(QRect(40, 22, 600, 60), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("회원 등록"));
    p.setPen(QColor(0xc9, 0xd6, 0xee));
    p.setFont(artFont(18, false));
    p.drawText(
        QRect(42, 86, 900, 30), Qt::AlignLeft | Qt::AlignVCenter,
        QStringLiteral("휴대폰 번호, 성명, 주소를 입력하고 성별을 고른 뒤 확인을 누르세요."));
    p.setFont(artFont(15, true));
    p.drawText(QRect(width - 340, 30, 300, 24), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("STUDY CAFE · MEMBER"));
}

// The entry table: a label column on the left, white value cells on the
// right. Phone, name and gender stop short of the photo; the address row
// runs the full width.
void drawEntryTable(QPainter& p) {
    const int left = 30;
    const int labelRight = 200;
    const int narrowRight = kName.pixels().right() + 20;
    const int wideRight = kAddress.pixels().right() + 14;
    // Row boundaries lie midway between the fields of neighbouring rows.
    const int y0 = kPhone.pixels().top() - 6;
    const int y1 = (kPhone.pixels().bottom() + kName.pixels().top() + 1) / 2;
    const int y2 = (kName.pixels().bottom() + kMaleSpot.pixels().top() + 1) / 2;
    const int y3 = (kMaleSpot.pixels().bottom() + kAddress.pixels().top() + 1) / 2;
    const int y4 = kAddress.pixels().bottom() + 7;

    QPainterPath outline;
    outline.moveTo(left, y0);
    outline.lineTo(narrowRight, y0);
    outline.lineTo(narrowRight, y3);
    outline.lineTo(wideRight, y3);
    outline.lineTo(wideRight, y4);
    outline.lineTo(left, y4);
    outline.closeSubpath();

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 24));
    p.drawPath(outline.translated(3, 4));
    p.setBrush(Qt::white);
    p.drawPath(outline);
    p.fillRect(QRect(left, y0, labelRight - left, y4 - y0), kLabelCell);

    p.setPen(QPen(kRule, 1));
    for (const int y : {y1, y2, y3}) {
        p.drawLine(left, y, y == y3 ? wideRight : narrowRight, y);
    }
    p.drawLine(labelRight, y0, labelRight, y4);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kMuted, 1.5));
    p.drawPath(outline);

    p.setPen(kInk);
    p.setFont(artFont(22, true));
    const struct {
        int top;
        int bottom;
        const char16_t* caption;
    } labels[] = {
        {y0, y1, u"휴대폰 번호"}, {y1, y2, u"성   명"}, {y2, y3, u"성   별"}, {y3, y4, u"주   소"}};
    for (const auto& l : labels) {
        p.drawText(QRect(left, l.top, labelRight - left, l.bottom - l.top), Qt::AlignCenter,
                   QString::fromUtf16(l.caption));
    }

    // A box of its own for the one-letter gender field beside the buttons.
    p.setPen(QPen(kMuted, 1.5));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(kGender.pixels()).adjusted(-4, -4, 4, 4), 6, 6);
}

void drawPhotoFrame(QPainter& p) {
    const QRect r = kPhoto.pixels();
    // The photo buttons stand just below: the frame stays clear of them.
    const QRectF frame = QRectF(r).adjusted(-5, -5, 5, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 24));
    p.drawRoundedRect(frame.translated(3, 4), 6, 6);
    p.setBrush(Qt::white);
    p.setPen(QPen(kMuted, 1.5));
    p.drawRoundedRect(frame, 6, 6);
    p.fillRect(r, QColor(0xdd, 0xe3, 0xec));
    // A silhouette that the member's photo covers.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xb8, 0xc2, 0xd2));
    const QPointF c = QRectF(r).center();
    p.drawEllipse(QPointF(c.x(), r.top() + r.height() * 0.36), r.width() * 0.18, r.width() * 0.2);
    QPainterPath body;
    body.moveTo(r.left() + r.width() * 0.18, r.bottom() + 1);
    body.cubicTo(r.left() + r.width() * 0.2, r.top() + r.height() * 0.58,
                 r.right() - r.width() * 0.2, r.top() + r.height() * 0.58,
                 r.right() - r.width() * 0.18, r.bottom() + 1);
    body.closeSubpath();
    p.drawPath(body);
    p.setPen(kMuted);
    p.setFont(artFont(15, true));
    p.drawText(QRect(r.left(), r.bottom() - 26, r.width(), 22), Qt::AlignCenter,
               QStringLiteral("회원 사진"));
}

void drawGuide(QPainter& p) {
    const int top = kAddress.pixels().bottom() + 30;
    const QRect box(30, top, kAddress.pixels().right() + 14 - 30,
                    kConfirmSpot.pixels().top() - 24 - top);
    p.setPen(QPen(kRule, 1));
    p.setBrush(QColor(0xf8, 0xf9, 0xfc));
    p.drawRoundedRect(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    p.setPen(kMuted);
    p.setFont(artFont(17, false));
    const char16_t* lines[] = {
        u"①  휴대폰 번호를 입력하고 다음 칸으로 넘어가면 등록된 회원 정보를 불러옵니다.",
        u"②  성명과 주소를 입력하고 [남] 또는 [여]를 누릅니다.",
        u"③  [사진 찍기]로 회원 사진을 찍고, [사진 삭제]로 저장된 사진을 지웁니다.",
        u"④  아래의 [확인]을 누르면 회원이 저장됩니다."};
    int y = box.top() + 14;
    const int step = (box.height() - 28) / 4;
    for (const auto* line : lines) {
        p.drawText(QRect(box.left() + 22, y, box.width() - 44, step),
                   Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf16(line));
        y += step;
    }
}

} // namespace

QImage RegistrationArt() {
    const QSize size = clientSize();
    QImage art(size, QImage::Format_RGB32);
    art.fill(kPage);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    drawHeader(p, size.width());
    drawEntryTable(p);
    drawPhotoFrame(p);
    drawGuide(p);
    drawButton(p, kMaleSpot.pixels(), QColor(0x2f, 0x6f, 0xd1), QStringLiteral("남"), 28);
    drawButton(p, kFemaleSpot.pixels(), QColor(0xd1, 0x47, 0x7a), QStringLiteral("여"), 28);
    drawButton(p, kConfirmSpot.pixels(), QColor(0x5b, 0x3f, 0xb8), QStringLiteral("확    인"), 34);
    return art;
}
