// SPDX-License-Identifier: GPL-3.0-or-later
#include "im.h"
#include "windowtesting.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

namespace {

QGridLayout *grid(const Im &im)
{
    return im.findChild<QGridLayout *>("gridLayout");
}

QRect viewCell(const Im &im)
{
    return grid(im)->cellRect(0, 0);
}

QRect zoomCell(const Im &im)
{
    return grid(im)->cellRect(1, 1);
}

QScrollBar *hBar(const Im &im)
{
    return im.findChild<QScrollBar *>("horizontalScrollBar");
}

QScrollBar *vBar(const Im &im)
{
    return im.findChild<QScrollBar *>("verticalScrollBar");
}

void wheel(Im &im, QPoint angle, QPoint pos)
{
    WindowTesting::wheel(&im, QPointF(pos), angle);
}

void wheel(Im &im, int delta, QPoint pos)
{
    wheel(im, QPoint(0, delta), pos);
}

// Wheel steps over the zoom label: 120 zooms in, -120 out.
void zoom(Im &im, const QList<int> &deltas)
{
    for (const int delta : deltas)
        wheel(im, delta, zoomCell(im).center());
}

// A plane as the program makes them: 0 = opaque white, 1 = opaque black.
QImage plane(QSize size, bool black = false)
{
    QImage image(size, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(black ? 1 : 0);
    return image;
}

QImage randomImage(QSize size, QImage::Format format, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(size, format);
    if (format == QImage::Format_Mono)
        image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    if (format == QImage::Format_Indexed8) {
        QList<QRgb> colours;
        for (int i = 0; i < 256; ++i)
            colours.append(random.generate());
        image.setColorTable(colours);
    }
    for (int y = 0; y < image.height(); ++y) {
        uchar *line = image.scanLine(y);
        for (qsizetype i = 0; i < image.bytesPerLine(); ++i)
            line[i] = uchar(random.generate());
    }
    return image;
}

// The view as the plain reading defines it: convert the whole image, crop, scale.
QImage literalView(const QImage &source, QSize cell, float scale, QPoint offset)
{
    const int cols = qRound(cell.width() / scale);
    const int rows = qRound(cell.height() / scale);
    return source.convertToFormat(QImage::Format_ARGB32_Premultiplied)
        .copy(QRect(offset, QSize(cols, rows)))
        .scaled(qRound(scale * cols), qRound(scale * rows), Qt::IgnoreAspectRatio,
            Qt::FastTransformation);
}

bool isGridPixel(QRgb pixel)
{
    return qRed(pixel) - qGreen(pixel) > 50;
}

using Steps = QList<int>;

} // namespace

class TestIm : public QObject
{
    Q_OBJECT

private slots:
    void paintBeforeImage();
    void zoomSteps_data();
    void zoomSteps();
    void wheelOverPlane_data();
    void wheelOverPlane();
    void zoomAxis_data();
    void zoomAxis();
    void wheelOutsideZoomCell_data();
    void wheelOutsideZoomCell();
    void offsetsKeptAcrossSetImage();
    void narrowImageFits();
    void zoomOutClampsOffset_data();
    void zoomOutClampsOffset();
    void resizeClampsAndRebuilds();
    void gridLines_data();
    void gridLines();
    void gridSuppressed_data();
    void gridSuppressed();
    void takeMouse_data();
    void takeMouse();
    void shownPixelsMatchLiteral_data();
    void shownPixelsMatchLiteral();
    void marksFollowThePlane_data();
    void marksFollowThePlane();
    void pixelClicked_data();
    void pixelClicked();

private:
    // A shown viewer with a laid-out grid: view cell about 284 x 184.
    void showViewer(Im &im)
    {
        im.resize(300, 200);
        im.show();
        QVERIFY(QTest::qWaitForWindowExposed(&im));
        QVERIFY(viewCell(im).width() > 101);
        QCOMPARE(viewCell(im).topLeft(), QPoint(0, 0));
    }
};

void TestIm::paintBeforeImage()
{
    Im im;
    QSignalSpy cleared(&im, &Im::clearShowGridFlag);
    showViewer(im);
    im.repaint();
    im.grab();
    QCOMPARE(cleared.count(), 0);
    QVERIFY(im.viewImage().isNull());
    QCOMPARE(hBar(im)->maximum(), 0);
    QCOMPARE(vBar(im)->maximum(), 0);
}

void TestIm::zoomSteps_data()
{
    QTest::addColumn<Steps>("deltas");
    QTest::addColumn<float>("expected");

    QTest::addColumn<QString>("shown"); // beside the magnifier

    QTest::newRow("none") << Steps {} << 1.0f << "x1";
    QTest::newRow("three out") << Steps {-120, -120, -120} << 0.125f << "1/8";
    QTest::newRow("fourth out ignored") << Steps {-120, -120, -120, -120} << 0.125f << "1/8";
    QTest::newRow("five in") << Steps {120, 120, 120, 120, 120} << 32.0f << "x32";
    QTest::newRow("sixth in ignored") << Steps {120, 120, 120, 120, 120, 120} << 32.0f << "x32";
    QTest::newRow("delta 0 zooms in") << Steps {0} << 2.0f << "x2";
    QTest::newRow("small delta counts") << Steps {-1} << 0.5f << "1/2";
    QTest::newRow("back from the limit")
        << Steps {-120, -120, -120, -120, 120} << 0.25f << "1/4";
    QTest::newRow("two in") << Steps {120, 120} << 4.0f << "x4";
}

void TestIm::zoomSteps()
{
    QFETCH(Steps, deltas);
    QFETCH(float, expected);
    QFETCH(QString, shown);

    Im im;
    showViewer(im);
    im.setImage(plane({1000, 1000}));
    zoom(im, deltas);
    QCOMPARE(im.zoom(), expected);
    const auto *factor = im.findChild<QLabel *>("zoomFactor");
    QCOMPARE(factor->text(), shown);
    // Beside the magnifier, under the view's right end.
    QVERIFY(factor->isVisible());
    QCOMPARE(factor->geometry().right() + 1 + grid(im)->horizontalSpacing(), zoomCell(im).left());
    QVERIFY(factor->geometry().top() <= zoomCell(im).bottom());
    QVERIFY(factor->geometry().bottom() >= zoomCell(im).top());
}

void TestIm::wheelOverPlane_data()
{
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QPoint>("angle");
    QTest::addColumn<float>("zoom");
    QTest::addColumn<QPoint>("offset");

    // From zoom 2 and offset (100, 100), the pointer at (80, 60) of the view: image pixel
    // (140, 130). A notch scrolls the desktop's wheel lines of 20 screen pixels.
    const int notch = QApplication::wheelScrollLines() * 20 / 2;
    const Qt::KeyboardModifiers none;
    QTest::newRow("wheel forward scrolls up") << none << QPoint(0, 120) << 2.0f
                                              << QPoint(100, 100 - notch);
    QTest::newRow("wheel back scrolls down") << none << QPoint(0, -240) << 2.0f
                                             << QPoint(100, 100 + 2 * notch);
    QTest::newRow("tilt scrolls sideways") << none << QPoint(-120, 0) << 2.0f
                                           << QPoint(100 + notch, 100);
    QTest::newRow("Shift+wheel scrolls sideways")
        << Qt::KeyboardModifiers(Qt::ShiftModifier) << QPoint(0, -120) << 2.0f
        << QPoint(100 + notch, 100);
    const Qt::KeyboardModifiers ctrl(Qt::ControlModifier);
    QTest::newRow("Ctrl+wheel zooms in about the pointer")
        << ctrl << QPoint(0, 120) << 4.0f << QPoint(140 - 20, 130 - 15);
    QTest::newRow("Ctrl+wheel zooms out about the pointer")
        << ctrl << QPoint(0, -120) << 1.0f << QPoint(140 - 80, 130 - 60);
    QTest::newRow("Ctrl+wheel, half a notch waits") << ctrl << QPoint(0, 60) << 2.0f
                                                    << QPoint(100, 100);
}

void TestIm::wheelOverPlane()
{
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QPoint, angle);
    QFETCH(float, zoom);
    QFETCH(QPoint, offset);

    Im im;
    showViewer(im);
    im.setImage(randomImage({1000, 1000}, QImage::Format_Mono, 3));
    ::zoom(im, {120});
    hBar(im)->setValue(100);
    vBar(im)->setValue(100);
    const QPoint pointer(80, 60);
    QPoint before;
    QVERIFY(im.imagePixelAt(pointer, &before));
    QCOMPARE(before, QPoint(140, 130));

    QWheelEvent event(QPointF(pointer), im.mapToGlobal(QPointF(pointer)), QPoint(), angle,
        Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&im, &event);
    QCOMPARE(im.zoom(), zoom);
    QCOMPARE(im.viewOffset(), offset);
    QCOMPARE(QPoint(hBar(im)->value(), vBar(im)->value()), offset);
    QCOMPARE(im.viewImage(), literalView(im.image(), viewCell(im).size(), zoom, offset));
    if (zoom != 2.0f) {
        QPoint after;
        QVERIFY(im.imagePixelAt(pointer, &after));
        QCOMPARE(after, before);
    }
}

void TestIm::zoomAxis_data()
{
    // angleDelta() of one step: x is a tilt (or Shift+wheel on some mice), y the wheel.
    QTest::addColumn<QPoint>("angle");
    QTest::addColumn<float>("expected");

    QTest::newRow("tilt right zooms in") << QPoint(120, 0) << 2.0f;
    QTest::newRow("tilt left zooms out") << QPoint(-120, 0) << 0.5f;
    QTest::newRow("wheel back with a little tilt right") << QPoint(15, -120) << 0.5f;
    QTest::newRow("tilt left with a little wheel forward") << QPoint(-120, 15) << 0.5f;
    QTest::newRow("tilt right with a little wheel back") << QPoint(120, -15) << 2.0f;
    QTest::newRow("equal turns: the wheel counts") << QPoint(120, -120) << 0.5f;
    QTest::newRow("equal turns, wheel forward") << QPoint(-120, 120) << 2.0f;
}

void TestIm::zoomAxis()
{
    QFETCH(QPoint, angle);
    QFETCH(float, expected);

    Im im;
    showViewer(im);
    im.setImage(plane({1000, 1000}));
    wheel(im, angle, zoomCell(im).center());
    QCOMPARE(im.zoom(), expected);
}

void TestIm::wheelOutsideZoomCell_data()
{
    // Position relative to the zoom label cell's top-left corner.
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<float>("expected");

    QTest::newRow("cell corner itself") << QPoint(0, 0) << 2.0f;
    QTest::newRow("left of the cell") << QPoint(-1, 0) << 1.0f;
    QTest::newRow("above the cell") << QPoint(0, -1) << 1.0f;
    QTest::newRow("over the view") << QPoint(-100, -80) << 1.0f;
    QTest::newRow("over the horizontal bar") << QPoint(-100, 2) << 1.0f;
    QTest::newRow("over the vertical bar") << QPoint(2, -80) << 1.0f;
}

void TestIm::wheelOutsideZoomCell()
{
    QFETCH(QPoint, offset);
    QFETCH(float, expected);

    Im im;
    showViewer(im);
    im.setImage(plane({1000, 1000}));
    wheel(im, 120, zoomCell(im).topLeft() + offset);
    QCOMPARE(im.zoom(), expected);
}

void TestIm::offsetsKeptAcrossSetImage()
{
    Im im;
    showViewer(im);
    im.setImage(randomImage({1000, 800}, QImage::Format_Mono, 1));
    zoom(im, {120, 120});
    hBar(im)->setValue(100);
    vBar(im)->setValue(30);
    QCOMPARE(im.viewOffset(), QPoint(100, 30));

    const QImage next = randomImage({1000, 800}, QImage::Format_Mono, 2);
    im.setImage(next);
    QCOMPARE(im.zoom(), 4.0f);
    QCOMPARE(im.viewOffset(), QPoint(100, 30));
    QCOMPARE(im.viewImage(), literalView(next, viewCell(im).size(), 4, {100, 30}));
}

void TestIm::narrowImageFits()
{
    Im im;
    showViewer(im);
    im.setImage(plane({1000, 100}));
    hBar(im)->setValue(50);
    QCOMPARE(im.viewOffset().x(), 50);

    im.setImage(plane({100, 100}, true));
    QCOMPARE(hBar(im)->minimum(), 0);
    QCOMPARE(hBar(im)->maximum(), 0);
    QCOMPARE(im.viewOffset().x(), 0);
    QCOMPARE(im.viewImage().pixel(50, 10), qRgb(0, 0, 0));
    QCOMPARE(im.viewImage().pixel(150, 10), 0u); // transparent, not the plane's white
    QCOMPARE(im.viewImage().pixel(50, 150), 0u);
}

void TestIm::zoomOutClampsOffset_data()
{
    // Image width as a multiple of the view cell's width.
    QTest::addColumn<double>("widthInCells");
    QTest::addColumn<bool>("fitsAfter");

    QTest::newRow("still scrollable") << 3.0 << false;
    QTest::newRow("fits after zooming out") << 0.9 << true;
}

void TestIm::zoomOutClampsOffset()
{
    QFETCH(double, widthInCells);
    QFETCH(bool, fitsAfter);

    Im im;
    showViewer(im);
    const int cellW = viewCell(im).width();
    const int width = int(cellW * widthInCells);
    im.setImage(plane({width, 100}));
    zoom(im, {120});
    hBar(im)->setValue(hBar(im)->maximum());
    QCOMPARE(im.viewOffset().x(), width - qRound(cellW / 2.0));

    zoom(im, {-120});
    const int expected = fitsAfter ? 0 : width - cellW;
    QCOMPARE(hBar(im)->maximum(), expected);
    QCOMPARE(im.viewOffset().x(), expected);
    QCOMPARE(im.viewImage(), literalView(im.image(), viewCell(im).size(), 1, im.viewOffset()));
}

void TestIm::resizeClampsAndRebuilds()
{
    Im im;
    showViewer(im);
    const QImage image = randomImage({1000, 600}, QImage::Format_Mono, 3);
    im.setImage(image);
    im.resize(450, 350); // nothing to clamp: the view alone must follow
    QCOMPARE(im.viewImage(), literalView(image, viewCell(im).size(), 1, {}));

    hBar(im)->setValue(hBar(im)->maximum());
    vBar(im)->setValue(vBar(im)->maximum());
    const int oldWidth = viewCell(im).width();
    im.resize(600, 700);
    QVERIFY(viewCell(im).width() > oldWidth);
    QCOMPARE(im.viewOffset(), QPoint(1000 - viewCell(im).width(), 0));
    QCOMPARE(vBar(im)->maximum(), 0);
    QCOMPARE(im.viewImage(), literalView(image, viewCell(im).size(), 1, im.viewOffset()));
}

void TestIm::gridLines_data()
{
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<bool>("line");

    // White 105 x 105 plane at scale 2: whole blocks end at 200 screen pixels.
    QTest::newRow("left edge") << QPoint(0, 5) << false;
    QTest::newRow("inside first block") << QPoint(10, 5) << false;
    QTest::newRow("first vertical line") << QPoint(20, 5) << true;
    QTest::newRow("right of first line") << QPoint(21, 5) << false;
    QTest::newRow("second vertical line") << QPoint(40, 5) << true;
    QTest::newRow("last whole block") << QPoint(200, 5) << true;
    QTest::newRow("partial block") << QPoint(210, 5) << false;
    QTest::newRow("top edge") << QPoint(5, 0) << false;
    QTest::newRow("first horizontal line") << QPoint(5, 20) << true;
    QTest::newRow("horizontal line ends at last block") << QPoint(205, 20) << false;
}

void TestIm::gridLines()
{
    QFETCH(QPoint, pixel);
    QFETCH(bool, line);

    Im im;
    showViewer(im);
    im.setImage(plane({105, 105}));
    zoom(im, {120});
    QCOMPARE(im.zoom(), 2.0f);
    const QImage shot = im.grab().toImage();
    QCOMPARE(isGridPixel(shot.pixel(pixel)), line);
}

void TestIm::gridSuppressed_data()
{
    QTest::addColumn<bool>("showGrid");
    QTest::addColumn<Steps>("deltas");
    QTest::addColumn<bool>("drawn");

    QTest::newRow("grid at scale 1") << true << Steps {} << true;
    QTest::newRow("scale 0.5") << true << Steps {-120} << false;
    QTest::newRow("grid off at scale 2") << false << Steps {120} << false;
}

void TestIm::gridSuppressed()
{
    QFETCH(bool, showGrid);
    QFETCH(Steps, deltas);
    QFETCH(bool, drawn);

    Im im;
    im.showGrid = showGrid;
    showViewer(im);
    im.setImage(plane({300, 300}));
    zoom(im, deltas);

    QSignalSpy cleared(&im, &Im::clearShowGridFlag);
    im.repaint();
    im.repaint();
    QCOMPARE(cleared.count(), drawn ? 0 : 2);
    const QImage shot = im.grab().toImage();
    QCOMPARE(isGridPixel(shot.pixel(20, 5)), drawn);
}

void TestIm::takeMouse_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<bool>("showGrid");
    QTest::addColumn<Steps>("deltas");
    QTest::addColumn<QPoint>("press"); // (-1, -1): over the zoom label
    QTest::addColumn<bool>("reported");
    QTest::addColumn<QPoint>("imagePoint");

    QTest::newRow("rounded at scale 4")
        << QSize(200, 200) << true << Steps {120, 120} << QPoint(3, 1) << true << QPoint(1, 0);
    QTest::newRow("last whole block column")
        << QSize(105, 100) << true << Steps {} << QPoint(100, 0) << true << QPoint(100, 0);
    QTest::newRow("past last whole block column")
        << QSize(105, 100) << true << Steps {} << QPoint(101, 0) << false << QPoint();
    QTest::newRow("past last whole block row")
        << QSize(100, 105) << true << Steps {} << QPoint(0, 101) << false << QPoint();
    QTest::newRow("grid off") << QSize(200, 200) << false << Steps {} << QPoint(3, 1) << false
                              << QPoint();
    QTest::newRow("outside the view")
        << QSize(200, 200) << true << Steps {} << QPoint(-1, -1) << false << QPoint();
    QTest::newRow("no image") << QSize() << true << Steps {} << QPoint(0, 0) << false << QPoint();
}

void TestIm::takeMouse()
{
    QFETCH(QSize, imageSize);
    QFETCH(bool, showGrid);
    QFETCH(Steps, deltas);
    QFETCH(QPoint, press);
    QFETCH(bool, reported);
    QFETCH(QPoint, imagePoint);

    Im im;
    im.showGrid = showGrid;
    showViewer(im);
    if (imageSize.isValid())
        im.setImage(plane(imageSize));
    zoom(im, deltas);
    if (press == QPoint(-1, -1))
        press = zoomCell(im).center();

    QSignalSpy taken(&im, &Im::takeMouse);
    QTest::mousePress(&im, Qt::LeftButton, {}, press);
    QCOMPARE(taken.count(), reported ? 1 : 0);
    if (reported) {
        const QList<QVariant> arguments = taken.takeFirst();
        QCOMPARE(arguments.at(0).toPoint(), imagePoint);
        QCOMPARE(arguments.at(1).toPoint(), press);
    }
}

void TestIm::shownPixelsMatchLiteral_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<Steps>("deltas");
    QTest::addColumn<QPoint>("offset"); // asked of the scroll bars, which clamp it

    const QImage::Format mono = QImage::Format_Mono;
    QTest::newRow("1:1 scrolled") << mono << QSize(700, 500) << Steps {} << QPoint(13, 7);
    QTest::newRow("x2 scrolled") << mono << QSize(700, 500) << Steps {120} << QPoint(101, 33);
    QTest::newRow("x4 at the far corner")
        << mono << QSize(700, 500) << Steps {120, 120} << QPoint(9999, 9999);
    QTest::newRow("x32") << mono << QSize(300, 200) << Steps {120, 120, 120, 120, 120}
                         << QPoint(77, 41);
    QTest::newRow("1/2 odd offset") << mono << QSize(1201, 901) << Steps {-120} << QPoint(3, 5);
    QTest::newRow("1/4 odd offset")
        << mono << QSize(2001, 1501) << Steps {-120, -120} << QPoint(7, 3);
    QTest::newRow("1/8 scrolled") << mono << QSize(4003, 2001) << Steps {-120, -120, -120}
                                  << QPoint(5, 2);
    QTest::newRow("1/8 whole image in sight")
        << mono << QSize(1203, 907) << Steps {-120, -120, -120} << QPoint();
    QTest::newRow("1/2 past both edges") << mono << QSize(301, 211) << Steps {-120} << QPoint();
    QTest::newRow("1:1 past both edges") << mono << QSize(101, 51) << Steps {} << QPoint();
    QTest::newRow("x4 past both edges") << mono << QSize(37, 23) << Steps {120, 120} << QPoint();
    QTest::newRow("x2 scrolled, past the bottom")
        << mono << QSize(1000, 40) << Steps {120} << QPoint(55, 0);
    QTest::newRow("1/4 scrolled, past the right")
        << mono << QSize(300, 3000) << Steps {-120, -120} << QPoint(0, 11);
    QTest::newRow("grey 1/4") << QImage::Format_Grayscale8 << QSize(999, 777) << Steps {-120, -120}
                              << QPoint(3, 1);
    QTest::newRow("translucent x2 past edges")
        << QImage::Format_ARGB32 << QSize(60, 50) << Steps {120} << QPoint();
    QTest::newRow("indexed translucent 1/8")
        << QImage::Format_Indexed8 << QSize(2500, 1000) << Steps {-120, -120, -120} << QPoint(9, 4);
}

void TestIm::shownPixelsMatchLiteral()
{
    QFETCH(QImage::Format, format);
    QFETCH(QSize, imageSize);
    QFETCH(Steps, deltas);
    QFETCH(QPoint, offset);

    Im im;
    showViewer(im);
    const QImage image = randomImage(imageSize, format, 7);
    im.setImage(image);
    QCOMPARE(im.image().cacheKey(), image.cacheKey()); // kept as given, not converted whole
    zoom(im, deltas);
    hBar(im)->setValue(offset.x());
    vBar(im)->setValue(offset.y());

    const QImage expected = literalView(image, viewCell(im).size(), im.zoom(), im.viewOffset());
    QCOMPARE(im.viewImage().format(), expected.format());
    QCOMPARE(im.viewImage(), expected);
}

void TestIm::marksFollowThePlane_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<Steps>("deltas");
    QTest::addColumn<QPoint>("offset");

    QTest::newRow("1:1 scrolled") << QSize(700, 500) << Steps {} << QPoint(13, 7);
    QTest::newRow("x4 scrolled") << QSize(700, 500) << Steps {120, 120} << QPoint(101, 34);
    QTest::newRow("x32") << QSize(300, 200) << Steps {120, 120, 120, 120, 120} << QPoint(77, 41);
    QTest::newRow("1/2 odd offset") << QSize(1201, 901) << Steps {-120} << QPoint(3, 5);
    QTest::newRow("1/4 odd offset") << QSize(2001, 1501) << Steps {-120, -120} << QPoint(7, 3);
    QTest::newRow("1/8 whole image in sight")
        << QSize(1203, 907) << Steps {-120, -120, -120} << QPoint();
    QTest::newRow("x4 past both edges") << QSize(37, 23) << Steps {120, 120} << QPoint();
    QTest::newRow("1/2 past both edges") << QSize(301, 211) << Steps {-120} << QPoint();
}

// A plane of whole black or white 3 x 3 blocks with its black blocks marked: at every zoom the
// tint must cover exactly the black pixels of the view, leave white and the outside untouched,
// and change neither the view's pixels nor its zoom and offsets.
void TestIm::marksFollowThePlane()
{
    QFETCH(QSize, imageSize);
    QFETCH(Steps, deltas);
    QFETCH(QPoint, offset);

    QRandomGenerator random(11);
    QImage cells(
        (imageSize.width() + 2) / 3, (imageSize.height() + 2) / 3, QImage::Format_Grayscale8);
    QImage image = plane(imageSize);
    for (int r = 0; r < cells.height(); ++r) {
        for (int c = 0; c < cells.width(); ++c) {
            const bool black = random.bounded(2);
            cells.scanLine(r)[c] = black ? 255 : 0;
            for (int y = 3 * r; black && y < qMin(3 * r + 3, imageSize.height()); ++y) {
                for (int x = 3 * c; x < qMin(3 * c + 3, imageSize.width()); ++x)
                    image.setPixel(x, y, 1);
            }
        }
    }

    Im im;
    showViewer(im);
    im.setImage(image);
    zoom(im, deltas);
    hBar(im)->setValue(offset.x());
    vBar(im)->setValue(offset.y());
    const QImage view = im.viewImage();
    const QImage plain = im.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QPoint viewOffset = im.viewOffset();

    im.setMarks(cells, 3);
    QCOMPARE(im.viewImage(), view);
    QCOMPARE(im.viewOffset(), viewOffset);
    const QImage marked = im.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect cell = viewCell(im) & view.rect();
    int tinted = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y) {
        for (int x = cell.left(); x <= cell.right(); ++x) {
            const bool black = view.pixel(x, y) == 0xff000000;
            if (black) {
                ++tinted;
                QVERIFY2(marked.pixel(x, y) != plain.pixel(x, y) && qGray(marked.pixel(x, y)) < 128,
                    qPrintable(QStringLiteral("black pixel (%1, %2) not tinted").arg(x).arg(y)));
            } else {
                QVERIFY2(marked.pixel(x, y) == plain.pixel(x, y),
                    qPrintable(QStringLiteral("pixel (%1, %2) tinted").arg(x).arg(y)));
            }
        }
    }
    QVERIFY(tinted > 0);

    im.setImage(image); // a new image has no marks
    QCOMPARE(im.grab().toImage().convertToFormat(QImage::Format_RGB32), plain);
}

void TestIm::pixelClicked_data()
{
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<Steps>("deltas");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<bool>("showGrid");
    QTest::addColumn<bool>("reported");

    QTest::newRow("1:1 scrolled") << QSize(700, 500) << Steps {} << QPoint(13, 7) << QPoint(3, 1)
                                  << false << true;
    QTest::newRow("x4 scrolled") << QSize(700, 500) << Steps {120, 120} << QPoint(100, 50)
                                 << QPoint(13, 6) << false << true;
    QTest::newRow("x4, grid on") << QSize(700, 500) << Steps {120, 120} << QPoint(100, 50)
                                 << QPoint(203, 99) << true << true;
    QTest::newRow("1/4 odd offset") << QSize(2001, 1501) << Steps {-120, -120} << QPoint(7, 3)
                                    << QPoint(101, 67) << false << true;
    QTest::newRow("1/8") << QSize(4003, 2001) << Steps {-120, -120, -120} << QPoint(5, 2)
                         << QPoint(250, 150) << false << true;
    QTest::newRow("right of a narrow image")
        << QSize(50, 50) << Steps {} << QPoint() << QPoint(60, 10) << false << false;
    QTest::newRow("on the scroll bar")
        << QSize(700, 500) << Steps {} << QPoint() << QPoint(295, 10) << false << false;
}

// The reported pixel is the one shown under the pointer: its colour, unique in a random picture,
// is the view's colour there. takeMouse still follows showGrid alone.
void TestIm::pixelClicked()
{
    QFETCH(QSize, imageSize);
    QFETCH(Steps, deltas);
    QFETCH(QPoint, offset);
    QFETCH(QPoint, press);
    QFETCH(bool, showGrid);
    QFETCH(bool, reported);

    Im im;
    im.showGrid = showGrid;
    showViewer(im);
    const QImage image = randomImage(imageSize, QImage::Format_RGB32, 5);
    im.setImage(image);
    zoom(im, deltas);
    hBar(im)->setValue(offset.x());
    vBar(im)->setValue(offset.y());

    QSignalSpy clicked(&im, &Im::imagePixelClicked);
    QSignalSpy taken(&im, &Im::takeMouse);
    QTest::mousePress(&im, Qt::RightButton, {}, press);
    QCOMPARE(clicked.count(), 0);
    QTest::mousePress(&im, Qt::LeftButton, {}, press);
    QCOMPARE(clicked.count(), reported ? 1 : 0);
    if (reported) {
        const QPoint pixel = clicked.takeFirst().at(0).toPoint();
        QCOMPARE(image.pixel(pixel), im.viewImage().pixel(press));
    }
    if (!showGrid)
        QCOMPARE(taken.count(), 0);
}

QTEST_MAIN(TestIm)
#include "tst_im.moc"
