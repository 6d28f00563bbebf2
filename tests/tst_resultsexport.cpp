// SPDX-License-Identifier: GPL-3.0-or-later
// Results out of the window: the clipboard and the saved files, as the student gets them.

#include "lab.h"
#include "labsession.h"
#include "plaincsv.h"
#include "planereport.h"
#include "planestatistics.h"
#include "resultsexport.h"
#include "resultstable.h"
#include "sessionrecord.h"
#include "testpictures.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

using WindowTesting::child;

// The lab with that plane analysed.
struct Results : Lab
{
    Results() { MainWidgetTestAccess::analyse(window, plane); }

    // The lab tab in front, so that the table can take the focus.
    void showLab()
    {
        tabs->setCurrentIndex(1);
        showActive();
        table->setFocus();
        QVERIFY(table->hasFocus());
    }

    void type(int row, const QString &text) { table->item(row, 3)->setText(text); }

    QAction *action(const QString &text) const
    {
        for (QAction *action : table->actions()) {
            if (action->text() == text)
                return action;
        }
        return nullptr;
    }

    QPushButton *const save = child<QPushButton>(window, "saveResultsButton");
    const QImage plane = TestPictures::sevenTypes();
    const PlaneStatistics stats = PlaneStatistics::of(plane);
};

QString clipboardText()
{
    const QMimeData *data = QGuiApplication::clipboard()->mimeData();
    return data ? data->text() : QString();
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QStringList listing(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

class tst_ResultsExport : public QObject
{
    Q_OBJECT

private slots:
    void init() { QGuiApplication::clipboard()->clear(); }
    void copySelection_data();
    void copySelection();
    void copyWholeTable();
    void copyInCodeEditor();
    void save();
    void saveCancelled();
    void savedFiles_data();
    void savedFiles();
    void replaceAsksForEveryFile();
    void saveFails_data();
    void saveFails();
    void suggestedName_data();
    void suggestedName();
    void closing_data();
    void closing();
    void closingAsksOnlyForUnsaved_data();
    void closingAsksOnlyForUnsaved();
};

void tst_ResultsExport::copySelection_data()
{
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<QPoint>>("cells"); // (column, row)
    QTest::addColumn<QString>("text");

    const int items = QAbstractItemView::SelectItems;
    const int rows = QAbstractItemView::SelectRows;
    const int extended = QAbstractItemView::ExtendedSelection;
    // Row 0 has count 6 of 22 and the typed code "01"; row 5 is pattern 256, shown code.
    QTest::newRow("one count cell alone, no line break")
        << items << extended << QList<QPoint> {{1, 0}} << QStringLiteral("6");
    QTest::newRow("typed code, not the hidden one")
        << items << extended << QList<QPoint> {{3, 0}} << QStringLiteral("01");
    QTest::newRow("hidden code with nothing typed is empty")
        << items << extended << QList<QPoint> {{3, 1}, {4, 1}} << QStringLiteral("\t2\n");
    QTest::newRow("ragged selection keeps its grid")
        << items << extended << QList<QPoint> {{1, 0}, {2, 1}}
        << QStringLiteral("6\t\n\t0,227273\n");
    QTest::newRow("whole rows selected")
        << rows << extended << QList<QPoint> {{2, 0}, {2, 6}}
        << QStringLiteral("000000000\t6\t0,272727\t01\t2\n111111111\t1\t0,0454545\t%1\t5\n");
    QTest::newRow("single selection mode") << items << int(QAbstractItemView::SingleSelection)
                                           << QList<QPoint> {{4, 6}} << QStringLiteral("5");
}

// Ctrl+C in the table copies the selected cells, whatever the selection mode.
void tst_ResultsExport::copySelection()
{
    QFETCH(int, behaviour);
    QFETCH(int, mode);
    QFETCH(QList<QPoint>, cells);
    QFETCH(QString, text);

    Results lab;
    lab.showLab();
    lab.type(0, QStringLiteral("01"));
    lab.table->setSelectionBehavior(QAbstractItemView::SelectionBehavior(behaviour));
    lab.table->setSelectionMode(QAbstractItemView::SelectionMode(mode));
    lab.table->clearSelection();
    for (const QPoint &cell : std::as_const(cells)) {
        lab.table->selectionModel()->select(lab.table->model()->index(cell.y(), cell.x()),
            QItemSelectionModel::Select
                | (behaviour == QAbstractItemView::SelectRows ? QItemSelectionModel::Rows
                                                              : QItemSelectionModel::NoUpdate));
    }
    QTest::keyClick(lab.table, Qt::Key_C, Qt::ControlModifier);

    text.replace(QStringLiteral("%1"), lab.stats.codes.at(6));
    QCOMPARE(clipboardText(), text);
    // Calc pastes the HTML flavour instead: the same cells.
    const QString html = QGuiApplication::clipboard()->mimeData()->html();
    QCOMPARE(html.count(QStringLiteral("<td")),
        text.count(QLatin1Char('\t')) + qMax<qsizetype>(1, text.count(QLatin1Char('\n'))));
}

void tst_ResultsExport::copyWholeTable()
{
    Results lab;
    QAction *copyAll = lab.action(QStringLiteral("Копировать всю таблицу"));
    QVERIFY(copyAll);
    QVERIFY(lab.action(QStringLiteral("Копировать")));
    QCOMPARE(lab.table->contextMenuPolicy(), Qt::ActionsContextMenu);
    lab.type(2, QStringLiteral("0010"));
    copyAll->trigger();

    const QStringList lines = clipboardText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 7 + 2); // header, seven rows, the empty rest after the last break
    QCOMPARE(lines.first(),
        QStringLiteral("тип блока\tколичество\tвероятность\tкод Хаффмана\tдлина кода"));
    QCOMPARE(lines.at(3), QStringLiteral("110000000\t4\t0,181818\t0010\t2"));
    for (int row = 0; row < ResultsTable::hiddenRows; ++row) {
        if (row != 2)
            QCOMPARE(lines.at(row + 1).section(QLatin1Char('\t'), 3, 3), QString());
    }
    QCOMPARE(lines.at(7).section(QLatin1Char('\t'), 3, 3), lab.stats.codes.at(6));
}

// While a code is being typed, Ctrl+C belongs to the cell's editor.
void tst_ResultsExport::copyInCodeEditor()
{
    Results lab;
    lab.showLab();
    lab.table->setCurrentCell(0, 3);
    lab.table->editItem(lab.table->item(0, 3));
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("0110"));
    editor->selectAll();
    QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("0110"));
}

void tst_ResultsExport::save()
{
    QTemporaryDir folder;
    // The first dialog opens in Documents.
    QTemporaryDir home;
    const QByteArray realHome = qgetenv("HOME");
    const QByteArray realConfig = qgetenv("XDG_CONFIG_HOME");
    const auto restore = qScopeGuard([&] {
        qputenv("HOME", realHome);
        qputenv("XDG_CONFIG_HOME", realConfig);
    });
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral(".config")).toUtf8());
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("Documents")));
    Results lab;
    QVERIFY(lab.save->isEnabled());
    lab.type(0, QStringLiteral("00"));
    lab.savedFile = folder.filePath(QStringLiteral("мой отчёт")); // no suffix: .csv is added
    QTest::mouseClick(lab.save, Qt::LeftButton);

    QCOMPARE(lab.saveDialogs, 1);
#ifdef Q_OS_WIN
    // Windows' Documents is the user's known folder, whatever HOME says.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
#else
    const QString documents = home.filePath(QStringLiteral("Documents"));
#endif
    QCOMPARE(QFileInfo(lab.saveDir).absolutePath(), documents);
    QVERIFY(lab.warnings.isEmpty());
    QCOMPARE(listing(folder.path()),
        QStringList({QStringLiteral("мой отчёт.csv"), QStringLiteral("мой отчёт.json"),
            QStringLiteral("мой отчёт.png"), QStringLiteral("мой отчёт.txt")}));
    // The window says what it wrote, and where.
    QCOMPARE(lab.messages,
        QStringList(QStringLiteral("Сохранить результаты|Сохранено в папке %1:\n  мой отчёт.csv\n"
                                   "  мой отчёт.txt\n  мой отчёт.png\n  мой отчёт.json")
                        .arg(QDir::toNativeSeparators(folder.path()))));
    QVERIFY(lab.questions.isEmpty());

    const PlainCsv::Table csv = PlainCsv::parse(contents(lab.savedFile + QStringLiteral(".csv")));
    QVERIFY(csv.byteOrderMark);
    QCOMPARE(csv.records.size(), 8);
    QCOMPARE(csv.records.first(), ResultsTable::columnTitles());
    // The typed code is read from its cell; the next hidden one was left empty.
    QCOMPARE(csv.records.at(1).at(3), QStringLiteral("=\"00\""));
    QCOMPARE(csv.records.at(2).at(3), QString());

    QCOMPARE(QString::fromUtf8(contents(lab.savedFile + QStringLiteral(".txt"))),
        lab.report->toPlainText() + QLatin1Char('\n'));

    const QImage png(lab.savedFile + QStringLiteral(".png"));
    QCOMPARE(png.depth(), 1);
    QCOMPARE(png.size(), lab.plane.size());
    for (int y = 0; y < png.height(); ++y) {
        for (int x = 0; x < png.width(); ++x)
            QCOMPARE(png.pixel(x, y), lab.plane.pixel(x, y));
    }

    // The next save starts where this one went.
    QTest::mouseClick(lab.save, Qt::LeftButton);
    QCOMPARE(QFileInfo(lab.saveDir).absolutePath(), QFileInfo(lab.savedFile).absolutePath());
}

void tst_ResultsExport::savedFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("twoPlanes"); // a second plane analysed after the one saved
    QTest::addColumn<QStringList>("names");
    QTest::newRow("one plane in the pane")
        << "/t/итоги.csv" << false
        << QStringList {"итоги.csv", "итоги.txt", "итоги.png", "итоги.json"};
    QTest::newRow("two planes in the pane")
        << "/t/итоги.csv" << true
        << QStringList {
               "итоги.csv", "итоги.txt", "итоги, весь отчет.txt", "итоги.png", "итоги.json"};
    QTest::newRow("the report alone") << "/t/итоги.txt" << true << QStringList {"итоги.txt"};
    QTest::newRow("the plane alone") << "/t/итоги.png" << true << QStringList {"итоги.png"};
}

// Each saved file holds what its name says: NAME.txt the saved plane's report, whatever else
// the pane holds (that goes whole into "NAME, весь отчет.txt"), and NAME.json the session's
// record of that plane, for grading.
void tst_ResultsExport::savedFiles()
{
    QFETCH(QString, path);
    QFETCH(bool, twoPlanes);
    QFETCH(QStringList, names);

    LabSession session;
    const QImage lena(QStringLiteral(":/images/images/lena.bmp"));
    session.load(lena, QStringLiteral("Лена"));
    QString pane = PlaneReport::imageParagraph(QStringLiteral("Лена"), 1) + "\nплоскость 1\n";
    if (twoPlanes) {
        // The saved plane is the current one: analysed again after plane 2.
        session.selectPlane(1);
        session.selectPlane(0);
        pane = PlaneReport::imageParagraph(QStringLiteral("Лена"), 2) + "\nплоскость 2\n" + pane;
    }
    const QList<FileSaver::File> files = ResultsExport::filesFor(path, session, pane);
    QStringList written;
    for (const FileSaver::File &file : files)
        written << QFileInfo(file.path).fileName();
    QCOMPARE(written, names);
    for (const FileSaver::File &file : files) {
        const QString name = QFileInfo(file.path).fileName();
        if (name == QLatin1String("итоги.txt")) {
            QCOMPARE(QString::fromUtf8(file.data),
                PlaneReport::imageParagraph(QStringLiteral("Лена"), 1) + "\nплоскость 1\n");
        } else if (name.endsWith(QLatin1String("весь отчет.txt"))) {
            QCOMPARE(QString::fromUtf8(file.data), pane + '\n');
        } else if (name.endsWith(QLatin1String(".json"))) {
            const std::optional<SessionRecord> record = SessionRecord::fromJson(file.data);
            QVERIFY(record);
            QCOMPARE(file.data, SessionRecord::of(session, {session.currentIndex()}).toJson());
        } else if (name.endsWith(QLatin1String(".png"))) {
            QCOMPARE(QImage::fromData(file.data).size(), lena.size());
        }
    }
}

// Files of the save's name already there, but not the table: one question names each of them,
// and "Отмена" writes nothing.
void tst_ResultsExport::replaceAsksForEveryFile()
{
    QTemporaryDir folder;
    for (const char *name : {"итоги.txt", "итоги.png"}) {
        QFile old(folder.filePath(QString::fromUtf8(name)));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old\n");
    }
    Results lab;
    lab.savedFile = folder.filePath(QStringLiteral("итоги.csv"));
    lab.questionAnswer = false;
    QTest::mouseClick(lab.save, Qt::LeftButton);
    QCOMPARE(lab.questions,
        QStringList(QStringLiteral("Сохранить результаты|В папке %1 уже есть эти файлы, они будут "
                                   "заменены:\n  итоги.txt\n  итоги.png\n\nЗаменить?")
                        .arg(QDir::toNativeSeparators(folder.path()))));
    QCOMPARE(listing(folder.path()), QStringList({"итоги.png", "итоги.txt"}));
    QCOMPARE(contents(folder.filePath(QStringLiteral("итоги.txt"))), QByteArray("old\n"));

    lab.questionAnswer = true;
    QTest::mouseClick(lab.save, Qt::LeftButton);
    QCOMPARE(
        listing(folder.path()), QStringList({"итоги.csv", "итоги.json", "итоги.png", "итоги.txt"}));
}

void tst_ResultsExport::saveCancelled()
{
    Results lab;
    QTemporaryDir folder;
    lab.savedFile.clear();
    QTest::mouseClick(lab.save, Qt::LeftButton);
    QCOMPARE(lab.saveDialogs, 1);
    QVERIFY(lab.messages.isEmpty());

    const Lab fresh;
    QVERIFY(!child<QPushButton>(fresh.window, "saveResultsButton")->isEnabled());
}

void tst_ResultsExport::saveFails_data()
{
    QTest::addColumn<QString>("answer"); // relative to the scratch folder
    QTest::addColumn<QString>("folderNamed"); // made as a folder first; empty for none
    QTest::addColumn<QString>("failed");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("readOnly");

    QTest::newRow("missing folder")
        << QStringLiteral("нет такой/итоги.csv") << QString()
        << QStringLiteral("нет такой/итоги.csv") << QStringLiteral("Папка не найдена.") << false;
    QTest::newRow("a folder named like the table")
        << QStringLiteral("итоги.csv") << QStringLiteral("итоги.csv") << QStringLiteral("итоги.csv")
        << QStringLiteral("Это папка, а не файл.") << false;
    QTest::newRow("a folder named like the report: the table is not touched either")
        << QStringLiteral("итоги.csv") << QStringLiteral("итоги.txt") << QStringLiteral("итоги.txt")
        << QStringLiteral("Это папка, а не файл.") << false;
    QTest::newRow("read-only folder")
        << QStringLiteral("итоги.csv") << QString() << QStringLiteral("итоги.csv")
        << QStringLiteral("Нет прав на запись в эту папку.") << true;
}

// A file that cannot be written: a message naming it and why, and every file on disk as before.
void tst_ResultsExport::saveFails()
{
    QFETCH(QString, answer);
    QFETCH(QString, folderNamed);
    QFETCH(QString, failed);
    QFETCH(QString, reason);
    QFETCH(bool, readOnly);
#ifdef Q_OS_UNIX
    if (readOnly && ::geteuid() == 0)
        QSKIP("root writes into any folder");
#else
    if (readOnly)
        QSKIP("a read-only attribute keeps no file out of a Windows folder");
#endif

    QTemporaryDir scratch;
    const QDir folder(scratch.path());
    // What an earlier save left: it must survive the failed one whole.
    QFile old(folder.filePath(QStringLiteral("итоги.csv")));
    if (folderNamed != QStringLiteral("итоги.csv")) {
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old table\n");
        old.close();
    }
    if (!folderNamed.isEmpty())
        QVERIFY(folder.mkdir(folderNamed));
    if (readOnly)
        QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));
    const QStringList before = listing(folder.path());

    Results lab;
    lab.savedFile = folder.filePath(answer);
    QTest::mouseClick(lab.save, Qt::LeftButton);

    QCOMPARE(lab.warnings,
        QStringList(QStringLiteral("Сохранить результаты|Не удалось сохранить результаты\n")
            + QDir::toNativeSeparators(folder.filePath(failed)) + QLatin1Char('\n') + reason));
    QCOMPARE(lab.messages, lab.warnings);
    QCOMPARE(listing(folder.path()), before);
    if (folderNamed != QStringLiteral("итоги.csv"))
        QCOMPARE(contents(old.fileName()), QByteArray("old table\n"));
    if (readOnly)
        QFile::setPermissions(
            folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void tst_ResultsExport::suggestedName_data()
{
    QTest::addColumn<QString>("picture"); // as the report names it
    QTest::addColumn<int>("plane");
    QTest::addColumn<QString>("name");

    QTest::newRow("built-in picture") << "Золотой холм" << 3 << "Золотой холм, плоскость 3.csv";
    QTest::newRow("file: its name without the extension")
        << "/home/student/снимки/IMG_0001.JPG" << 1 << "IMG_0001, плоскость 1.csv";
    QTest::newRow("colour picture analysed whole: no plane")
        << "/home/student/photo.v2.jpg" << 0 << "photo.v2.csv";
    QTest::newRow("converted to grey") << "/home/student/photo.jpg (оттенки серого)" << 8
                                       << "photo (оттенки серого), плоскость 8.csv";
    QTest::newRow("no name") << "" << 2 << "результаты, плоскость 2.csv";
}

void tst_ResultsExport::suggestedName()
{
    QFETCH(QString, picture);
    QFETCH(int, plane);
    QFETCH(QString, name);
    QCOMPARE(ResultsExport::suggestedName(picture, plane), name);
}

void tst_ResultsExport::closing_data()
{
    QTest::addColumn<int>("answerValue"); // a MainWidget::CloseAnswer
    QTest::addColumn<bool>("saveDialogAnswers");
    QTest::addColumn<bool>("closes");

    QTest::newRow("Отмена keeps the window and everything in it")
        << int(MainWidget::CloseAnswer::Cancel) << true << false;
    QTest::newRow("Не сохранять closes, nothing written")
        << int(MainWidget::CloseAnswer::Discard) << true << true;
    QTest::newRow("Сохранить writes the files, then closes")
        << int(MainWidget::CloseAnswer::Save) << true << true;
    QTest::newRow("Сохранить, save dialog cancelled: the window stays")
        << int(MainWidget::CloseAnswer::Save) << false << false;
}

// Closing with a typed code and a report not saved asks first; only a save or "Не сохранять"
// lets the window go.
void tst_ResultsExport::closing()
{
    QFETCH(int, answerValue);
    const auto answer = MainWidget::CloseAnswer(answerValue);
    QFETCH(bool, saveDialogAnswers);
    QFETCH(bool, closes);

    QApplication::setQuitOnLastWindowClosed(false);
    QTemporaryDir folder;
    Results lab;
    lab.show();
    lab.type(0, QStringLiteral("01"));
    const Lab::Snapshot before = lab.snapshot();
    lab.closeAnswer = answer;
    const QString table = folder.filePath(QStringLiteral("итоги.csv"));
    lab.savedFile = saveDialogAnswers ? table : QString();

    QCOMPARE(lab.window.close(), closes);
    QCOMPARE(lab.closeQuestions,
        QStringList(QStringLiteral("Выход из программы|Сохранить результаты перед выходом?")));
    QCOMPARE(lab.window.isVisible(), !closes);
    QCOMPARE(lab.saveDialogs, answer == MainWidget::CloseAnswer::Save ? 1 : 0);
    const bool saved = answer == MainWidget::CloseAnswer::Save && saveDialogAnswers;
    QCOMPARE(QFile::exists(table), saved);
    if (saved)
        QCOMPARE(PlainCsv::parse(contents(table)).records.at(1).at(3), QStringLiteral("=\"01\""));
    if (!closes)
        QCOMPARE(lab.snapshot().differences(before), QStringList());
}

void tst_ResultsExport::closingAsksOnlyForUnsaved_data()
{
    QTest::addColumn<bool>("analysed");
    QTest::addColumn<QString>("afterSave"); // what the student does after saving; "-" no save
    QTest::addColumn<bool>("asks");

    QTest::newRow("nothing analysed, nothing to save") << false << "-" << false;
    QTest::newRow("analysed, never saved: the report") << true << "-" << true;
    QTest::newRow("saved, nothing since") << true << "" << false;
    QTest::newRow("saved, then a code typed") << true << "type" << true;
    QTest::newRow("saved, then the probabilities output") << true << "output" << true;
    QTest::newRow("saved, then a note in the report") << true << "note" << true;
    QTest::newRow("saved, then only checked") << true << "check" << false;
}

void tst_ResultsExport::closingAsksOnlyForUnsaved()
{
    QFETCH(bool, analysed);
    QFETCH(QString, afterSave);
    QFETCH(bool, asks);

    QApplication::setQuitOnLastWindowClosed(false);
    QTemporaryDir folder;
    Lab lab;
    if (analysed)
        MainWidgetTestAccess::analyse(lab.window, TestPictures::sevenTypes());
    lab.show();
    if (afterSave != QLatin1String("-")) {
        lab.table->item(0, 3)->setText(QStringLiteral("0"));
        lab.savedFile = folder.filePath(QStringLiteral("итоги.csv"));
        QTest::mouseClick(child<QPushButton>(lab.window, "saveResultsButton"), Qt::LeftButton);
        QVERIFY(QFile::exists(lab.savedFile));
    }
    if (afterSave == QLatin1String("type"))
        lab.table->item(1, 3)->setText(QStringLiteral("10"));
    else if (afterSave == QLatin1String("output"))
        lab.output->click();
    else if (afterSave == QLatin1String("note"))
        lab.report->append(QStringLiteral("вывод: плоскость сжимается"));
    else if (afterSave == QLatin1String("check"))
        lab.check->click();

    lab.closeAnswer = MainWidget::CloseAnswer::Cancel;
    QCOMPARE(lab.window.close(), !asks);
    QCOMPARE(lab.closeQuestions.size(), asks ? 1 : 0);
}

QTEST_MAIN(tst_ResultsExport)
#include "tst_resultsexport.moc"
