#include "ui/qt/icons.hpp"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pelicard::qt {
namespace {

constexpr int kSize = 24;

void Envelope(QPainter& p, const QRectF& r, const QColor& fill) {
    p.setBrush(fill);
    p.drawRect(r);
    QPainterPath flap;
    flap.moveTo(r.topLeft());
    flap.lineTo(r.center().x(), r.top() + r.height() * 0.55);
    flap.lineTo(r.topRight());
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);
}

void Folder(QPainter& p, const QColor& fill) {
    QPainterPath path;
    path.moveTo(2, 6);
    path.lineTo(9, 6);
    path.lineTo(11, 8);
    path.lineTo(22, 8);
    path.lineTo(22, 20);
    path.lineTo(2, 20);
    path.closeSubpath();
    p.setBrush(fill);
    p.drawPath(path);
}

void Page(QPainter& p, const QRectF& r) {
    p.setBrush(Qt::white);
    p.drawRect(r);
    for (double y = r.top() + 3; y < r.bottom() - 1; y += 3)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void Arrow(QPainter& p, bool up) {
    QPolygonF tri;
    if (up) tri << QPointF(12, 4) << QPointF(21, 16) << QPointF(3, 16);
    else tri << QPointF(12, 20) << QPointF(21, 8) << QPointF(3, 8);
    p.setBrush(QColor(40, 100, 180));
    p.drawPolygon(tri);
}

}  // namespace

QIcon DrawPicture(Picture which) {
    QPixmap pm(kSize, kSize);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    switch (which) {
        case Picture::OpenDbx:
            // A folder file: a drum of stored messages.
            p.setBrush(QColor(250, 210, 90));
            p.drawRect(QRectF(4, 7, 16, 13));
            p.drawEllipse(QRectF(4, 4, 16, 6));
            Envelope(p, QRectF(7.5, 11.5, 9, 6), QColor(255, 255, 255));
            break;
        case Picture::OpenFolder:
            Folder(p, QColor(250, 210, 90));
            Envelope(p, QRectF(8.5, 11.5, 10, 6.5), Qt::white);
            break;
        case Picture::Grouping:
            Envelope(p, QRectF(2.5, 3.5, 12, 8), QColor(200, 225, 250));
            Envelope(p, QRectF(6.5, 8.5, 12, 8), QColor(200, 225, 250));
            Envelope(p, QRectF(10.5, 13.5, 12, 8), QColor(200, 225, 250));
            break;
        case Picture::SaveText:
            Page(p, QRectF(5.5, 2.5, 13, 19));
            break;
        case Picture::SaveRaw:
            Envelope(p, QRectF(2.5, 6.5, 19, 12), QColor(255, 240, 200));
            break;
        case Picture::Print:
            p.setBrush(Qt::white);
            p.drawRect(QRectF(7.5, 2.5, 9, 8));
            p.setBrush(QColor(170, 170, 170));
            p.drawRoundedRect(QRectF(2.5, 9.5, 19, 9), 2, 2);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(7.5, 15.5, 9, 6));
            break;
        case Picture::Up: Arrow(p, true); break;
        case Picture::Down: Arrow(p, false); break;
    }
    p.end();
    return QIcon(pm);
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 64}) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x2f, 0x6f, 0xb3));
        p.drawRoundedRect(QRectF(4, 10, 56, 44), 5, 5);
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(9, 16, 46, 32), 2, 2);
        p.setPen(QPen(QColor(0x2f, 0x6f, 0xb3), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF() << QPointF(9, 16) << QPointF(32, 34) << QPointF(55, 16));
        p.setPen(QPen(QColor(0x9b, 0xb8, 0xd8), 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 42), QPointF(34, 42));
        p.drawLine(QPointF(14, 37), QPointF(27, 37));
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(QColor(0xf2, 0xb6, 0x32));
        p.drawEllipse(QPointF(48, 44), 11, 11);
        p.setPen(QPen(QColor(0x5a, 0x3d, 0x00), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(43, 44), QPointF(53, 44));
        p.drawPolyline(QPolygonF() << QPointF(48, 39) << QPointF(53, 44) << QPointF(48, 49));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

}  // namespace pelicard::qt
