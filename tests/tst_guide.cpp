// SPDX-License-Identifier: GPL-3.0-or-later
// The student's guide: F1 lands on the right section, every link and picture resolves, and every
// worked figure in it is what the program computes.

#include "bitplanes.h"
#include "codetreeview.h"
#include "contexthelp.h"
#include "dialogs.h"
#include "helpwindow.h"
#include "homeworkdiagnosis.h"
#include "huffmanconstruction.h"
#include "lab.h"
#include "planereport.h"
#include "planestatistics.h"
#include "planesummary.h"

#include <QFile>
#include <QHelpEvent>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QTextFragment>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>

using WindowTesting::child;

namespace {

QString guideSource()
{
    QFile file(QStringLiteral(":/help/guide.md"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("the guide is not in the resources");
    return QString::fromUtf8(file.readAll());
}

QString tableRow(const QStringList &cells)
{
    return QStringLiteral("| ") + cells.join(QStringLiteral(" | ")) + QStringLiteral(" |");
}

QString table(const QStringList &headers, const QList<QStringList> &rows)
{
    QStringList lines {tableRow(headers), tableRow(QStringList(headers.size(), "---"))};
    for (const QStringList &row : rows)
        lines << tableRow(row);
    return lines.join(QLatin1Char('\n'));
}

// The characters of a name as the construction lists them: ascending count.
QString countsTable(const QString &name)
{
    const HuffmanConstruction c = HuffmanConstruction::ofName(name);
    QList<QStringList> rows;
    for (qsizetype i = 0; i < c.letters.size(); ++i) {
        rows << QStringList {CodeTreeView::characterText(c.letters.at(i)),
            QString::number(c.nodes.at(i).count), c.fractionText(c.nodes.at(i).count)};
    }
    return table({"Символ", "Количество", "Вероятность"}, rows);
}

// The construction window's table of steps.
QString stepsTable(const QString &name)
{
    const HuffmanConstruction c = HuffmanConstruction::ofName(name);
    QList<QStringList> rows;
    for (const HuffmanConstruction::Step &step : c.steps) {
        rows << QStringList {QString::number(c.nodes.at(step.merged).step), c.nodeText(step.first),
            c.nodeText(step.second), c.nodeText(step.merged), HuffmanConstruction::tieNote(step)};
    }
    return table({"Шаг", "Взят первым", "Взят вторым", "Новый узел", "Выбор среди равных"}, rows);
}

// The construction window's table of codewords.
QString codesTable(const QString &name)
{
    const HuffmanConstruction c = HuffmanConstruction::ofName(name);
    QList<QStringList> rows;
    for (qsizetype i = 0; i < c.lengths.size(); ++i) {
        const SymbolLength &entry = c.lengths.at(i);
        const int count = c.nodes.at(entry.symbol).count;
        rows << QStringList {CodeTreeView::characterText(c.letters.at(entry.symbol)),
            QString::number(count), c.fractionText(count),
            QString::number(std::max(entry.length, 1)), c.codes.value(i)};
    }
    return table({"Символ", "Количество", "Вероятность", "Длина", "Кодовое слово"}, rows);
}

QString countersLine(const QString &name)
{
    QStringList counters;
    for (const int counter : HuffmanConstruction::ofName(name).counters)
        counters << QString::number(counter);
    return QStringLiteral("Ответ для имени «%1»: **%2**").arg(name, counters.join(','));
}

QString diagnosisQuote(const QString &name, const QString &counters)
{
    return QStringLiteral("> ") + HomeworkDiagnosis::of(name, counters).text;
}

// A made-up plane's block counts, ranked, through the coder as the analysis calls it.
QString canonicalTable(const QString &countsText)
{
    QList<int> counts;
    int total = 0;
    for (const QString &field : countsText.split(QLatin1Char(','))) {
        counts << field.toInt();
        total += counts.constLast();
    }
    QList<float> probabilities;
    for (const int count : counts)
        probabilities << float(count) / float(total);
    const QList<SymbolLength> lengths = HuffmanCoder::codeLengths(probabilities);
    const QStringList codes = HuffmanCoder::canonicalCodes(lengths);
    QList<QStringList> rows;
    for (qsizetype i = 0; i < counts.size(); ++i) {
        rows << QStringList {QString::number(i + 1), QString::number(counts.at(i)),
            PlaneReport::probabilityText(probabilities.at(i)),
            QString::number(lengths.at(i).length), codes.at(i)};
    }
    return table({"Строка", "Количество", "Вероятность", "Длина кода", "Код Хаффмана"}, rows);
}

const PlaneStatistics &lenaPlane(int plane)
{
    static QList<PlaneStatistics> stats;
    if (stats.isEmpty()) {
        for (const QImage &image : BitPlanes::split(QImage(":/images/images/lena.bmp")))
            stats << PlaneStatistics::of(image);
    }
    return stats.at(plane - 1);
}

// ■ for a black pixel (bit 1), □ for white, rows top to bottom.
QString patternText(int pattern)
{
    QStringList rows;
    for (int y = 0; y < 3; ++y) {
        QString row;
        for (int x = 0; x < 3; ++x)
            row += (pattern >> (y * 3 + x)) & 1 ? QStringLiteral("■") : QStringLiteral("□");
        rows << row;
    }
    return rows.join(QLatin1Char(' '));
}

// The first rows of Лена's results table, the five hidden codes hidden.
QString lenaTable(int plane, int rowCount)
{
    const PlaneStatistics &stats = lenaPlane(plane);
    QList<QStringList> rows;
    for (int i = 0; i < rowCount; ++i) {
        rows << QStringList {QString::number(i + 1), patternText(stats.types.at(i).pattern),
            QString::number(stats.types.at(i).count),
            PlaneReport::probabilityText(stats.probabilities.at(i)),
            i < 5 ? QStringLiteral("*(красная ячейка)*") : stats.codes.at(i),
            QString::number(stats.lengths.at(i).length)};
    }
    return table(
        {"Строка", "Тип блока", "Количество", "Вероятность", "Код Хаффмана", "Длина кода"}, rows);
}

QString lenaReport(int plane)
{
    const PlaneStatistics &stats = lenaPlane(plane);
    return QStringLiteral("```\n") + PlaneReport::imageParagraph(QStringLiteral("Лена"), plane)
        + QLatin1Char('\n') + PlaneReport::blockTypesParagraph(stats.types.size())
        + QLatin1Char('\n') + PlaneReport::summaryParagraph(stats) + QStringLiteral("\n```");
}

// The figures as the program computes them, for a marker "<!-- figures: kind arguments -->".
QString regenerated(const QString &kind, const QString &arguments)
{
    if (kind == QLatin1String("counts"))
        return countsTable(arguments);
    if (kind == QLatin1String("steps"))
        return stepsTable(arguments);
    if (kind == QLatin1String("codes"))
        return codesTable(arguments);
    if (kind == QLatin1String("counters"))
        return countersLine(arguments);
    if (kind == QLatin1String("diagnosis")) {
        const QStringList parts = arguments.split(QLatin1Char('|'));
        return diagnosisQuote(parts.value(0), parts.value(1));
    }
    if (kind == QLatin1String("canonical"))
        return canonicalTable(arguments);
    if (kind == QLatin1String("lena-table")) {
        const QStringList parts = arguments.split(QLatin1Char(' '));
        return lenaTable(parts.value(0).toInt(), parts.value(1).toInt());
    }
    if (kind == QLatin1String("lena-report"))
        return lenaReport(arguments.toInt());
    return QStringLiteral("unknown kind of figures: ") + kind;
}

struct Marked
{
    QString kind;
    QString arguments;
    QString text; // the lines after the marker: to a blank line, or a whole fenced block
};

QList<Marked> markedFigures(const QString &source)
{
    static const QRegularExpression marker(QStringLiteral("^<!-- figures: (\\S+) (.*) -->$"));
    const QStringList lines = source.split(QLatin1Char('\n'));
    QList<Marked> found;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QRegularExpressionMatch match = marker.match(lines.at(i));
        if (!match.hasMatch())
            continue;
        QStringList block;
        qsizetype j = i + 1;
        if (lines.value(j).startsWith(QLatin1String("```"))) {
            block << lines.at(j++);
            while (j < lines.size() && !lines.at(j).startsWith(QLatin1String("```")))
                block << lines.at(j++);
            block << lines.value(j);
        } else {
            while (j < lines.size() && !lines.at(j).trimmed().isEmpty())
                block << lines.at(j++);
        }
        found << Marked {match.captured(1), match.captured(2), block.join(QLatin1Char('\n'))};
    }
    return found;
}

// Links and pictures as the guide's window shows them.
struct Target
{
    QString href;
    bool picture = false;
};

QList<Target> targets(const QTextDocument *document)
{
    QList<Target> found;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat())
                found << Target {format.toImageFormat().name(), true};
            else if (format.isAnchor() && !format.anchorHref().isEmpty())
                found << Target {format.anchorHref(), false};
        }
    }
    return found;
}

ContextHelp *contextHelp(Lab &lab)
{
    auto *help = lab.window.findChild<ContextHelp *>();
    if (!help)
        qFatal("no ContextHelp in the window");
    return help;
}

} // namespace

class tst_Guide : public QObject
{
    Q_OBJECT

private slots:
    void f1Targets_data();
    void f1Targets();
    void f1FromTheKeyboard_data();
    void f1FromTheKeyboard();
    void cornerButtonOpensTheTabsSection();
    void linksAndPicturesResolve();
    void figures_data();
    void figures();
    void everyKindOfFigureIsChecked();
    void findAndPrint();
    void escapeCloses();
    void agreesWithTheWindow();
    void lockedTabSaysWhy();
    void emptyViewerSaysWhatFirst();
};

// Each control against the heading of the section it opens.
void tst_Guide::f1Targets_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("heading");
    const auto row = [](const char *control, const char *heading) {
        QTest::newRow(control) << QString::fromLatin1(control) << QString::fromUtf8(heading);
    };
    row("lineEdit", "Как ввести ответ");
    row("lineEdit_2", "Длины кодов и счетчики длин");
    row("pushButton", "Как ввести ответ");
    row("label_6", "Что значит ответ программы");
    row("diagnosisLabel", "Что значит ответ программы");
    row("constructionButton", "Окно «Построение кода Хаффмана»");
    row("comboBox", "Выбор изображения");
    row("pushButton_2", "Выбор изображения");
    row("dial", "Битовые плоскости");
    row("lcdNumber", "Битовые плоскости");
    row("tableWidget", "Таблица результатов");
    row("pushButton_3", "Проверка кодов");
    row("pushButton_4", "Энтропия и средняя длина кода");
    row("saveResultsButton", "Сохранение результатов");
    row("markedBlocksLabel", "Отметка блоков");
    row("textEdit", "Отчет");
    row("tab_3", "Сравнение плоскостей");
    row("groupBox_3", "Лабораторная работа");
}

void tst_Guide::f1Targets()
{
    QFETCH(QString, control);
    QFETCH(QString, heading);
    Lab lab;
    const QWidget *widget = child<QWidget>(lab.window, control.toLatin1().constData());
    const QString anchor = ContextHelp::sectionFor(widget);
    HelpWindow guide({});
    QCOMPARE(guide.headingText(anchor), heading);
}

// F1 pressed with the focus in a control: the guide opens (one window) at its section.
void tst_Guide::f1FromTheKeyboard_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("anchor");
    QTest::newRow("counters field") << "lineEdit_2"
                                    << "длины-кодов-и-счетчики-длин";
    QTest::newRow("results table") << "tableWidget"
                                   << "таблица-результатов";
    QTest::newRow("cell editor") << "editor"
                                 << "таблица-результатов";
    QTest::newRow("viewer") << "Im"
                            << "битовые-плоскости";
}

void tst_Guide::f1FromTheKeyboard()
{
    QFETCH(QString, control);
    QFETCH(QString, anchor);
    Lab lab;
    lab.showActive();
    QWidget *target = nullptr;
    if (control == QLatin1String("editor")) {
        lab.choose("Лена");
        lab.tabs->setCurrentWidget(lab.labTab);
        lab.table->setFocus();
        lab.table->setCurrentCell(0, 3);
        QTest::keyClick(lab.table, Qt::Key_F2);
        target = QApplication::focusWidget();
        QVERIFY(target && target != lab.table && lab.table->isAncestorOf(target));
    } else if (control == QLatin1String("Im")) {
        lab.tabs->setCurrentWidget(lab.labTab);
        target = lab.viewer;
        target->setFocusPolicy(Qt::StrongFocus);
    } else {
        target = child<QWidget>(lab.window, control.toLatin1().constData());
        if (target->window() == &lab.window && !lab.tabs->widget(0)->isAncestorOf(target))
            lab.tabs->setCurrentWidget(lab.labTab);
    }
    target->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), target);
    QTest::keyClick(target, Qt::Key_F1);

    HelpWindow *guide = contextHelp(lab)->guide();
    QVERIFY(guide);
    QVERIFY(guide->isVisible());
    QVERIFY(!guide->isModal());
    QCOMPARE(guide->currentSection(), anchor);
    // The section's heading is at the top of the text (or the text is scrolled to its end).
    QTextBrowser *text = guide->browser();
    const QTextCursor top = text->cursorForPosition(QPoint(4, 4));
    const QString shownHeading = top.block().text();
    QVERIFY2(HelpWindow::anchorOf(shownHeading) == anchor
            || text->verticalScrollBar()->value() == text->verticalScrollBar()->maximum(),
        qPrintable(shownHeading));

    // Again from elsewhere: the same window, at the new place.
    lab.tabs->setCurrentIndex(0);
    lab.name->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), lab.name);
    QTest::keyClick(lab.name, Qt::Key_F1);
    QCOMPARE(contextHelp(lab)->guide(), guide);
    QCOMPARE(guide->currentSection(), QStringLiteral("как-ввести-ответ"));
    QCOMPARE(lab.window.findChildren<HelpWindow *>().size(), 1);
}

void tst_Guide::cornerButtonOpensTheTabsSection()
{
    Lab lab;
    lab.show();
    QToolButton *button = contextHelp(lab)->cornerButton();
    QCOMPARE(lab.tabs->cornerWidget(Qt::TopRightCorner), button);
    QVERIFY(button->isVisible());
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(contextHelp(lab)->guide()->currentSection(), QStringLiteral("домашнее-задание"));
    lab.tabs->setCurrentWidget(lab.labTab);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(contextHelp(lab)->guide()->currentSection(), QStringLiteral("лабораторная-работа"));
}

// Every link of the guide leads to one of its headings (or out to the web), every picture is in
// the resources, and the contents list every heading.
void tst_Guide::linksAndPicturesResolve()
{
    HelpWindow guide({});
    const QStringList anchors = guide.anchors();
    QVERIFY(anchors.size() >= 20);
    QCOMPARE(QSet<QString>(anchors.cbegin(), anchors.cend()).size(), anchors.size());

    int links = 0;
    int pictures = 0;
    for (const Target &target : targets(guide.browser()->document())) {
        const QUrl url(target.href);
        if (target.picture) {
            ++pictures;
            const QVariant data = guide.browser()->loadResource(QTextDocument::ImageResource, url);
            QImage image;
            if (data.canConvert<QByteArray>())
                image.loadFromData(data.toByteArray());
            if (image.isNull())
                image = qvariant_cast<QImage>(data);
            QVERIFY2(!image.isNull(), qPrintable(target.href));
            continue;
        }
        ++links;
        if (url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http"))
            continue;
        QVERIFY2(url.path().isEmpty() && anchors.contains(url.fragment()), qPrintable(target.href));
    }
    QVERIFY(links >= 5);
    QVERIFY(pictures >= 5);

    const auto *contents = guide.findChild<QTreeWidget *>("contents");
    int entries = 0;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget *>(contents)); *it; ++it)
        ++entries;
    QCOMPARE(entries, anchors.size());
}

void tst_Guide::figures_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("text");
    for (const Marked &marked : markedFigures(guideSource())) {
        const QString name = marked.kind + QLatin1Char(' ') + marked.arguments;
        QTest::newRow(name.toUtf8().constData()) << marked.kind << marked.arguments << marked.text;
    }
}

// A failure prints the block as the program computes it, ready to replace the stale one.
void tst_Guide::figures()
{
    QFETCH(QString, kind);
    QFETCH(QString, arguments);
    QFETCH(QString, text);
    const QString expected = regenerated(kind, arguments);
    if (text != expected)
        qWarning().noquote() << "\nThe guide's figures, as the program computes them:\n"
                             << expected << "\n";
    QCOMPARE(text, expected);
}

// The worked examples the guide promises, each checked at least once.
void tst_Guide::everyKindOfFigureIsChecked()
{
    QSet<QString> kinds;
    for (const Marked &marked : markedFigures(guideSource()))
        kinds << marked.kind;
    for (const char *kind : {"counts", "steps", "codes", "counters", "diagnosis", "canonical",
             "lena-table", "lena-report"})
        QVERIFY2(kinds.contains(QLatin1String(kind)), kind);
}

void tst_Guide::findAndPrint()
{
    QTemporaryDir dir;
    QString printedName;
    qint64 printedSize = 0;
    auto dialogs = std::make_shared<Dialogs>();
    dialogs->printDialog = [&](QWidget *, const QString &name, const Dialogs::PrintTo &print) {
        printedName = name;
        const QString path = dir.filePath("guide.pdf");
        {
            QPdfWriter pdf(path);
            print(&pdf);
        }
        printedSize = QFileInfo(path).size();
    };
    HelpWindow guide(dialogs);
    guide.show();
    QVERIFY(QTest::qWaitForWindowExposed(&guide));
    auto *field = guide.findChild<QLineEdit *>("findField");
    QVERIFY(!field->isVisible());
    QTest::keyClick(&guide, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(field->isVisible());

    WindowTesting::typeKeys(field, QStringLiteral("Крафт"));
    QCOMPARE(guide.browser()->textCursor().selectedText(), QStringLiteral("Крафт"));
    const int first = guide.browser()->textCursor().position();
    QVERIFY(guide.findNext());
    QVERIFY(guide.browser()->textCursor().position() > first);
    field->setText(QStringLiteral("нет такого слова"));
    QVERIFY(!guide.findNext());
    QCOMPARE(guide.findChild<QLabel *>("findStatus")->text(), QStringLiteral("не найдено"));

    QTest::keyClick(&guide, Qt::Key_P, Qt::ControlModifier);
    QVERIFY(printedName.startsWith(QStringLiteral("Справка")));
    // Text and pictures: far more than a page of text alone.
    QVERIFY2(printedSize > 200000, qPrintable(QString::number(printedSize)));
}

// Escape closes the search bar first, then the guide, as it closes the construction window.
void tst_Guide::escapeCloses()
{
    HelpWindow guide(std::make_shared<Dialogs>());
    guide.show();
    QVERIFY(QTest::qWaitForWindowExposed(&guide));
    QTest::keyClick(&guide, Qt::Key_F, Qt::ControlModifier);
    auto *field = guide.findChild<QLineEdit *>("findField");
    QVERIFY(field->isVisible());
    QTest::keyClick(field, Qt::Key_Escape);
    QVERIFY(!field->isVisible());
    QVERIFY(guide.isVisible());
    QTest::keyClick(guide.browser(), Qt::Key_Escape);
    QVERIFY(!guide.isVisible());
}

// What the guide says of the comparison's columns and of the files "Обзор" opens is what the
// window does: a column added or renamed, or a file type offered or dropped, fails here until
// the guide says so too.
void tst_Guide::agreesWithTheWindow()
{
    const QString guide = guideSource().simplified();

    const QStringList titles = PlaneSummary::columnTitles();
    const QStringList counts = {"", "один", "два", "три", "четыре", "пять", "шесть", "семь",
        "восемь", "девять", "десять", "одиннадцать", "двенадцать"};
    QVERIFY(titles.size() < counts.size());
    const QString opening = QStringLiteral("В таблице под диаграммой %1 столбцов, строка на каждую "
                                           "плоскость: ")
                                .arg(counts.at(titles.size()));
    const qsizetype start = guide.indexOf(opening);
    QVERIFY2(start >= 0, qPrintable(opening));
    const qsizetype from = start + opening.size();
    const QString columns = guide.mid(from, guide.indexOf(QStringLiteral("». "), from) + 1 - from);
    static const QRegularExpression quoted(QStringLiteral("«([^»]*)»"));
    QStringList named;
    for (auto it = quoted.globalMatch(columns); it.hasNext();)
        named << it.next().captured(1);
    QStringList shown;
    for (const QString &title : titles)
        shown << QString(title).replace(QLatin1Char('\n'), QLatin1Char(' '));
    QCOMPARE(named, shown);

    Lab lab;
    lab.open(QString());
    QSet<QString> offered;
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    for (auto it = pattern.globalMatch(lab.dialogFilter); it.hasNext();) {
        const QString suffix = it.next().captured(1).toUpper();
        offered << (suffix == QLatin1String("JPG") ? QStringLiteral("JPEG") : suffix);
    }
    QVERIFY(offered.size() >= 3);
    const QString browse = QStringLiteral("кнопка «Обзор»: она открывает свой файл ");
    const qsizetype at = guide.indexOf(browse);
    QVERIFY2(at >= 0, qPrintable(browse));
    const qsizetype after = at + browse.size();
    const QString said = guide.mid(after, guide.indexOf(QStringLiteral(", путь"), after) - after);
    static const QRegularExpression format(QStringLiteral("\\b[A-Z]{3,4}\\b"));
    QSet<QString> named2;
    for (auto it = format.globalMatch(said); it.hasNext();)
        named2 << it.next().captured(0);
    QCOMPARE(named2, offered);
}

// The locked lab tab's tool tip says why and what opens it, and goes once it opens.
void tst_Guide::lockedTabSaysWhy()
{
    Lab lab(Lab::AtHomework);
    lab.show();
    QTabBar *bar = lab.tabs->tabBar();
    QVERIFY(!lab.labTab->isEnabled());
    const QPoint at = bar->tabRect(1).center();
    QHelpEvent event(QEvent::ToolTip, at, bar->mapToGlobal(at));
    QApplication::sendEvent(bar, &event);
    QTRY_VERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), ContextHelp::lockedTabTip());
    QVERIFY(QToolTip::text().contains(QStringLiteral("«Выполнить выбранное действие»")));
    QToolTip::hideText();

    lab.passHomework();
    QVERIFY(lab.labTab->isEnabled());
    QVERIFY(lab.tabs->tabToolTip(1).isEmpty());
    lab.submit("Мама Мыла Раму", "0,2,3,2");
    QCOMPARE(lab.tabs->tabToolTip(1), ContextHelp::lockedTabTip());
    QCOMPARE(lab.tabs->tabToolTip(2), ContextHelp::lockedTabTip());
}

// Before any picture the viewer says where to choose one, by the source the homework opened.
void tst_Guide::emptyViewerSaysWhatFirst()
{
    Lab lab(Lab::AtHomework);
    ContextHelp *help = contextHelp(lab);
    lab.passHomework();
    QCOMPARE(help->viewerHintText(), ContextHelp::emptyViewerText(true));
    QVERIFY(help->viewerHintText().contains(QStringLiteral("«Лена»")));
    lab.choose("Лена");
    QVERIFY(help->viewerHintText().isEmpty());
    lab.choose("выбери изображение");
    QCOMPARE(help->viewerHintText(), ContextHelp::emptyViewerText(true));

    lab.submit("Мама Мыла Раму", "", true);
    QCOMPARE(help->viewerHintText(), ContextHelp::emptyViewerText(false));
    QVERIFY(help->viewerHintText().contains(QStringLiteral("«Обзор»")));

    // Drawn over the viewer, and through to it: a press still reaches the viewer.
    lab.tabs->setCurrentWidget(lab.labTab);
    lab.show();
    auto *hint = lab.viewer->findChild<QWidget *>("emptyViewerHint");
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->geometry(), lab.viewer->rect());
    QVERIFY(hint->testAttribute(Qt::WA_TransparentForMouseEvents));
    const QImage drawn = hint->grab().toImage();
    int dark = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x)
            dark += qGray(drawn.pixel(x, y)) < 100;
    }
    QVERIFY(dark > 50);
}

QTEST_MAIN(tst_Guide)
#include "tst_guide.moc"
