// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "planesummary.h"

#include <QChartView>
#include <QList>

class QBarSet;
class QBarCategoryAxis;
class QLineSeries;

// Bars of the entropy H and the average code length L of each bit plane, in bits per block,
// with the 9 bits of an uncoded block as a reference line. The selected plane's bars are
// highlighted. A click in a plane's column, or Space / Return on the plane picked with the arrow
// keys, asks for that plane.
class PlaneChart : public QChartView
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
    // Where plane's column lies in the widget (the viewport's coordinates).
    QRectF planeColumn(int plane) const;

signals:
    void planeActivated(int plane);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void drawForeground(QPainter *painter, const QRectF &rect) override;

private:
    int planeAt(QPoint viewportPoint) const;
    QRectF columnInScene(int plane) const;
    void moveCursor(int plane);
    void applyPalette();
    void describeCursor();

    QBarSet *entropySet = nullptr;
    QBarSet *lengthSet = nullptr;
    QLineSeries *uncoded = nullptr;
    QBarCategoryAxis *planeAxis = nullptr;
    QList<PlaneFigures> shown;
    int selected = 0;
    int cursor = 1;
};
