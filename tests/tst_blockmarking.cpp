// SPDX-License-Identifier: GPL-3.0-or-later
// The results table linked to the viewer, in the window: the selected rows' block types tinted
// in the plane, their count under the viewer, and a click on the plane selecting its row.

#include "lab.h"
#include "testpictures.h"

#include <QGridLayout>
#include <QScrollBar>

#include <set>

namespace {

using WindowTesting::child;

// The lab with "Лена" chosen, shown large enough for a real view.
void showLena(Lab &lab)
{
    lab.tabs->setCurrentIndex(1);
    lab.window.resize(1000, 900);
    lab.show();
    lab.choose(QStringLiteral("Лена"));
    QCoreApplication::processEvents();
}

QLabel *status(const Lab &lab)
{
    return child<QLabel>(lab.window, "markedBlocksLabel");
}

// Wheel notches over the viewer's zoom label, each zooming in one step.
void zoomIn(Lab &lab, int steps)
{
    const QPointF at = child<QLabel>(*lab.viewer, "label")->geometry().center();
    for (int i = 0; i < steps; ++i)
        WindowTesting::wheel(lab.viewer, at, QPoint(0, 120));
}

void scrollTo(Lab &lab, QPoint offset)
{
    child<QScrollBar>(*lab.viewer, "horizontalScrollBar")->setValue(offset.x());
    child<QScrollBar>(*lab.viewer, "verticalScrollBar")->setValue(offset.y());
}

// The part of the view cell the plane fills.
QSize viewSize(const Lab &lab)
{
    const QRect cell = child<QGridLayout>(*lab.viewer, "gridLayout")->cellRect(0, 0);
    return (cell & lab.viewer->viewImage().rect()).size();
}

QImage grab(const Lab &lab)
{
    return lab.viewer->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int selectedRows(const Lab &lab)
{
    return int(lab.table->selectionModel()->selectedRows().size());
}

bool isTinted(QRgb pixel)
{
    return pixel != 0xffffffff && pixel != 0xff000000;
}

int tintedPixels(const QImage &grab, QSize view)
{
    int tinted = 0;
    for (int y = 0; y < view.height(); ++y) {
        for (int x = 0; x < view.width(); ++x)
            tinted += isTinted(grab.pixel(x, y));
    }
    return tinted;
}

} // namespace

class tst_BlockMarking : public QObject
{
    Q_OBJECT

private slots:
    void marksExactlyTheSelectedTypes_data();
    void marksExactlyTheSelectedTypes();
    void clickSelectsTheRow_data();
    void clickSelectsTheRow();
    void keyboardSelection();
};

void tst_BlockMarking::marksExactlyTheSelectedTypes_data()
{
    QTest::addColumn<int>("plane");
    QTest::addColumn<QList<int>>("rows");
    QTest::addColumn<QPoint>("offset");

    QTest::newRow("plane 1, most frequent type") << 1 << QList<int> {0} << QPoint(200, 200);
    QTest::newRow("plane 1, rows 3 and 5") << 1 << QList<int> {2, 4} << QPoint(0, 0);
    QTest::newRow("plane 4, five rows") << 4 << QList<int> {0, 1, 7, 20, 60} << QPoint(301, 257);
}

// At zoom 4 the viewer pixel (x, y) shows the plane pixel (offset + (x, y) / 4); it is tinted
// exactly when the block holding that pixel, read the plain way, is of a selected type.
void tst_BlockMarking::marksExactlyTheSelectedTypes()
{
    QFETCH(int, plane);
    QFETCH(QList<int>, rows);
    QFETCH(QPoint, offset);

    Lab lab;
    showLena(lab);
    lab.dial->setValue(plane);
    zoomIn(lab, 2);
    scrollTo(lab, offset);
    QCOMPARE(lab.viewer->zoom(), 4.0f);
    const QPoint shownOffset = lab.viewer->viewOffset();

    const QList<BlockType> types = MainWidgetTestAccess::planeTypes(lab.window);
    std::set<int> selected;
    qint64 count = 0;
    for (const int row : rows) {
        lab.table->selectionModel()->select(lab.table->model()->index(row, 1),
            QItemSelectionModel::Select | QItemSelectionModel::Rows);
        selected.insert(types.at(row).pattern);
        count += lab.table->item(row, 1)->text().toLongLong();
    }
    QCOMPARE(lab.viewer->viewOffset(), shownOffset);
    QCOMPARE(status(lab)->text(),
        QStringLiteral("Отмечено блоков: %1 из 29241 (%2 %)")
            .arg(count)
            .arg(QString::number(100.0 * double(count) / 29241, 'f', 2)));

    const QImage image = MainWidgetTestAccess::currentImage(lab.window);
    const QImage shown = grab(lab);
    const QSize view = viewSize(lab);
    int tinted = 0;
    for (int y = 0; y < view.height(); ++y) {
        for (int x = 0; x < view.width(); ++x) {
            const QPoint pixel = shownOffset + QPoint(x / 4, y / 4);
            const QPoint block = QPoint(pixel.x() / 3, pixel.y() / 3) * 3;
            const int pattern
                = TestPictures::patternOf(BitBlock(image.copy(block.x(), block.y(), 3, 3)));
            const bool expected = selected.count(pattern) > 0;
            tinted += expected;
            if (isTinted(shown.pixel(x, y)) != expected)
                QFAIL(qPrintable(QStringLiteral("viewer pixel (%1, %2), plane pixel (%3, %4): %5")
                                     .arg(x)
                                     .arg(y)
                                     .arg(pixel.x())
                                     .arg(pixel.y())
                                     .arg(expected ? "not tinted" : "tinted")));
        }
    }
    QVERIFY(tinted > 0);

    // Clearing the selection clears the marks; so does the next analysis.
    lab.table->clearSelection();
    QVERIFY(lab.viewer->marks().isNull());
    QCOMPARE(tintedPixels(grab(lab), view), 0);
    lab.table->selectRow(0);
    QVERIFY(!lab.viewer->marks().isNull());
    lab.dial->setValue(plane == 1 ? 2 : 1);
    QVERIFY(lab.viewer->marks().isNull());
    QCOMPARE(selectedRows(lab), 0);
}

void tst_BlockMarking::clickSelectsTheRow_data()
{
    QTest::addColumn<int>("zoomSteps");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QPoint>("press");

    QTest::newRow("zoom 1") << 0 << QPoint(100, 100) << QPoint(40, 31);
    QTest::newRow("zoom 4") << 2 << QPoint(250, 260) << QPoint(101, 77);
    QTest::newRow("zoom 32") << 5 << QPoint(300, 300) << QPoint(70, 40);
}

// A click selects the one row of the block type under the pointer and scrolls the table to it;
// the viewer's pixel there is reported by the viewer, its block read here the plain way.
void tst_BlockMarking::clickSelectsTheRow()
{
    QFETCH(int, zoomSteps);
    QFETCH(QPoint, offset);
    QFETCH(QPoint, press);

    Lab lab;
    showLena(lab);
    lab.dial->setValue(5);
    zoomIn(lab, zoomSteps);
    scrollTo(lab, offset);
    lab.table->selectRow(3);

    QPoint pixel;
    QVERIFY(lab.viewer->imagePixelAt(press, &pixel));
    const QImage image = MainWidgetTestAccess::currentImage(lab.window);
    const int pattern
        = TestPictures::patternOf(BitBlock(image.copy(pixel.x() / 3 * 3, pixel.y() / 3 * 3, 3, 3)));
    const QList<BlockType> types = MainWidgetTestAccess::planeTypes(lab.window);
    int row = -1;
    for (int i = 0; i < types.size(); ++i) {
        if (types.at(i).pattern == pattern)
            row = i;
    }
    QVERIFY(row >= 0);

    QTest::mouseClick(lab.viewer, Qt::LeftButton, {}, press);
    const QModelIndexList rows = lab.table->selectionModel()->selectedRows();
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first().row(), row);
    QVERIFY(lab.table->viewport()->rect().intersects(
        lab.table->visualRect(lab.table->model()->index(row, 1))));
    QVERIFY(isTinted(grab(lab).pixel(press)));
}

// The arrows move the selection through the rows, Shift extends it, as in any table.
void tst_BlockMarking::keyboardSelection()
{
    Lab lab;
    showLena(lab);
    lab.showActive();
    lab.table->setFocus();
    lab.table->setCurrentCell(0, 1);
    QTest::keyClick(lab.table, Qt::Key_Down);
    const int second = lab.table->item(1, 1)->text().toInt();
    QVERIFY(status(lab)->text().startsWith(QStringLiteral("Отмечено блоков: %1 из").arg(second)));
    QTest::keyClick(lab.table, Qt::Key_Down, Qt::ShiftModifier);
    const int third = lab.table->item(2, 1)->text().toInt();
    QVERIFY(status(lab)->text().startsWith(
        QStringLiteral("Отмечено блоков: %1 из").arg(second + third)));
}

QTEST_MAIN(tst_BlockMarking)
#include "tst_blockmarking.moc"
