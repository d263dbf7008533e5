#include "widgets/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace tessarin::widgets {

namespace {

const QColor kGreen(0x2e, 0x9e, 0x3a);
const QColor kGreenDark(0x1b, 0x6b, 0x25);
const QColor kBlue(0x2f, 0x6f, 0xc7);
const QColor kGrey(0x5a, 0x5a, 0x5a);
const QColor kPaper(0xfc, 0xfc, 0xfc);

// Draws one image on a 16 x 16 logical grid at the given pixel size.
QPixmap drawn(int size, const std::function<void(QPainter&)>& paint)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    paint(p);
    return pixmap;
}

QIcon icon(const std::function<void(QPainter&)>& paint)
{
    QIcon result;
    result.addPixmap(drawn(16, paint));
    result.addPixmap(drawn(32, paint));
    return result;
}

void page(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(kGrey, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setPen(QPen(kBlue, 1));
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

// A thick arrow along the middle line, pointing right or left.
void arrow(QPainter& p, bool right, qreal y, qreal from, qreal to, const QColor& fill)
{
    QPainterPath path;
    const qreal head = 5;
    const qreal tip = right ? to : from;
    const qreal base = right ? to - head : from + head;
    const qreal tail = right ? from : to;
    path.moveTo(tail, y - 2);
    path.lineTo(base, y - 2);
    path.lineTo(base, y - 5);
    path.lineTo(tip, y);
    path.lineTo(base, y + 5);
    path.lineTo(base, y + 2);
    path.lineTo(tail, y + 2);
    path.closeSubpath();
    p.setPen(QPen(kGreenDark, 1));
    p.setBrush(fill);
    p.drawPath(path);
}

void box(QPainter& p, const QRectF& r, bool checked)
{
    p.setPen(QPen(kGrey, 1));
    p.setBrush(kPaper);
    p.drawRect(r);
    if (!checked)
        return;
    QPen tick(kGreen, 2);
    tick.setCapStyle(Qt::RoundCap);
    tick.setJoinStyle(Qt::RoundJoin);
    p.setPen(tick);
    p.setBrush(Qt::NoBrush);
    const QPointF a(r.left() + r.width() * 0.22, r.top() + r.height() * 0.52);
    const QPointF b(r.left() + r.width() * 0.45, r.top() + r.height() * 0.75);
    const QPointF c(r.left() + r.width() * 0.80, r.top() + r.height() * 0.25);
    p.drawPolyline(QPolygonF{a, b, c});
}

// Half a ring with an arrow head at its end: the two-way image.
void curvedArrow(QPainter& p, bool upper)
{
    QPen pen(kGreen, 2.2);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const QRectF ring(3, 3, 10, 10);
    p.drawArc(ring, upper ? 20 * 16 : 200 * 16, 140 * 16);
    QPolygonF head;
    if (upper) // ends at the left, pointing down
        head << QPointF(0.5, 7) << QPointF(6, 7) << QPointF(3.2, 10.5);
    else // ends at the right, pointing up
        head << QPointF(10, 9) << QPointF(15.5, 9) << QPointF(12.8, 5.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreenDark);
    p.drawPolygon(head);
}

} // namespace

QIcon compareIcon()
{
    return icon([](QPainter& p) {
        page(p, QRectF(1.5, 2.5, 6, 11));
        page(p, QRectF(8.5, 2.5, 6, 11));
    });
}

QIcon oneToTwoIcon()
{
    return icon([](QPainter& p) { arrow(p, true, 8, 1.5, 14.5, kGreen); });
}

QIcon twoToOneIcon()
{
    return icon([](QPainter& p) { arrow(p, false, 8, 1.5, 14.5, kGreen); });
}

QIcon twoWayIcon()
{
    return icon([](QPainter& p) {
        curvedArrow(p, true);
        curvedArrow(p, false);
    });
}

QIcon optionsIcon()
{
    return icon([](QPainter& p) {
        box(p, QRectF(1.5, 1.5, 5, 5), true);
        box(p, QRectF(1.5, 9.5, 5, 5), false);
        p.setPen(QPen(kGrey, 1.4));
        p.drawLine(QPointF(8.5, 4), QPointF(14.5, 4));
        p.drawLine(QPointF(8.5, 12), QPointF(14.5, 12));
    });
}

QIcon finderIcon()
{
    return icon([](QPainter& p) {
        page(p, QRectF(1.5, 1.5, 8, 11));
        p.setPen(QPen(kGrey, 1.6));
        p.setBrush(QColor(255, 255, 255, 170));
        p.drawEllipse(QPointF(9.5, 8.5), 3.3, 3.3);
        QPen handle(kGrey, 2.4);
        handle.setCapStyle(Qt::RoundCap);
        p.setPen(handle);
        p.drawLine(QPointF(12, 11), QPointF(14.8, 13.8));
    });
}

QIcon selectAllIcon()
{
    return icon([](QPainter& p) { box(p, QRectF(2.5, 2.5, 11, 11), true); });
}

QIcon selectNoneIcon()
{
    return icon([](QPainter& p) { box(p, QRectF(2.5, 2.5, 11, 11), false); });
}

QIcon invertIcon()
{
    return icon([](QPainter& p) {
        box(p, QRectF(5.5, 5.5, 9, 9), false);
        box(p, QRectF(1.5, 1.5, 9, 9), true);
    });
}

QIcon executeIcon()
{
    return icon([](QPainter& p) {
        p.setPen(QPen(kGreenDark, 1));
        p.setBrush(kGreen);
        p.drawPolygon(QPolygonF{QPointF(4, 2), QPointF(13.5, 8), QPointF(4, 14)});
    });
}

QIcon applicationIcon()
{
    // Drawn larger than the command images, in the sizes a desktop asks for;
    // the same pictures are installed for the desktop's menu.
    QIcon icon;
    for (int size : {16, 32, 48, 64, 72, 128, 256})
        icon.addFile(QStringLiteral(":/tessarin/tessarin-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace tessarin::widgets
