// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultsexport.h"

#include "dialogs.h"
#include "filesaver.h"
#include "greyconversion.h"
#include "labsession.h"
#include "planereport.h"
#include "resultstable.h"
#include "savefiledialog.h"
#include "sessionrecord.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
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
        QStringLiteral("Сохраняет таблицу в файл CSV, а рядом отчет о плоскости в файл TXT, "
                       "весь отчет, плоскость в файл PNG и запись работы в файл JSON"));
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
    const QString folder = SaveFileDialog::startFolder(lastFolder);
    const AnalysedPlane *plane = session->currentPlane();
    return QDir(folder).filePath(suggestedName(plane->picture, plane->plane));
}

QString ResultsExport::saveFilter()
{
    return QStringLiteral("Все результаты: таблица CSV, отчеты TXT, плоскость PNG, запись JSON "
                          "(*.csv);;Отчет о плоскости TXT (*.txt);;Плоскость PNG (*.png)");
}

QString ResultsExport::planeReport(const QString &reportText, const AnalysedPlane &plane)
{
    const QString heading = plane.plane == 0
        ? PlaneReport::imageParagraph(plane.picture)
        : PlaneReport::imageParagraph(plane.picture, plane.plane);
    const QStringList lines = reportText.split(QLatin1Char('\n'));
    const qsizetype start = lines.lastIndexOf(heading);
    if (start < 0)
        return {};
    qsizetype end = start + 1;
    while (end < lines.size() && !lines.at(end).startsWith(PlaneReport::imageParagraph(QString())))
        ++end;
    while (end > start + 1 && lines.at(end - 1).trimmed().isEmpty())
        --end;
    return lines.mid(start, end - start).join(QLatin1Char('\n'));
}

QList<FileSaver::File> ResultsExport::filesFor(
    const QString &path, const LabSession &session, const QString &reportText)
{
    const AnalysedPlane *plane = session.currentPlane();
    if (!plane)
        return {};
    const QString suffix = QFileInfo(path).suffix().toLower();
    const QString base = path.left(path.size() - suffix.size() - 1);
    const QString own = planeReport(reportText, *plane);
    if (suffix == QLatin1String("png"))
        return {{path, pngOf(plane->image)}};
    if (suffix == QLatin1String("txt"))
        return {{path, (own.isEmpty() ? reportText : own).toUtf8() + '\n'}};

    QList<FileSaver::File> files {
        {path, SpreadsheetText::csv(ResultsTable(plane->statistics, plane->typed).all())}};
    if (!own.isEmpty())
        files.append({base + QStringLiteral(".txt"), own.toUtf8() + '\n'});
    // The pane holds other analyses, or the plane's own is not to be found there.
    if (own.trimmed() != reportText.trimmed())
        files.append({base + QStringLiteral(", весь отчет.txt"), reportText.toUtf8() + '\n'});
    files.append({base + QStringLiteral(".png"), pngOf(plane->image)});
    files.append({base + QStringLiteral(".json"),
        SessionRecord::of(session, {session.currentIndex()}).toJson()});
    return files;
}

QString ResultsExport::replaceQuestion(const QStringList &existing)
{
    if (existing.isEmpty())
        return {};
    const QString folder = QDir::toNativeSeparators(QFileInfo(existing.first()).absolutePath());
    if (existing.size() == 1) {
        return QStringLiteral("Файл «%1» в папке %2 уже есть и будет заменен.\n\nЗаменить?")
            .arg(QFileInfo(existing.first()).fileName(), folder);
    }
    QStringList names;
    for (const QString &path : existing)
        names << QStringLiteral("  ") + QFileInfo(path).fileName();
    return QStringLiteral("В папке %1 уже есть эти файлы, они будут заменены:\n%2\n\nЗаменить?")
        .arg(folder, names.join(QLatin1Char('\n')));
}

bool ResultsExport::save()
{
    const AnalysedPlane *plane = session->currentPlane();
    if (!plane || plane->statistics.types.isEmpty())
        return false;
    QString path = dialogs->saveFileName(window, saveTitle, suggestedPath(), saveFilter());
    plane = session->currentPlane(); // as it is after the dialog
    if (path.isEmpty() || !plane)
        return false;
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("csv") && suffix != QLatin1String("txt")
        && suffix != QLatin1String("png"))
        path += QStringLiteral(".csv");

    const QStringList typed = plane->typed;
    const quint64 reportSaved = reportChanges;
    const QList<FileSaver::File> files = filesFor(path, *session, report->toPlainText());
    // The dialog asked about the file it was given; the others are replaced too, so the
    // question names every file that is there already.
    QStringList existing;
    for (const FileSaver::File &file : files) {
        if (QFile::exists(file.path))
            existing << file.path;
    }
    const bool othersThere = !existing.isEmpty() && existing != QStringList {path};
    if (othersThere && !dialogs->question(saveTitle, replaceQuestion(existing)))
        return false;
    const FileSaver::Result saved = FileSaver::save(files);
    lastFolder = QFileInfo(path).absolutePath();
    if (!saved.ok()) {
        dialogs->warning(saveTitle,
            QStringLiteral("Не удалось сохранить результаты\n%1\n%2")
                .arg(QDir::toNativeSeparators(saved.failedPath), saved.reason));
        return false;
    }
    QStringList names;
    for (const FileSaver::File &file : files)
        names << QStringLiteral("  ") + QFileInfo(file.path).fileName();
    dialogs->messageBox(saveTitle,
        QStringLiteral("Сохранено в папке %1:\n%2")
            .arg(QDir::toNativeSeparators(lastFolder), names.join(QLatin1Char('\n'))));
    if (files.size() > 1) {
        savedReportChanges = reportSaved;
        savedCodes = typed;
    }
    return true;
}
