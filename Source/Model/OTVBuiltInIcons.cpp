// The built-in icons: each is a rounded tile in its own tint with a white pictogram, drawn on a
// 32 x 32 grid and scaled to the size asked for, so they stay sharp from 16 pixels up.
#include "OTVBuiltInIcons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <array>

namespace {

using Pictogram = void (*)(QPainter&, const QColor& tint);

struct BuiltInIcon {
    const char* name;
    QRgb tint;
    Pictogram draw;
};

const QColor kInk(Qt::white);

// --- Drawing helpers on the 32-unit grid.

void strokeWith(QPainter& p, qreal width, const QColor& color = kInk)
{
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
}

void fillWith(QPainter& p, const QColor& color = kInk)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
}

void polygon(QPainter& p, std::initializer_list<QPointF> points)
{
    p.drawPolygon(QPolygonF(QList<QPointF>(points)));
}

void glyph(QPainter& p, const QString& text, const QColor& color = kInk, qreal size = 22)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(int(size));
    font.setStyleStrategy(QFont::PreferAntialias);
    QPainterPath path;
    path.addText(0, 0, font, text);
    const QRectF bounds = path.boundingRect();
    path.translate(16 - bounds.center().x(), 16 - bounds.center().y());
    fillWith(p, color);
    p.drawPath(path);
}

// --- The pictograms.

void drawKey(QPainter& p, const QColor&)
{
    strokeWith(p, 3.2);
    p.drawEllipse(QPointF(11, 11), 5, 5);
    p.drawLine(QPointF(14.5, 14.5), QPointF(26, 26));
    p.drawLine(QPointF(22, 22), QPointF(25, 19));
    p.drawLine(QPointF(18.5, 18.5), QPointF(21, 16));
}

void drawLockBody(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(7, 15, 18, 13), 2, 2);
    fillWith(p, tint);
    p.drawEllipse(QPointF(16, 20), 2, 2);
    p.drawRect(QRectF(15.2, 20, 1.6, 4.5));
}

// A shackle over the lock body; `lift` raises it out of the body (open).
void drawShackle(QPainter& p, qreal lift)
{
    strokeWith(p, 3);
    QPainterPath shackle;
    shackle.moveTo(11, 16);
    shackle.lineTo(11, 10 - lift);
    shackle.arcTo(QRectF(11, 5 - lift, 10, 10), 180, -180);
    shackle.lineTo(21, 16 - 3 * lift);
    p.drawPath(shackle);
}

void drawLock(QPainter& p, const QColor& tint)
{
    drawShackle(p, 0);
    drawLockBody(p, tint);
}

void drawOpenLock(QPainter& p, const QColor& tint)
{
    drawShackle(p, 2);
    drawLockBody(p, tint);
}

void drawServer(QPainter& p, const QColor& tint)
{
    for (qreal y : {5.0, 13.0, 21.0}) {
        fillWith(p);
        p.drawRoundedRect(QRectF(6, y, 20, 6.5), 1.5, 1.5);
        fillWith(p, tint);
        p.drawEllipse(QPointF(22, y + 3.25), 1.4, 1.4);
        p.drawRect(QRectF(9, y + 2.5, 7, 1.5));
    }
}

void drawCard(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(4, 8, 24, 16), 2.5, 2.5);
    fillWith(p, tint);
    p.drawRect(QRectF(4, 11.5, 24, 3.5));
    p.drawRoundedRect(QRectF(7, 18, 6, 3.5), 1, 1);
}

void drawBank(QPainter& p, const QColor&)
{
    fillWith(p);
    polygon(p, {{4, 12}, {16, 4}, {28, 12}});
    p.drawRect(QRectF(4, 24, 24, 3.5));
    for (qreal x : {6.5, 12.0, 17.5, 23.0})
        p.drawRect(QRectF(x, 13.5, 2.8, 9));
}

void drawMail(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(4, 8, 24, 16), 2, 2);
    strokeWith(p, 2, tint);
    p.drawPolyline(QPolygonF(QList<QPointF>{{5, 9}, {16, 18}, {27, 9}}));
}

void drawGlobe(QPainter& p, const QColor&)
{
    strokeWith(p, 2.2);
    p.drawEllipse(QPointF(16, 16), 11, 11);
    p.drawEllipse(QPointF(16, 16), 4.5, 11);
    p.drawLine(QPointF(5, 16), QPointF(27, 16));
    p.drawLine(QPointF(7.5, 10), QPointF(24.5, 10));
    p.drawLine(QPointF(7.5, 22), QPointF(24.5, 22));
}

void drawWifi(QPainter& p, const QColor&)
{
    strokeWith(p, 3);
    for (qreal r : {6.0, 12.0, 18.0})
        p.drawArc(QRectF(16 - r, 26 - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    fillWith(p);
    p.drawEllipse(QPointF(16, 25), 2.5, 2.5);
}

void drawDocument(QPainter& p, const QColor& tint)
{
    fillWith(p);
    polygon(p, {{7, 4}, {19, 4}, {25, 10}, {25, 28}, {7, 28}});
    fillWith(p, tint.darker(115));
    polygon(p, {{19, 4}, {19, 10}, {25, 10}});
    strokeWith(p, 2.2, tint);
    for (qreal y : {14.5, 19.0, 23.5})
        p.drawLine(QPointF(10.5, y), QPointF(21.5, y));
}

void drawPerson(QPainter& p, const QColor&)
{
    fillWith(p);
    p.drawEllipse(QPointF(16, 10.5), 5.5, 5.5);
    p.drawChord(QRectF(6, 18, 20, 18), 0, 180 * 16);
}

void drawPeople(QPainter& p, const QColor& tint)
{
    fillWith(p, QColor(255, 255, 255, 190));
    p.drawEllipse(QPointF(21.5, 10), 4.2, 4.2);
    p.drawChord(QRectF(14, 16, 15, 14), 0, 180 * 16);
    strokeWith(p, 1.5, tint);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(12, 12), 4.8, 4.8);
    p.drawChord(QRectF(3.5, 19, 17, 16), 0, 180 * 16);
}

void drawPhone(QPainter& p, const QColor&)
{
    strokeWith(p, 4.5);
    QPainterPath handset;
    handset.moveTo(9, 7);
    handset.cubicTo(4, 14, 12, 26, 24, 25);
    p.drawPath(handset);
    fillWith(p);
    p.save();
    p.translate(9.5, 7.5);
    p.rotate(35);
    p.drawRoundedRect(QRectF(-4, -3, 8, 6), 2, 2);
    p.restore();
    p.save();
    p.translate(23.5, 24.5);
    p.rotate(-10);
    p.drawRoundedRect(QRectF(-3, -4, 6, 8), 2, 2);
    p.restore();
}

void drawLaptop(QPainter& p, const QColor&)
{
    strokeWith(p, 2.4);
    p.drawRoundedRect(QRectF(8, 7, 16, 12), 1.5, 1.5);
    fillWith(p);
    polygon(p, {{3, 21.5}, {29, 21.5}, {26.5, 26}, {5.5, 26}});
}

void drawDatabase(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRect(QRectF(7, 8, 18, 17));
    p.drawEllipse(QRectF(7, 4, 18, 7));
    p.drawEllipse(QRectF(7, 21.5, 18, 7));
    strokeWith(p, 1.6, tint);
    p.drawArc(QRectF(7, 4, 18, 7), 180 * 16, 180 * 16);
    p.drawArc(QRectF(7, 10, 18, 7), 180 * 16, 180 * 16);
    p.drawArc(QRectF(7, 16, 18, 7), 180 * 16, 180 * 16);
}

void drawCloud(QPainter& p, const QColor&)
{
    QPainterPath cloud;
    cloud.addEllipse(QPointF(10.5, 19), 5.5, 5.5);
    cloud.addEllipse(QPointF(17, 14.5), 7.5, 7.5);
    cloud.addEllipse(QPointF(23.5, 19.5), 5, 5);
    cloud.addRect(QRectF(10.5, 18, 13, 6.5));
    cloud.setFillRule(Qt::WindingFill);
    fillWith(p);
    p.drawPath(cloud.simplified());
}

void drawShield(QPainter& p, const QColor& tint)
{
    QPainterPath shield;
    shield.moveTo(16, 3.5);
    shield.lineTo(26, 7.5);
    shield.cubicTo(26, 18, 22, 25, 16, 28.5);
    shield.cubicTo(10, 25, 6, 18, 6, 7.5);
    shield.closeSubpath();
    fillWith(p);
    p.drawPath(shield);
    strokeWith(p, 2.6, tint);
    p.drawPolyline(QPolygonF(QList<QPointF>{{11, 15.5}, {15, 19.5}, {21.5, 11.5}}));
}

void drawStar(QPainter& p, const QColor&)
{
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 == 0 ? 12.5 : 5.2;
        const qreal angle = qDegreesToRadians(-90.0 + i * 36.0);
        star << QPointF(16 + radius * qCos(angle), 17 + radius * qSin(angle));
    }
    fillWith(p);
    p.drawPolygon(star);
}

void drawHeart(QPainter& p, const QColor&)
{
    QPainterPath heart;
    heart.moveTo(16, 27);
    heart.cubicTo(4, 19, 3, 11, 8, 7.5);
    heart.cubicTo(12, 5, 15, 7.5, 16, 10.5);
    heart.cubicTo(17, 7.5, 20, 5, 24, 7.5);
    heart.cubicTo(29, 11, 28, 19, 16, 27);
    fillWith(p);
    p.drawPath(heart);
}

void drawHouse(QPainter& p, const QColor& tint)
{
    fillWith(p);
    polygon(p, {{3.5, 16}, {16, 4.5}, {28.5, 16}, {25, 16}, {25, 27.5}, {7, 27.5}, {7, 16}});
    fillWith(p, tint);
    p.drawRect(QRectF(13.5, 19.5, 5, 8));
}

void drawCar(QPainter& p, const QColor& tint)
{
    fillWith(p);
    polygon(p, {{9, 15}, {11.5, 8.5}, {20.5, 8.5}, {23, 15}});
    p.drawRoundedRect(QRectF(3.5, 14, 25, 8.5), 2.5, 2.5);
    fillWith(p, tint);
    polygon(p, {{11.5, 14}, {13, 10.5}, {15.3, 10.5}, {15.3, 14}});
    polygon(p, {{16.7, 14}, {16.7, 10.5}, {19, 10.5}, {20.5, 14}});
    strokeWith(p, 1.6, tint);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(10, 22.5), 3.5, 3.5);
    p.drawEllipse(QPointF(22, 22.5), 3.5, 3.5);
}

void drawAirplane(QPainter& p, const QColor&)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(14, 3, 4, 25), 2, 2);
    polygon(p, {{3, 18}, {16, 10.5}, {29, 18}, {29, 20.5}, {16, 16.5}, {3, 20.5}});
    polygon(p, {{10, 28.5}, {16, 24}, {22, 28.5}});
}

void drawCart(QPainter& p, const QColor&)
{
    strokeWith(p, 2.6);
    p.drawPolyline(QPolygonF(QList<QPointF>{{3.5, 6.5}, {8, 6.5}, {11.5, 20}, {24.5, 20}}));
    fillWith(p);
    polygon(p, {{9, 10}, {28, 10}, {25.5, 18}, {11, 18}});
    p.drawEllipse(QPointF(13, 25), 2.5, 2.5);
    p.drawEllipse(QPointF(23, 25), 2.5, 2.5);
}

void drawGear(QPainter& p, const QColor& tint)
{
    fillWith(p);
    for (int tooth = 0; tooth < 8; ++tooth) {
        p.save();
        p.translate(16, 16);
        p.rotate(tooth * 45.0);
        p.drawRect(QRectF(-2.6, -12.5, 5.2, 6));
        p.restore();
    }
    p.drawEllipse(QPointF(16, 16), 8.5, 8.5);
    fillWith(p, tint);
    p.drawEllipse(QPointF(16, 16), 3.5, 3.5);
}

void drawCalendar(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(5, 6.5, 22, 21), 2, 2);
    fillWith(p, tint.darker(130));
    p.drawRect(QRectF(5, 11, 22, 1.5));
    strokeWith(p, 2.2);
    p.drawLine(QPointF(10.5, 3.5), QPointF(10.5, 8));
    p.drawLine(QPointF(21.5, 3.5), QPointF(21.5, 8));
    fillWith(p, tint);
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 4; ++column)
            p.drawRect(QRectF(7.5 + column * 4.5, 14.5 + row * 4, 2.6, 2.6));
}

void drawStickyNote(QPainter& p, const QColor& tint)
{
    fillWith(p);
    polygon(p, {{5, 5}, {27, 5}, {27, 20}, {20, 27}, {5, 27}});
    fillWith(p, tint.darker(120));
    polygon(p, {{27, 20}, {20, 20}, {20, 27}});
    strokeWith(p, 1.8, tint);
    p.drawLine(QPointF(9, 11), QPointF(23, 11));
    p.drawLine(QPointF(9, 15.5), QPointF(23, 15.5));
    p.drawLine(QPointF(9, 20), QPointF(16, 20));
}

void drawFolder(QPainter& p, const QColor& tint)
{
    fillWith(p);
    polygon(p, {{4, 7}, {12.5, 7}, {15, 10}, {28, 10}, {28, 26}, {4, 26}});
    strokeWith(p, 1.5, tint);
    p.drawLine(QPointF(4.5, 13.5), QPointF(27.5, 13.5));
}

void drawCamera(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(4, 10, 24, 16), 2.5, 2.5);
    polygon(p, {{10.5, 10.5}, {12.5, 6.5}, {19.5, 6.5}, {21.5, 10.5}});
    fillWith(p, tint);
    p.drawEllipse(QPointF(16, 18), 5.5, 5.5);
    fillWith(p);
    p.drawEllipse(QPointF(16, 18), 2.8, 2.8);
}

void drawMusic(QPainter& p, const QColor&)
{
    fillWith(p);
    p.drawEllipse(QPointF(10, 23.5), 4, 3.2);
    p.drawEllipse(QPointF(22, 21.5), 4, 3.2);
    strokeWith(p, 2.4);
    p.drawLine(QPointF(13.5, 23), QPointF(13.5, 8));
    p.drawLine(QPointF(25.5, 21), QPointF(25.5, 6));
    fillWith(p);
    polygon(p, {{12.3, 6.5}, {26.7, 4.5}, {26.7, 9}, {12.3, 11}});
}

void drawChat(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(3.5, 5, 25, 17), 6, 6);
    polygon(p, {{9, 20}, {7.5, 28}, {16, 20}});
    fillWith(p, tint);
    for (qreal x : {10.0, 16.0, 22.0})
        p.drawEllipse(QPointF(x, 13.5), 1.9, 1.9);
}

void drawBulb(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawEllipse(QPointF(16, 12.5), 8.5, 8.5);
    polygon(p, {{11.5, 18}, {20.5, 18}, {20, 24}, {12, 24}});
    p.drawRoundedRect(QRectF(12.5, 23.5, 7, 4.5), 1.5, 1.5);
    strokeWith(p, 1.3, tint);
    p.drawLine(QPointF(12, 22), QPointF(20, 22));
    p.drawLine(QPointF(12.5, 25.5), QPointF(19.5, 25.5));
}

// The default icon: a record card.
void drawRecordCard(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(4, 6.5, 24, 19), 2, 2);
    fillWith(p, tint);
    p.drawRect(QRectF(7, 10, 7, 7));
    strokeWith(p, 1.8, tint);
    p.drawLine(QPointF(16.5, 11), QPointF(25, 11));
    p.drawLine(QPointF(16.5, 15.5), QPointF(25, 15.5));
    p.drawLine(QPointF(7, 21.5), QPointF(25, 21.5));
}

void drawClock(QPainter& p, const QColor&)
{
    strokeWith(p, 2.6);
    p.drawEllipse(QPointF(16, 16), 11.5, 11.5);
    p.drawLine(QPointF(16, 16), QPointF(16, 8.5));
    p.drawLine(QPointF(16, 16), QPointF(21.5, 19.5));
}

void drawFlag(QPainter& p, const QColor&)
{
    strokeWith(p, 2.6);
    p.drawLine(QPointF(8, 4.5), QPointF(8, 28.5));
    QPainterPath flag;
    flag.moveTo(9, 5.5);
    flag.cubicTo(15, 3, 19, 9, 26, 6);
    flag.lineTo(26, 18);
    flag.cubicTo(19, 21, 15, 15, 9, 17.5);
    flag.closeSubpath();
    fillWith(p);
    p.drawPath(flag);
}

void drawIdBadge(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(3.5, 7, 25, 18), 2.5, 2.5);
    fillWith(p, tint);
    p.drawEllipse(QPointF(10.5, 13.5), 2.8, 2.8);
    p.drawChord(QRectF(5.5, 17, 10, 9), 0, 180 * 16);
    strokeWith(p, 1.8, tint);
    p.drawLine(QPointF(17.5, 12), QPointF(25, 12));
    p.drawLine(QPointF(17.5, 16), QPointF(25, 16));
    p.drawLine(QPointF(17.5, 20), QPointF(22, 20));
}

void drawPrinter(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRect(QRectF(9.5, 4, 13, 7));
    p.drawRoundedRect(QRectF(4, 11.5, 24, 11), 2, 2);
    strokeWith(p, 1.6, tint);
    p.setBrush(kInk);
    p.drawRect(QRectF(9.5, 18, 13, 10));
    p.drawLine(QPointF(12, 22), QPointF(20, 22));
    p.drawLine(QPointF(12, 25), QPointF(20, 25));
}

void drawMonitor(QPainter& p, const QColor&)
{
    strokeWith(p, 2.6);
    p.drawRoundedRect(QRectF(4.5, 5.5, 23, 16), 1.5, 1.5);
    fillWith(p);
    p.drawRect(QRectF(14, 21.5, 4, 4));
    p.drawRoundedRect(QRectF(9.5, 25, 13, 3), 1, 1);
}

void drawNetwork(QPainter& p, const QColor&)
{
    strokeWith(p, 2.2);
    p.drawLine(QPointF(16, 8), QPointF(16, 16));
    p.drawLine(QPointF(7, 16), QPointF(25, 16));
    p.drawLine(QPointF(7, 16), QPointF(7, 23));
    p.drawLine(QPointF(25, 16), QPointF(25, 23));
    fillWith(p);
    p.drawRect(QRectF(11.5, 3.5, 9, 7));
    p.drawRect(QRectF(2.5, 21.5, 9, 7));
    p.drawRect(QRectF(20.5, 21.5, 9, 7));
}

void drawTerminal(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(3.5, 6, 25, 20), 2.5, 2.5);
    strokeWith(p, 2.4, tint);
    p.drawPolyline(QPolygonF(QList<QPointF>{{8, 11.5}, {12.5, 15.5}, {8, 19.5}}));
    p.drawLine(QPointF(15, 20.5), QPointF(23, 20.5));
}

void drawCoin(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawEllipse(QPointF(16, 16), 12, 12);
    glyph(p, QStringLiteral("$"), tint, 20);
}

void drawWallet(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(4, 8, 23, 18), 3, 3);
    fillWith(p, tint.darker(120));
    p.drawRoundedRect(QRectF(18, 13, 10.5, 8), 2, 2);
    fillWith(p);
    p.drawEllipse(QPointF(22, 17), 1.8, 1.8);
}

void drawChip(QPainter& p, const QColor& tint)
{
    strokeWith(p, 2.6, kInk);
    p.setPen(QPen(kInk, 2.6, Qt::SolidLine, Qt::FlatCap));
    for (qreal t : {12.5, 19.5}) {
        p.drawLine(QPointF(t, 3.5), QPointF(t, 28.5));
        p.drawLine(QPointF(3.5, t), QPointF(28.5, t));
    }
    fillWith(p);
    p.drawRoundedRect(QRectF(8, 8, 16, 16), 1.5, 1.5);
    fillWith(p, tint);
    p.drawRect(QRectF(12.5, 12.5, 7, 7));
}

void drawSmartphone(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(9.5, 3.5, 13, 25), 2.5, 2.5);
    fillWith(p, tint);
    p.drawRect(QRectF(11.5, 6.5, 9, 16));
    p.drawEllipse(QPointF(16, 25.5), 1.3, 1.3);
}

void drawBook(QPainter& p, const QColor& tint)
{
    fillWith(p);
    polygon(p, {{3.5, 8}, {10, 6.5}, {15.3, 9}, {15.3, 27}, {10, 24.5}, {3.5, 26}});
    polygon(p, {{28.5, 8}, {22, 6.5}, {16.7, 9}, {16.7, 27}, {22, 24.5}, {28.5, 26}});
    strokeWith(p, 1.3, tint);
    p.drawLine(QPointF(6.5, 12), QPointF(12.5, 12.5));
    p.drawLine(QPointF(6.5, 16), QPointF(12.5, 16.5));
    p.drawLine(QPointF(19.5, 12.5), QPointF(25.5, 12));
    p.drawLine(QPointF(19.5, 16.5), QPointF(25.5, 16));
}

void drawBriefcase(QPainter& p, const QColor& tint)
{
    strokeWith(p, 2.4);
    p.drawRoundedRect(QRectF(12, 5.5, 8, 6), 1.5, 1.5);
    fillWith(p);
    p.drawRoundedRect(QRectF(3.5, 10, 25, 17), 2.5, 2.5);
    strokeWith(p, 1.6, tint);
    p.drawLine(QPointF(4, 17), QPointF(28, 17));
    fillWith(p, tint);
    p.drawRect(QRectF(14, 15, 4, 4));
}

void drawBuilding(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRect(QRectF(7, 4, 18, 24.5));
    fillWith(p, tint);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            p.drawRect(QRectF(9.5 + column * 5, 6.5 + row * 4.5, 3, 2.8));
    p.drawRect(QRectF(14, 24, 4, 4.5));
}

void drawLightning(QPainter& p, const QColor&)
{
    fillWith(p);
    polygon(p, {{19, 2.5}, {7.5, 18}, {14.5, 18}, {11.5, 29.5}, {24.5, 13}, {17.5, 13}, {21.5, 2.5}});
}

void drawMagnifier(QPainter& p, const QColor&)
{
    strokeWith(p, 3.2);
    p.drawEllipse(QPointF(13.5, 13.5), 7.5, 7.5);
    strokeWith(p, 4.5);
    p.drawLine(QPointF(19.5, 19.5), QPointF(26.5, 26.5));
}

void drawPin(QPainter& p, const QColor& tint)
{
    QPainterPath pin;
    pin.moveTo(16, 29);
    pin.cubicTo(10, 21, 6.5, 17, 6.5, 12.5);
    pin.arcTo(QRectF(6.5, 3, 19, 19), 180, -180);
    pin.cubicTo(25.5, 17, 22, 21, 16, 29);
    fillWith(p);
    p.drawPath(pin);
    fillWith(p, tint);
    p.drawEllipse(QPointF(16, 12.5), 3.8, 3.8);
}

void drawGift(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRect(QRectF(6, 15, 20, 13));
    p.drawRect(QRectF(4.5, 10, 23, 5));
    strokeWith(p, 2.2);
    p.drawEllipse(QRectF(9, 4.5, 7, 5.5));
    p.drawEllipse(QRectF(16, 4.5, 7, 5.5));
    fillWith(p, tint);
    p.drawRect(QRectF(14.5, 10, 3, 18));
    p.drawRect(QRectF(6, 15, 20, 1.5));
}

void drawAt(QPainter& p, const QColor&)
{
    glyph(p, QStringLiteral("@"), kInk, 25);
}

void drawHardDrive(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(3.5, 9, 25, 14), 3, 3);
    strokeWith(p, 1.5, tint);
    p.drawLine(QPointF(4, 16.5), QPointF(28, 16.5));
    fillWith(p, tint);
    p.drawEllipse(QPointF(23.5, 19.8), 1.6, 1.6);
    p.drawEllipse(QPointF(19, 19.8), 1.6, 1.6);
}

void drawUsbStick(QPainter& p, const QColor& tint)
{
    strokeWith(p, 2);
    p.drawRect(QRectF(12.5, 3.5, 7, 7));
    fillWith(p);
    p.drawRoundedRect(QRectF(10, 10, 12, 19), 2.5, 2.5);
    fillWith(p, tint);
    p.drawRect(QRectF(14, 5.5, 1.5, 2));
    p.drawRect(QRectF(16.5, 5.5, 1.5, 2));
    p.drawEllipse(QPointF(16, 23), 2, 2);
}

void drawAccessCard(QPainter& p, const QColor& tint)
{
    strokeWith(p, 2.2);
    p.drawLine(QPointF(16, 3), QPointF(16, 9));
    fillWith(p);
    p.drawRoundedRect(QRectF(8, 8.5, 16, 20), 2.5, 2.5);
    fillWith(p, tint);
    p.drawRoundedRect(QRectF(12.5, 11, 7, 2), 1, 1);
    p.drawEllipse(QPointF(16, 18), 2.6, 2.6);
    p.drawRect(QRectF(11, 23, 10, 2));
}

void drawTag(QPainter& p, const QColor& tint)
{
    fillWith(p);
    polygon(p, {{4, 4}, {16, 4}, {28.5, 16.5}, {16.5, 28.5}, {4, 16}});
    fillWith(p, tint);
    p.drawEllipse(QPointF(10, 10), 2.5, 2.5);
}

void drawMedical(QPainter& p, const QColor&)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(12, 4.5, 8, 23), 1.5, 1.5);
    p.drawRoundedRect(QRectF(4.5, 12, 23, 8), 1.5, 1.5);
}

void drawCertificate(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRect(QRectF(3.5, 5, 25, 17));
    strokeWith(p, 1.6, tint);
    p.drawLine(QPointF(7, 9.5), QPointF(25, 9.5));
    p.drawLine(QPointF(7, 13.5), QPointF(17, 13.5));
    fillWith(p);
    polygon(p, {{18.5, 22}, {17, 29.5}, {21, 27}, {25, 29.5}, {23.5, 22}});
    strokeWith(p, 1.8, tint);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(21, 19.5), 4.5, 4.5);
}

void drawFilm(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRect(QRectF(3.5, 6, 25, 20));
    fillWith(p, tint);
    for (qreal x : {5.5, 10.5, 15.5, 20.5, 25.5 - 1}) {
        p.drawRect(QRectF(x, 7.5, 2.5, 2.5));
        p.drawRect(QRectF(x, 22, 2.5, 2.5));
    }
    polygon(p, {{13, 12}, {20.5, 16}, {13, 20}});
}

void drawTicket(QPainter& p, const QColor& tint)
{
    QPainterPath ticket;
    ticket.addRect(QRectF(3.5, 8, 25, 16));
    QPainterPath notches;
    notches.addEllipse(QPointF(3.5, 16), 3, 3);
    notches.addEllipse(QPointF(28.5, 16), 3, 3);
    fillWith(p);
    p.drawPath(ticket.subtracted(notches));
    QPen dashes(tint, 1.5, Qt::DashLine);
    p.setPen(dashes);
    p.drawLine(QPointF(20, 9), QPointF(20, 23));
}

void drawEuro(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(3.5, 7, 25, 18), 2, 2);
    glyph(p, QStringLiteral("\u20AC"), tint, 16);
}

void drawBell(QPainter& p, const QColor&)
{
    QPainterPath bell;
    bell.moveTo(5, 23);
    bell.cubicTo(8.5, 20, 8, 15, 8.5, 12);
    bell.cubicTo(9.5, 6.5, 12.5, 5, 16, 5);
    bell.cubicTo(19.5, 5, 22.5, 6.5, 23.5, 12);
    bell.cubicTo(24, 15, 23.5, 20, 27, 23);
    bell.closeSubpath();
    fillWith(p);
    p.drawPath(bell);
    p.drawEllipse(QPointF(16, 26), 3, 2.8);
    p.drawEllipse(QPointF(16, 4.5), 1.8, 1.8);
}

void drawEye(QPainter& p, const QColor& tint)
{
    QPainterPath eye;
    eye.moveTo(3, 16);
    eye.quadTo(16, 3, 29, 16);
    eye.quadTo(16, 29, 3, 16);
    fillWith(p);
    p.drawPath(eye);
    fillWith(p, tint);
    p.drawEllipse(QPointF(16, 16), 5, 5);
    fillWith(p);
    p.drawEllipse(QPointF(16, 16), 2, 2);
}

void drawQuestion(QPainter& p, const QColor&)
{
    glyph(p, QStringLiteral("?"), kInk, 26);
}

void drawHash(QPainter& p, const QColor&)
{
    glyph(p, QStringLiteral("#"), kInk, 24);
}

void drawBarChart(QPainter& p, const QColor&)
{
    fillWith(p);
    p.drawRect(QRectF(5, 17, 5, 10));
    p.drawRect(QRectF(13.5, 10, 5, 17));
    p.drawRect(QRectF(22, 4.5, 5, 22.5));
}

void drawTruck(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRect(QRectF(2.5, 8, 17, 14));
    polygon(p, {{20.5, 12}, {25.5, 12}, {29.5, 17}, {29.5, 22}, {20.5, 22}});
    strokeWith(p, 1.6, tint);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(8.5, 23.5), 3.2, 3.2);
    p.drawEllipse(QPointF(24, 23.5), 3.2, 3.2);
}

void drawPuzzle(QPainter& p, const QColor&)
{
    QPainterPath piece;
    piece.addRect(QRectF(6, 9, 17, 17));
    piece.addEllipse(QPointF(14.5, 7.5), 3.5, 3.5);
    piece.addEllipse(QPointF(24.5, 17.5), 3.5, 3.5);
    piece.setFillRule(Qt::WindingFill);
    QPainterPath hole;
    hole.addEllipse(QPointF(6, 17.5), 3.2, 3.2);
    fillWith(p);
    p.drawPath(piece.simplified().subtracted(hole));
}

void drawPassword(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(2.5, 10, 27, 12), 3, 3);
    fillWith(p, tint);
    for (qreal x : {8.0, 13.3, 18.7, 24.0})
        p.drawEllipse(QPointF(x, 16), 2.1, 2.1);
}

void drawLink(QPainter& p, const QColor&)
{
    strokeWith(p, 3);
    p.save();
    p.translate(16, 16);
    p.rotate(-45);
    p.drawRoundedRect(QRectF(-12.5, -4.5, 13, 9), 4.5, 4.5);
    p.drawRoundedRect(QRectF(-0.5, -4.5, 13, 9), 4.5, 4.5);
    p.restore();
}

void drawTrophy(QPainter& p, const QColor&)
{
    fillWith(p);
    QPainterPath cup;
    cup.moveTo(9, 4.5);
    cup.lineTo(23, 4.5);
    cup.cubicTo(23, 13, 20.5, 17, 16, 17.5);
    cup.cubicTo(11.5, 17, 9, 13, 9, 4.5);
    p.drawPath(cup);
    p.drawRect(QRectF(14.5, 17, 3, 6));
    p.drawRect(QRectF(10, 23, 12, 4.5));
    strokeWith(p, 2.2);
    p.drawArc(QRectF(4, 6, 7, 8), 90 * 16, 180 * 16);
    p.drawArc(QRectF(21, 6, 7, 8), 270 * 16, 180 * 16);
}

void drawKeyboard(QPainter& p, const QColor& tint)
{
    fillWith(p);
    p.drawRoundedRect(QRectF(2.5, 8.5, 27, 15), 2, 2);
    fillWith(p, tint);
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 6; ++column)
            p.drawRect(QRectF(5 + column * 4, 11 + row * 4, 2.5, 2.5));
    p.drawRect(QRectF(9, 19, 14, 2.2));
}

// Tints, chosen so that neighbouring numbers differ.
constexpr QRgb kBlue = 0xFF2F6FD0;
constexpr QRgb kGreen = 0xFF2E9E4F;
constexpr QRgb kRed = 0xFFD0393B;
constexpr QRgb kOrange = 0xFFE5892A;
constexpr QRgb kPurple = 0xFF7D4CC2;
constexpr QRgb kTeal = 0xFF1C9A9A;
constexpr QRgb kGray = 0xFF6B7682;
constexpr QRgb kBrown = 0xFF93623A;
constexpr QRgb kPink = 0xFFD24C8E;
constexpr QRgb kNavy = 0xFF2B3F77;
constexpr QRgb kGold = 0xFFC39A14;
constexpr QRgb kSlate = 0xFF46607A;
constexpr QRgb kOlive = 0xFF6E8B2B;

// Icon n is entry n - 1.
const std::array<BuiltInIcon, kBuiltInIconCount> kIcons = {{
    {"Key", kGold, drawKey},                       // 1
    {"Lock", kBlue, drawLock},                     // 2
    {"Server", kSlate, drawServer},                // 3
    {"Credit Card", kGreen, drawCard},             // 4
    {"Bank", kNavy, drawBank},                     // 5
    {"Mail", kRed, drawMail},                      // 6
    {"Web", kTeal, drawGlobe},                     // 7
    {"Wi-Fi", kPurple, drawWifi},                  // 8
    {"Document", kBlue, drawDocument},             // 9
    {"Person", kOrange, drawPerson},               // 10
    {"People", kPink, drawPeople},                 // 11
    {"Phone", kGreen, drawPhone},                  // 12
    {"Laptop", kGray, drawLaptop},                 // 13
    {"Database", kBrown, drawDatabase},            // 14
    {"Cloud", kBlue, drawCloud},                   // 15
    {"Shield", kGreen, drawShield},                // 16
    {"Star", kGold, drawStar},                     // 17
    {"Heart", kRed, drawHeart},                    // 18
    {"Home", kOrange, drawHouse},                  // 19
    {"Car", kNavy, drawCar},                       // 20
    {"Travel", kTeal, drawAirplane},               // 21
    {"Shopping", kPurple, drawCart},               // 22
    {"Settings", kGray, drawGear},                 // 23
    {"Calendar", kRed, drawCalendar},              // 24
    {"Note", kGold, drawStickyNote},               // 25
    {"Folder", kBlue, drawFolder},                 // 26
    {"Camera", kSlate, drawCamera},                // 27
    {"Music", kPink, drawMusic},                   // 28
    {"Chat", kGreen, drawChat},                    // 29
    {"Idea", kOrange, drawBulb},                   // 30
    {"Record", kSlate, drawRecordCard},            // 31
    {"Clock", kPurple, drawClock},                 // 32
    {"Flag", kRed, drawFlag},                      // 33
    {"ID Card", kTeal, drawIdBadge},               // 34
    {"Printer", kGray, drawPrinter},               // 35
    {"Monitor", kBlue, drawMonitor},               // 36
    {"Network", kOlive, drawNetwork},              // 37
    {"Terminal", kNavy, drawTerminal},             // 38
    {"Money", kGreen, drawCoin},                   // 39
    {"Wallet", kBrown, drawWallet},                // 40
    {"Chip", kOlive, drawChip},                    // 41
    {"Mobile", kPurple, drawSmartphone},           // 42
    {"Book", kRed, drawBook},                      // 43
    {"Work", kBrown, drawBriefcase},               // 44
    {"Office", kSlate, drawBuilding},              // 45
    {"Power", kOrange, drawLightning},             // 46
    {"Search", kBlue, drawMagnifier},              // 47
    {"Location", kRed, drawPin},                   // 48
    {"Gift", kPink, drawGift},                     // 49
    {"Unlocked", kOrange, drawOpenLock},           // 50
    {"Account", kTeal, drawAt},                    // 51
    {"Disk", kGray, drawHardDrive},                // 52
    {"USB Stick", kNavy, drawUsbStick},            // 53
    {"Access Card", kOlive, drawAccessCard},       // 54
    {"Tag", kGold, drawTag},                       // 55
    {"Medical", kRed, drawMedical},                // 56
    {"Certificate", kBlue, drawCertificate},       // 57
    {"Video", kPurple, drawFilm},                  // 58
    {"Ticket", kOrange, drawTicket},               // 59
    {"Currency", kTeal, drawEuro},                 // 60
    {"Alert", kGold, drawBell},                    // 61
    {"Private", kNavy, drawEye},                   // 62
    {"Other", kGray, drawQuestion},                // 63
    // Beyond the chooser's range: for vaults whose types were given these numbers elsewhere.
    {"Number", kSlate, drawHash},                  // 64
    {"Statistics", kTeal, drawBarChart},           // 65
    {"Delivery", kBrown, drawTruck},               // 66
    {"Software", kPurple, drawPuzzle},             // 67
    {"Password", kNavy, drawPassword},             // 68
    {"Link", kBlue, drawLink},                     // 69
    {"Award", kGold, drawTrophy},                  // 70
    {"Keyboard", kGray, drawKeyboard},             // 71
}};

const BuiltInIcon& iconFor(int number)
{
    return kIcons[std::size_t(OTVHasBuiltInIcon(number) ? number : kBuiltInDefaultIcon) - 1];
}

} // namespace

bool OTVHasBuiltInIcon(int number)
{
    return number >= 1 && number <= kBuiltInIconCount;
}

QString OTVBuiltInIconName(int number)
{
    return QString::fromLatin1(iconFor(number).name);
}

void OTVPaintBuiltInIcon(QPainter& painter, const QRectF& rect, int number)
{
    const BuiltInIcon& icon = iconFor(number);
    const QColor tint = QColor::fromRgba(icon.tint);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / 32.0, rect.height() / 32.0);

    QLinearGradient shade(0, 0, 0, 32);
    shade.setColorAt(0, tint.lighter(125));
    shade.setColorAt(1, tint.darker(110));
    painter.setPen(QPen(tint.darker(140), 1));
    painter.setBrush(shade);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 31, 31), 6, 6);

    icon.draw(painter, tint);
    painter.restore();
}

QImage OTVBuiltInIconImage(int number, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    OTVPaintBuiltInIcon(painter, QRectF(0, 0, side, side), number);
    painter.end();
    return image;
}
