// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filesaver.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class LabSession;
struct AnalysedPlane;
class QAction;
class QPushButton;
class QTableWidget;
class QTextEdit;
class QWidget;
struct Dialogs;

// Gets the lab's results out of the window: Ctrl+C and the table's context menu copy cells or
// the whole table for a spreadsheet, and "Сохранить результаты…" writes the table as CSV, the
// report as text and the plane as a PNG side by side.
class ResultsExport : public QObject
{
    Q_OBJECT

public:
    // Adds the actions to the results table and makes the save button (saveButton(), for the
    // window to place). What it copies and saves is the session's current plane, the codes typed
    // for it included; the report is what the text file gets, the table where the selection is.
    ResultsExport(const LabSession *session, QTableWidget *table, QTextEdit *report,
        std::shared_ptr<const Dialogs> dialogs, QWidget *window);

    QPushButton *saveButton() const { return button; }

    // Something to save that is not saved: the report changed, or the typed codes differ from
    // those saved last.
    bool hasUnsavedWork() const;

    // "NAME, плоскость N.csv" for a plane, "NAME.csv" for a picture analysed whole: a path
    // gives its file's name, a converted picture keeps its " (оттенки серого)".
    static QString suggestedName(const QString &pictureName, int planeNumber);

    // The filters of the save dialog: all results under the table's name, or one file alone.
    static QString saveFilter();
    // What a save to `path` writes for the session's current plane: for a .csv, the table, that
    // plane's report (NAME.txt), the whole report pane when it holds more ("NAME, весь
    // отчет.txt"), the plane as PNG and the session's record as JSON for grading; for a .txt or
    // a .png, that one file alone. None without a current plane.
    static QList<FileSaver::File> filesFor(
        const QString &path, const LabSession &session, const QString &reportText);
    // The part of the report pane that the plane's latest analysis wrote, with whatever was
    // added under it: from its "Изображение: ..." line to the next; empty when it is not there.
    static QString planeReport(const QString &reportText, const AnalysedPlane &plane);
    // The question before a save that would replace `existing` files; empty when none would be.
    static QString replaceQuestion(const QStringList &existing);

public slots:
    void copySelection();
    void copyTable();
    // True when all three files were written.
    bool save();

private:
    // What the student typed for the current plane.
    QStringList typedCodes() const;
    void analysed();
    QString suggestedPath() const;

    const LabSession *const session;
    QTableWidget *const table;
    QTextEdit *const report;
    const std::shared_ptr<const Dialogs> dialogs;
    QWidget *const window;
    QPushButton *button = nullptr;
    QAction *copyAction = nullptr;
    QAction *copyTableAction = nullptr;
    QAction *saveAction = nullptr;

    QString lastFolder;
    // Changes of the report pane, counted; what it was at the last save, and the typed codes.
    quint64 reportChanges = 0;
    quint64 savedReportChanges = 0;
    QStringList savedCodes;
};
