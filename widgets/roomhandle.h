// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

// The bar between two parts of a column that the student drags up or down to give one of them
// more room, as a splitter's handle does, for parts that keep their places in their own layout.
// Dragging down asks for the part below to shrink; a double click asks for the first share back.
class RoomHandle : public QWidget
{
    Q_OBJECT

public:
    explicit RoomHandle(QWidget *parent = nullptr);

    QSize sizeHint() const override;

signals:
    // The pointer went `pixels` down (negative: up) since the last signal of this drag.
    void dragged(int pixels);
    void resetRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool event(QEvent *event) override;

private:
    bool dragging = false;
    int lastY = 0;
};
