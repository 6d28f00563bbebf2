// SPDX-License-Identifier: GPL-3.0-or-later
// The lab's third tab in the window: all planes of the picture in a chart and a table, the
// dial's plane highlighted, and the chart turning the dial by mouse and keyboard.

#include "lab.h"
#include "planechart.h"
#include "planecomparison.h"
#include "planesummary.h"
#include "spreadsheettext.h"

#include <QAction>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

using WindowTesting::child;

// The window as the program starts it, the lab still locked, shown large enough for the chart.
struct ComparisonLab : Lab
{
    ComparisonLab()
        : Lab(AtHomework)
    {
        window.resize(900, 800);
        show();
    }

    // The lab unlocked and the comparison tab in front.
    void open()
    {
        labTab->setEnabled(true);
        tabs->setCurrentIndex(2);
    }
    // A built-in picture chosen, and the events its load posted handled.
    void load(const QString &name)
    {
        choose(name);
        QCoreApplication::processEvents();
    }
    // The last "Средняя длина кода" and "Энтропия плоскости" figures of the report.
    QStringList reportedFigures() const
    {
        const QString text = report->toPlainText();
        static const QRegularExpression length(QStringLiteral("Средняя длина кода = (\\S+) бит"));
        static const QRegularExpression entropy(
            QStringLiteral("Энтропия плоскости = (\\S+) бит/блок"));
        QString l;
        QString h;
        for (auto it = length.globalMatch(text); it.hasNext();)
            l = it.next().captured(1);
        for (auto it = entropy.globalMatch(text); it.hasNext();)
            h = it.next().captured(1);
        return {l, h};
    }

    // The chart as drawn, cut into its eight plane columns (without their edges, which
    // neighbours share).
    QList<QImage> drawnColumns() const
    {
        const QImage drawn = chart->grab().toImage();
        QList<QImage> columns;
        for (int plane = 1; plane <= 8; ++plane)
            columns.append(
                drawn.copy(chart->planeColumn(plane).toAlignedRect().adjusted(3, 0, -3, 0)));
        return columns;
    }
    // The planes whose columns differ between two drawings.
    static QList<int> changed(const QList<QImage> &before, const QList<QImage> &after)
    {
        QList<int> planes;
        for (int i = 0; i < before.size(); ++i) {
            if (before.at(i) != after.at(i))
                planes.append(i + 1);
        }
        return planes;
    }

    PlaneChart *const chart = window.findChild<PlaneChart *>();
    QTableWidget *const figures = child<QTableWidget>(window, "planeFiguresTable");
    QLabel *const message = child<QLabel>(window, "planeComparisonMessage");
};

} // namespace

class tst_PlaneComparison : public QObject
{
    Q_OBJECT

private slots:
    void openWithTheLab();
    void figuresOfEachLoad();
    void noPlanes();
    void sizesAgainstRawBits();
    void clickTurnsTheDial_data();
    void clickTurnsTheDial();
    void keyboard();
    void marksDrawn_data();
    void marksDrawn();
    void leavesTheProgram();
    void colourPointsToGrey();
};

void tst_PlaneComparison::openWithTheLab()
{
    ComparisonLab lab;
    QCOMPARE(lab.tabs->count(), 3);
    QCOMPARE(lab.tabs->tabText(2), QStringLiteral("Сравнение плоскостей"));
    QVERIFY(!lab.tabs->isTabEnabled(2));
    lab.labTab->setEnabled(true);
    QVERIFY(lab.tabs->isTabEnabled(2));
    lab.labTab->setEnabled(false);
    QVERIFY(!lab.tabs->isTabEnabled(2));
}

// Each greyscale load replaces all eight rows, also one made while another tab is in front;
// with the dial on a plane, its row shows the report's own L and H, and its bars are the
// highlighted ones.
void tst_PlaneComparison::figuresOfEachLoad()
{
    ComparisonLab lab;
    lab.open();
    // Loaded with the lab tab in front: the figures are there once the tab is.
    lab.tabs->setCurrentIndex(1);
    lab.load(QStringLiteral("Барбара"));
    lab.tabs->setCurrentIndex(2);
    QCOMPARE(lab.figures->rowCount(), 8);
    QCOMPARE(QStringList({lab.figures->item(0, 2)->text(), lab.figures->item(0, 3)->text()}),
        lab.reportedFigures());
    const QString barbaraPlane1 = lab.figures->item(0, 2)->text();
    lab.load(QStringLiteral("Лена"));
    QCOMPARE(lab.figures->rowCount(), 8);
    QVERIFY(lab.figures->item(0, 2)->text() != barbaraPlane1);
    for (int plane = 8; plane >= 1; --plane) {
        lab.dial->setValue(plane);
        const int row = plane - 1;
        QCOMPARE(lab.figures->item(row, 0)->text(), QString::number(plane));
        QCOMPARE(
            QStringList({lab.figures->item(row, 2)->text(), lab.figures->item(row, 3)->text()}),
            lab.reportedFigures());
        QCOMPARE(lab.chart->selectedPlane(), plane);
        QVERIFY(lab.figures->item(row, 0)->font().bold());
        QVERIFY(!lab.figures->item((row + 1) % 8, 0)->font().bold());
    }
}

// A colour picture is not split and "выбери изображение" loads nothing: one sentence each,
// no stale bars.
void tst_PlaneComparison::noPlanes()
{
    QTemporaryDir dir;
    ComparisonLab lab;
    lab.open();
    lab.load(QStringLiteral("Лена"));
    QVERIFY(lab.chart->isVisible());

    QImage colour(30, 30, QImage::Format_RGB32);
    colour.fill(Qt::red);
    lab.chosenFile = dir.filePath(QStringLiteral("colour.bmp"));
    QVERIFY(colour.save(lab.chosenFile));
    lab.browse->click();
    QVERIFY(!lab.chart->isVisible());
    QVERIFY(!lab.figures->isVisible());
    QCOMPARE(lab.figures->rowCount(), 0);
    QVERIFY(lab.chart->figures().isEmpty());
    QCOMPARE(lab.message->text(), PlaneComparison::colourPictureText());

    lab.load(QStringLiteral("Лена"));
    QVERIFY(lab.chart->isVisible());
    QVERIFY(!lab.message->isVisible());
    lab.load(QStringLiteral("выбери изображение"));
    QVERIFY(!lab.chart->isVisible());
    QCOMPARE(lab.message->text(), PlaneComparison::noPictureText());
}

// Лена's low planes code in more bits than the plane's 512 x 512 = 262144, yet 9/L is above 1:
// the table says both, in ratios of three decimals, and the line under it says why.
void tst_PlaneComparison::sizesAgainstRawBits()
{
    ComparisonLab lab;
    lab.open();
    lab.load(QStringLiteral("Лена"));
    static const QRegularExpression ratio(QStringLiteral("^\\d\\.\\d{3}$"));
    for (int row = 0; row < 8; ++row) {
        QCOMPARE(lab.figures->item(row, 4)->text(), QStringLiteral("262144"));
        const qint64 coded = lab.figures->item(row, 5)->text().toLongLong();
        QCOMPARE(lab.figures->item(row, 6)->text(), QString::number(262144.0 / coded, 'f', 3));
        QVERIFY2(ratio.match(lab.figures->item(row, 7)->text()).hasMatch(),
            qPrintable(lab.figures->item(row, 7)->text()));
    }
    // Plane 6: 262664 coded bits, 0.998 of the plane's size, 9/L = 1.002.
    QVERIFY(lab.figures->item(5, 5)->text().toLongLong() > 262144);
    QVERIFY(lab.figures->item(5, 6)->text().toDouble() < 1);
    QVERIFY(lab.figures->item(5, 7)->text().toDouble() > 1);
    QLabel *const note = child<QLabel>(lab.window, "planeFiguresNote");
    QVERIFY(note->isVisible());
    for (const char *figure : {"29241 блока", "263169", "262144"})
        QVERIFY2(note->text().contains(QString::fromUtf8(figure)), qPrintable(note->text()));

    lab.load(QStringLiteral("выбери изображение"));
    QVERIFY(!note->isVisible());
}

void tst_PlaneComparison::clickTurnsTheDial_data()
{
    QTest::addColumn<int>("plane");
    QTest::addColumn<double>("height"); // where in the column, 0 = axis, 1 = top

    QTest::newRow("plane 1, on its bars") << 1 << 0.1;
    QTest::newRow("plane 5, above its bars") << 5 << 0.95;
    QTest::newRow("plane 8, on its bars") << 8 << 0.5;
}

void tst_PlaneComparison::clickTurnsTheDial()
{
    QFETCH(int, plane);
    QFETCH(double, height);

    ComparisonLab lab;
    lab.open();
    lab.load(QStringLiteral("Лена"));
    lab.dial->setValue(plane == 1 ? 2 : 1);
    const QString reportBefore = lab.report->toPlainText();

    const QRectF column = lab.chart->planeColumn(plane);
    const QPoint at(int(column.center().x()), int(column.bottom() - height * column.height()));
    QTest::mouseClick(lab.chart, Qt::LeftButton, {}, at);
    QCOMPARE(lab.dial->value(), plane);
    // The dial's own analysis ran: one more report for that plane.
    QVERIFY(lab.report->toPlainText().startsWith(reportBefore));
    QVERIFY(lab.report->toPlainText().endsWith(QString(65, QLatin1Char('_'))));
    QVERIFY(lab.report->toPlainText()
                .mid(reportBefore.size())
                .contains(QStringLiteral(". Плоскость №%1").arg(plane)));

    // Outside the plot nothing happens.
    QTest::mouseClick(lab.chart, Qt::LeftButton, {}, QPoint(1, 1));
    QCOMPARE(lab.dial->value(), plane);
}

// Tab reaches the chart, the arrows pick a plane, Space turns the dial to it; Tab goes on to the
// table, and a screen reader hears the picked plane's figures.
void tst_PlaneComparison::keyboard()
{
    ComparisonLab lab;
    lab.open();
    lab.load(QStringLiteral("Лена"));
    lab.showActive();
    lab.tabs->tabBar()->setFocus();
    QTest::keyClick(lab.tabs->tabBar(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), lab.chart);

    QTest::keyClick(lab.chart, Qt::Key_Right);
    QTest::keyClick(lab.chart, Qt::Key_Right);
    QCOMPARE(lab.dial->value(), 1); // only picked
    QCOMPARE(lab.chart->keyboardPlane(), 3);
    QVERIFY(lab.chart->accessibleDescription().contains(
        QStringLiteral("Плоскость 3: H = %1").arg(lab.figures->item(2, 3)->text())));
    QTest::keyClick(lab.chart, Qt::Key_Space);
    QCOMPARE(lab.dial->value(), 3);
    QTest::keyClick(lab.chart, Qt::Key_End);
    QTest::keyClick(lab.chart, Qt::Key_Right); // no wrap past 8
    QTest::keyClick(lab.chart, Qt::Key_Return);
    QCOMPARE(lab.dial->value(), 8);
    QTest::keyClick(lab.chart, Qt::Key_Home);
    QTest::keyClick(lab.chart, Qt::Key_Left);
    QTest::keyClick(lab.chart, Qt::Key_Space);
    QCOMPARE(lab.dial->value(), 1);

    QTest::keyClick(lab.chart, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), lab.figures);
}

void tst_PlaneComparison::marksDrawn_data()
{
    QTest::addColumn<int>("plane");
    QTest::addColumn<bool>("dark");

    QTest::newRow("plane 1, light desktop") << 1 << false;
    QTest::newRow("plane 6, light desktop") << 6 << false;
    QTest::newRow("plane 8, dark desktop") << 8 << true;
}

// What the chart says is what it draws: the dial's plane highlighted in that plane's column
// alone, the keyboard's frame there once the chart has the focus, on the desktop's background.
void tst_PlaneComparison::marksDrawn()
{
    QFETCH(int, plane);
    QFETCH(bool, dark);

    ComparisonLab lab;
    if (dark) {
        QPalette palette = lab.window.palette();
        palette.setColor(QPalette::Window, QColor(0x30, 0x30, 0x30));
        palette.setColor(QPalette::WindowText, QColor(0xf0, 0xf0, 0xf0));
        lab.window.setPalette(palette);
    }
    lab.open();
    lab.load(QStringLiteral("Лена"));
    lab.showActive();
    const int other = plane == 1 ? 2 : 1;
    lab.dial->setValue(other);
    QCOMPARE(
        lab.chart->grab().toImage().pixelColor(1, 1), lab.chart->palette().color(QPalette::Window));

    const QList<QImage> before = lab.drawnColumns();
    lab.dial->setValue(plane);
    const QList<QImage> highlighted = lab.drawnColumns();
    QCOMPARE(ComparisonLab::changed(before, highlighted),
        (QList<int> {qMin(plane, other), qMax(plane, other)}));

    lab.chart->setFocus(Qt::TabFocusReason);
    QCOMPARE(ComparisonLab::changed(highlighted, lab.drawnColumns()), QList<int> {plane});
}

// The comparison leaves the program as the lab table does: Ctrl+A and Ctrl+C take every row
// with decimal commas, the context menu offers the copies and both saves, and the saved files
// are the table as CSV and the chart as PNG, each named after what it holds.
void tst_PlaneComparison::leavesTheProgram()
{
    ComparisonLab lab;
    lab.open();
    lab.load(QStringLiteral("Лена"));
    lab.showActive();
    auto *page = lab.window.findChild<PlaneComparison *>();
    QStringList menu;
    for (const QAction *action : lab.figures->actions())
        menu << action->text();
    QCOMPARE(menu,
        QStringList({"Копировать", "Копировать всю таблицу", "", "Сохранить таблицу…",
            "Сохранить диаграмму…"}));

    lab.figures->setFocus();
    QTest::keyClick(lab.figures, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(lab.figures->selectionModel()->selectedRows().size(), 8);
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(lab.figures, Qt::Key_C, Qt::ControlModifier);
    const QStringList lines
        = QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 8);
    QVERIFY2(lines.first().startsWith(QStringLiteral("1\t")), qPrintable(lines.first()));
    QVERIFY2(!lines.join(QString()).contains(QLatin1Char('.')), qPrintable(lines.join('|')));
    QCOMPARE(lines.first().split(QLatin1Char('\t')).at(2),
        lab.figures->item(0, 2)->text().replace(QLatin1Char('.'), QLatin1Char(',')));

    QTemporaryDir dir;
    lab.savedFile = dir.filePath(QStringLiteral("лена"));
    page->saveTableAction()->trigger();
    QVERIFY2(lab.saveDir.endsWith(QStringLiteral("/Лена, сравнение плоскостей.csv")),
        qPrintable(lab.saveDir));
    QFile csv(lab.savedFile + QStringLiteral(".csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll(), SpreadsheetText::csv(PlaneSummary::spreadsheet(page->figures())));
    QVERIFY(page->savedLabel()->text().contains(QDir::toNativeSeparators(csv.fileName())));

    page->saveChartAction()->trigger();
    const QImage chart(lab.savedFile + QStringLiteral(".png"));
    QCOMPARE(chart.size(), lab.chart->size());
    QVERIFY(lab.warnings.isEmpty());

    // Nothing to copy or save while the sentence stands instead of the figures.
    lab.choose(QStringLiteral("выбери изображение"));
    QVERIFY(!page->saveTableAction()->isEnabled());
    QVERIFY(!page->copyTableAction()->isEnabled());
}

// A colour picture: beside the dial and on the comparison tab the window says that the planes
// wait for the grey version, and the comparison's own button makes it.
void tst_PlaneComparison::colourPointsToGrey()
{
    ComparisonLab lab;
    lab.open();
    QTemporaryDir dir;
    QImage colour(30, 21, QImage::Format_RGB32);
    colour.fill(qRgb(200, 30, 30));
    const QString file = dir.filePath(QStringLiteral("цвет.png"));
    QVERIFY(colour.save(file));
    lab.Lab::open(file);
    auto *page = lab.window.findChild<PlaneComparison *>();
    auto *dialNotice = child<QLabel>(lab.window, "dialNotice");
    QVERIFY(!dialNotice->isHidden());
    QVERIFY(dialNotice->text().contains(QStringLiteral("Преобразовать в оттенки серого")));
    QCOMPARE(lab.message->text(), PlaneComparison::colourPictureText());
    QVERIFY(page->greyButton()->isVisible());

    QTest::mouseClick(page->greyButton(), Qt::LeftButton);
    QCoreApplication::processEvents();
    QVERIFY(dialNotice->isHidden());
    QVERIFY(!page->greyButton()->isVisible());
    QCOMPARE(lab.figures->rowCount(), 8);
}

QTEST_MAIN(tst_PlaneComparison)
#include "tst_planecomparison.moc"
