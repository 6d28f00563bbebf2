// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultsexport.h"

#include "dialogs.h"
#include "filesaver.h"
#include "greyconversion.h"
#include "labsession.h"
#include "resultstable.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QTableWidget>
#include <QTextDocument>
#include <QTextEdit>

#include <set>

namespace {

const QString saveTitle = QStringLiteral("Сохранить результаты");

void toClipboard(const QList<SpreadsheetText::Row> &rows)
{
    QGuiApplication::clipboard()->setMimeData(SpreadsheetText::mimeData(rows));
}

QByteArray pngOf(const QImage &image)
{
    // A plane is Format_Mono with two colours: Qt writes it as a 1-bit palette PNG.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

ResultsExport::ResultsExport(const LabSession *session, QTableWidget *table, QTextEdit *report,
    std::shared_ptr<const Dialogs> dialogs, QWidget *window)
    : QObject(window)
    , session(session)
    , table(table)
    , report(report)
    , dialogs(std::move(dialogs))
    , window(window)
{

    button = new QPushButton(window);
    button->setObjectName(QStringLiteral("saveResultsButton"));
    button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    button->setMaximumHeight(75);
    button->setIcon(window->style()->standardIcon(QStyle::SP_DialogSaveButton));
    button->setFlat(true);
    button->setAutoDefault(false);
    button->setToolTip(QStringLiteral("Сохранить результаты…"));
    button->setAccessibleName(QStringLiteral("Сохранить результаты"));
    button->setAccessibleDescription(
        QStringLiteral("Сохраняет таблицу в файл CSV, а рядом отчет в файл TXT и плоскость в "
                       "файл PNG"));
    button->setEnabled(false);
    connect(button, &QPushButton::clicked, this, &ResultsExport::save);

    copyAction = new QAction(QStringLiteral("Копировать"), table);
    copyAction->setShortcut(QKeySequence::Copy);
    // Only the table itself: in a code cell being edited, Ctrl+C copies the editor's text.
    copyAction->setShortcutContext(Qt::WidgetShortcut);
    connect(copyAction, &QAction::triggered, this, &ResultsExport::copySelection);

    copyTableAction = new QAction(QStringLiteral("Копировать всю таблицу"), table);
    connect(copyTableAction, &QAction::triggered, this, &ResultsExport::copyTable);

    auto *separator = new QAction(table);
    separator->setSeparator(true);
    saveAction = new QAction(QStringLiteral("Сохранить результаты…"), table);
    saveAction->setEnabled(false);
    connect(saveAction, &QAction::triggered, this, &ResultsExport::save);

    table->addActions({copyAction, copyTableAction, separator, saveAction});
    table->setContextMenuPolicy(Qt::ActionsContextMenu);

    // Every analysis, output and edit of the report; what the student typed there counts too.
    connect(report->document(), &QTextDocument::contentsChanged, this, [this] { ++reportChanges; });
    connect(session, &LabSession::planeAnalysed, this, &ResultsExport::analysed);
}

void ResultsExport::analysed()
{
    button->setEnabled(true);
    saveAction->setEnabled(true);
}

QStringList ResultsExport::typedCodes() const
{
    const AnalysedPlane *plane = session->currentPlane();
    return plane ? plane->typed : QStringList();
}

void ResultsExport::copySelection()
{
    const AnalysedPlane *plane = session->currentPlane();
    if (!plane)
        return;
    const ResultsTable results(plane->statistics, plane->typed);
    // Whatever the selection mode: the rows and columns that hold a selected cell, with the
    // unselected cells among them left empty, as a spreadsheet copies a ragged selection.
    std::set<std::pair<int, int>> selected;
    std::set<int> rows;
    std::set<int> columns;
    for (const QModelIndex &index : table->selectionModel()->selectedIndexes()) {
        if (index.row() >= results.rowCount() || index.column() >= ResultsTable::columnCount)
            continue;
        selected.emplace(index.row(), index.column());
        rows.insert(index.row());
        columns.insert(index.column());
    }
    if (selected.empty())
        return;
    QList<SpreadsheetText::Row> lines;
    for (const int row : rows) {
        SpreadsheetText::Row line;
        for (const int column : columns) {
            line.append(selected.count({row, column}) ? results.cell(row, column)
                                                      : SpreadsheetText::Cell {});
        }
        lines.append(line);
    }
    toClipboard(lines);
}

void ResultsExport::copyTable()
{
    const AnalysedPlane *plane = session->currentPlane();
    if (!plane)
        return;
    const ResultsTable results(plane->statistics, plane->typed);
    if (results.rowCount() == 0)
        return;
    toClipboard(results.all());
}

bool ResultsExport::hasUnsavedWork() const
{
    const AnalysedPlane *plane = session->currentPlane();
    if (!plane || plane->statistics.types.isEmpty())
        return false; // nothing the save could write
    return reportChanges != savedReportChanges || typedCodes() != savedCodes;
}

QString ResultsExport::suggestedName(const QString &name, int number)
{
    QString picture = name;
    QString converted;
    if (picture.endsWith(GreyConversion::nameSuffix())) {
        converted = GreyConversion::nameSuffix();
        picture.chop(converted.size());
    }
    // A built-in picture's name has no folder and no suffix, and stays as it is.
    picture = QFileInfo(picture).completeBaseName();
    if (picture.isEmpty())
        picture = QStringLiteral("результаты");
    picture += converted;
    if (number == 0)
        return picture + QStringLiteral(".csv");
    return QStringLiteral("%1, плоскость %2.csv").arg(picture).arg(number);
}

QString ResultsExport::suggestedPath() const
{
    // The first save goes to Documents (the home folder where there is none), later ones
    // where the last one went.
    QString folder = lastFolder;
    if (folder.isEmpty()) {
        const QString documents
            = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        folder
            = !documents.isEmpty() && QFileInfo(documents).isDir() ? documents : QDir::homePath();
    }
    const AnalysedPlane *plane = session->currentPlane();
    return QDir(folder).filePath(suggestedName(plane->picture, plane->plane));
}

bool ResultsExport::save()
{
    const AnalysedPlane *plane = session->currentPlane();
    if (!plane || plane->statistics.types.isEmpty())
        return false;
    QString path = dialogs->saveFileName(
        window, saveTitle, suggestedPath(), QStringLiteral("Таблица CSV (*.csv);;Все файлы (*)"));
    plane = session->currentPlane(); // as it is after the dialog
    if (path.isEmpty() || !plane)
        return false;
    if (!path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        path += QStringLiteral(".csv");
    const QString base = path.left(path.size() - 4);

    const QStringList typed = plane->typed;
    const quint64 reportSaved = reportChanges;
    const ResultsTable results(plane->statistics, typed);
    const FileSaver::Result saved = FileSaver::save({
        {path, SpreadsheetText::csv(results.all())},
        {base + QStringLiteral(".txt"), report->toPlainText().toUtf8() + '\n'},
        {base + QStringLiteral(".png"), pngOf(plane->image)},
    });
    lastFolder = QFileInfo(path).absolutePath();
    if (!saved.ok()) {
        dialogs->warning(saveTitle,
            QStringLiteral("Не удалось сохранить результаты\n%1\n%2")
                .arg(QDir::toNativeSeparators(saved.failedPath), saved.reason));
        return false;
    }
    savedReportChanges = reportSaved;
    savedCodes = typed;
    return true;
}
