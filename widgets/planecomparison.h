// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "planesummary.h"

#include <QWidget>

class PlaneChart;
class QAction;
class QLabel;
class QPushButton;
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
    QPushButton *greyButton() const { return grey; }
    // The line under the table that says what 9/L counts.
    QLabel *noteLabel() const { return note; }
    // The line that says where the comparison was saved last.
    QLabel *savedLabel() const { return saved; }

    // The figures shown, none while the sentence stands instead.
    const QList<PlaneFigures> &figures() const { return shown; }
    // The chart as it is drawn now.
    QImage chartImage() const;
    // Says under the table what was written where.
    void showSaved(const QString &text);

    // The table's and the chart's context menus: copy the selected rows or the whole table (with
    // its titles) for a spreadsheet, save the table as CSV or the chart as PNG.
    QAction *copyAction() const { return copySelected; }
    QAction *copyTableAction() const { return copyAll; }
    QAction *saveTableAction() const { return saveTable; }
    QAction *saveChartAction() const { return saveChart; }

    void copySelection() const;
    void copyTable() const;

    static QString noPictureText();
    static QString colourPictureText();
    // Why 9/L and the plane's own size over the coded size differ (or that they do not).
    static QString ratioNote(const PlaneFigures &figures);

signals:
    void planeActivated(int plane);
    void saveTableRequested();
    void saveChartRequested();
    // "Преобразовать в оттенки серого" under the sentence for a colour picture.
    void greyRequested();

private:
    void markSelectedRow();
    void enableExport();

    PlaneChart *planeChart = nullptr;
    QTableWidget *figuresTable = nullptr;
    QLabel *message = nullptr;
    QLabel *note = nullptr;
    QLabel *saved = nullptr;
    QPushButton *grey = nullptr;
    QAction *copySelected = nullptr;
    QAction *copyAll = nullptr;
    QAction *saveTable = nullptr;
    QAction *saveChart = nullptr;
    QList<PlaneFigures> shown;
    int selected = 0;
};
