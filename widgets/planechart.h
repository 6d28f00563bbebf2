// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "planesummary.h"

#include <QList>
#include <QWidget>

class QPainter;

// Bars of the entropy H and the average code length L of each bit plane, in bits per block,
// with the 9 bits of an uncoded block as a reference line. The selected plane's bars are
// highlighted. A click in a plane's column, or Space / Return on the plane picked with the arrow
// keys, asks for that plane.
//
// Drawn with QPainter: the bars, the line and the columns live in the chart's own coordinates
// (x: planes 0..8, a plane p spanning p - 1 .. p; y: 0..10 bits per block), and one transform,
// worked out from the widget's size and font, maps them into the plot. Painting, clicks and
// planeColumn() all go through that one transform, so they agree at any size.
class PlaneChart : public QWidget
{
    Q_OBJECT

public:
    explicit PlaneChart(QWidget *parent = nullptr);

    void setFigures(const QList<PlaneFigures> &figures);
    const QList<PlaneFigures> &figures() const { return shown; }
    // 1..8; other values highlight nothing.
    void setSelectedPlane(int plane);
    int selectedPlane() const { return selected; }
    // The plane the arrow keys have reached.
    int keyboardPlane() const { return cursor; }
    // Where plane's column lies in the widget (the widget's coordinates).
    QRectF planeColumn(int plane) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void planeActivated(int plane);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Geometry;

    Geometry geometry() const;
    int planeAt(QPointF point) const;
    void moveCursor(int plane);
    void describeCursor();

    void drawGrid(QPainter &painter, const Geometry &g) const;
    void drawBars(QPainter &painter, const Geometry &g) const;
    void drawAxes(QPainter &painter, const Geometry &g) const;
    void drawLegend(QPainter &painter, const Geometry &g) const;
    void drawFocus(QPainter &painter, const Geometry &g) const;

    QList<PlaneFigures> shown;
    int selected = 0;
    int cursor = 1;
};
