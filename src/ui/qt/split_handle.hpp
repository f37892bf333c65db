// The handle splMessages between the list and the message: the band from the
// list's bottom to the subject editor. A press and drag on it (the labels of
// the band let the mouse through) moves the line between the list and the
// message; a small grip shows where it is. Off at the smallest window height,
// where there is no extra height to share.
#pragma once
#include <QWidget>

namespace pelicard::qt {

class SplitHandle : public QWidget {
    Q_OBJECT
public:
    explicit SplitHandle(QWidget* parent = nullptr);

signals:
    void dragStarted();
    // Pixels the pointer went down (negative: up) since the press.
    void dragged(int dy);

protected:
    void mousePressEvent(class QMouseEvent* event) override;
    void mouseMoveEvent(class QMouseEvent* event) override;
    void mouseReleaseEvent(class QMouseEvent* event) override;
    void paintEvent(class QPaintEvent* event) override;
    void changeEvent(class QEvent* event) override;

private:
    bool dragging_ = false;
    int pressY_ = 0;  // global y of the press
};

}  // namespace pelicard::qt
