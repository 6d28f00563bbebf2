// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mainwidget.h"
#include "planestatistics.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QPushButton;
class Ui_MainWidget;

// Gets the lab's results out of the window: Ctrl+C and the table's context menu copy cells or
// the whole table for a spreadsheet, and "Сохранить результаты…" writes the table as CSV, the
// report as text and the plane as a PNG side by side.
class ResultsExport : public QObject
{
    Q_OBJECT

public:
    // Adds the save button to the lab tab and the actions to the results table.
    ResultsExport(Ui_MainWidget &ui, const MainWidget::Dialogs &dialogs, QWidget *window);

    // What the last analysis put into the table, and the plane it analysed.
    void analysed(const PlaneStatistics &stats, const QImage &plane);

    QPushButton *saveButton() const { return button; }

public slots:
    void copySelection();
    void copyTable();
    void save();

private:
    // The texts in the hidden code cells: the student's, whatever the table shows there.
    QStringList typedCodes() const;
    QString suggestedPath() const;

    Ui_MainWidget &ui;
    const MainWidget::Dialogs &dialogs;
    QWidget *const window;
    QPushButton *button = nullptr;
    QAction *copyAction = nullptr;
    QAction *copyTableAction = nullptr;
    QAction *saveAction = nullptr;

    PlaneStatistics stats;
    QImage plane;
    QString lastFolder;
};
