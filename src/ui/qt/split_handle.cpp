#include "ui/qt/split_handle.hpp"

#include <QMouseEvent>
#include <QPainter>

namespace pelicard::qt {

SplitHandle::SplitHandle(QWidget* parent) : QWidget(parent) {
    setToolTip(QString::fromUtf8("Faire glisser pour partager la hauteur entre la liste et le message"));
    setCursor(Qt::SplitVCursor);
}

void SplitHandle::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragging_ = true;
    pressY_ = qRound(event->globalPosition().y());
    emit dragStarted();
}

void SplitHandle::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    emit dragged(qRound(event->globalPosition().y()) - pressY_);
}

void SplitHandle::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ && event->button() == Qt::LeftButton) {
        emit dragged(qRound(event->globalPosition().y()) - pressY_);
        dragging_ = false;
    }
    QWidget::mouseReleaseEvent(event);
}

void SplitHandle::paintEvent(QPaintEvent*) {
    if (!isEnabled()) return;
    // A grip of five dots in the middle of the gap under the list.
    QPainter p(this);
    p.setPen(Qt::NoPen);
    p.setBrush(palette().color(QPalette::Mid));
    const int y = 3, x0 = width() / 2 - 12;
    for (int i = 0; i < 5; ++i) p.drawEllipse(QPointF(x0 + 6 * i, y), 1.3, 1.3);
}

void SplitHandle::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        dragging_ = false;
        if (isEnabled()) setCursor(Qt::SplitVCursor);
        else unsetCursor();
        update();
    }
    QWidget::changeEvent(event);
}

}  // namespace pelicard::qt
