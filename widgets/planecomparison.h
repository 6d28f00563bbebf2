// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "planesummary.h"

#include <QWidget>

class PlaneChart;
class QLabel;
class QTableWidget;

// The comparison of all bit planes of one picture: the chart above, the figures in a small
// read-only table below. Without planes to show, one sentence says why.
class PlaneComparison : public QWidget
{
    Q_OBJECT

public:
    explicit PlaneComparison(QWidget *parent = nullptr);

    void setFigures(const QList<PlaneFigures> &figures);
    // No planes: the sentence instead of the chart and the table.
    void showMessage(const QString &text);
    void setSelectedPlane(int plane);

    PlaneChart *chart() const { return planeChart; }
    QTableWidget *table() const { return figuresTable; }
    QLabel *messageLabel() const { return message; }
    // The line under the table that says what 9/L counts.
    QLabel *noteLabel() const { return note; }

    static QString noPictureText();
    static QString colourPictureText();
    // Why 9/L and the plane's own size over the coded size differ (or that they do not).
    static QString ratioNote(const PlaneFigures &figures);

signals:
    void planeActivated(int plane);

private:
    void markSelectedRow();

    PlaneChart *planeChart = nullptr;
    QTableWidget *figuresTable = nullptr;
    QLabel *message = nullptr;
    QLabel *note = nullptr;
    int selected = 0;
};
