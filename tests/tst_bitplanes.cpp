// SPDX-License-Identifier: GPL-3.0-or-later
#include "bitplanes.h"
#include "pixelmemory.h"
#include "testpictures.h"

#include <QScopeGuard>
#include <QTest>

using namespace TestPictures;

class tst_BitPlanes : public QObject
{
    Q_OBJECT

private slots:
    void matchesLiteralSplit_data();
    void matchesLiteralSplit();
    void greyLevels_data();
    void greyLevels();
    void planeFormat();
    void indexPastColorTable();
    void nullPicture();
    void whichPicturesAreSplit_data();
    void whichPicturesAreSplit();
    void noMemoryForThePlanes();
    void spareStoreGoesWhenMemoryIsShort();
    void keptPlanesSurviveLaterSplits_data();
    void keptPlanesSurviveLaterSplits();
    void builtInPicture_data();
    void builtInPicture();

private:
    static void comparePlanes(const QList<QImage> &actual, const QList<QImage> &expected);
};

void tst_BitPlanes::comparePlanes(const QList<QImage> &actual, const QList<QImage> &expected)
{
    QCOMPARE(actual.size(), 8);
    for (int k = 0; k < 8; ++k) {
        const QImage &a = actual.at(k);
        const QImage &e = expected.at(k);
        QCOMPARE(a.format(), QImage::Format_Mono);
        QCOMPARE(a.colorTable(), planeTable());
        QCOMPARE(a.size(), e.size());
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x) {
                if (a.pixelIndex(x, y) != e.pixelIndex(x, y)) {
                    QFAIL(qPrintable(
                        QStringLiteral("plane %1 differs at (%2, %3)").arg(k).arg(x).arg(y)));
                }
            }
        }
        QVERIFY(a == e);
    }
}

void tst_BitPlanes::matchesLiteralSplit_data()
{
    QTest::addColumn<QImage>("picture");

    const QList<QSize> sizes = {{1, 1}, {2, 1}, {1, 3}, {7, 1}, {8, 2}, {9, 9}, {10, 7}, {15, 4},
        {16, 16}, {17, 5}, {31, 33}, {40, 40}};
    quint32 seed = 1;
    for (const Kind kind : allKinds()) {
        for (const QSize &size : sizes) {
            const QByteArray name = QByteArray(kindName(kind)) + " noise "
                + QByteArray::number(size.width()) + "x" + QByteArray::number(size.height());
            QTest::newRow(name.constData())
                << picture(kind, size.width(), size.height(), Content::Noise, seed++);
        }
        QTest::newRow((QByteArray(kindName(kind)) + " white 11x4").constData())
            << picture(kind, 11, 4, Content::White, seed++);
        QTest::newRow((QByteArray(kindName(kind)) + " black 11x4").constData())
            << picture(kind, 11, 4, Content::Black, seed++);
    }
}

void tst_BitPlanes::matchesLiteralSplit()
{
    QFETCH(QImage, picture);
    comparePlanes(BitPlanes::split(picture), referencePlanes(picture));
}

void tst_BitPlanes::greyLevels_data()
{
    QTest::addColumn<int>("level");

    QTest::newRow("0 white everywhere") << 0;
    QTest::newRow("255 black everywhere") << 255;
    QTest::newRow("128 only the top plane") << 128;
    QTest::newRow("1 only the bottom plane") << 1;
    QTest::newRow("odd 0b10100101") << 0xa5;
}

void tst_BitPlanes::greyLevels()
{
    QFETCH(int, level);

    QImage grey(3, 2, QImage::Format_Grayscale8);
    grey.fill(0);
    grey.setPixel(1, 1, qRgb(level, level, level));
    const QList<QImage> planes = BitPlanes::split(grey);
    QCOMPARE(planes.size(), 8);
    for (int k = 0; k < 8; ++k) {
        const bool set = level & (128 >> k);
        QCOMPARE(planes.at(k).pixel(1, 1), set ? 0xff000000 : 0xffffffff);
        QCOMPARE(planes.at(k).pixel(0, 0), 0xffffffffu);
    }
}

void tst_BitPlanes::planeFormat()
{
    QImage grey(5, 4, QImage::Format_Grayscale8);
    grey.fill(Qt::white);
    const QList<QImage> planes = BitPlanes::split(grey);
    QCOMPARE(planes.size(), 8);
    for (const QImage &plane : planes) {
        QCOMPARE(plane.size(), QSize(5, 4));
        QCOMPARE(plane.format(), QImage::Format_Mono);
        QCOMPARE(plane.colorTable(), (QList<QRgb> {0xffffffff, 0xff000000}));
        // Five black pixels, then clear padding to the end of each scan line.
        for (int y = 0; y < 4; ++y) {
            const uchar *line = plane.constScanLine(y);
            QCOMPARE(line[0], uchar(0xf8));
            for (qsizetype i = 1; i < plane.bytesPerLine(); ++i)
                QCOMPARE(line[i], uchar(0));
        }
    }
}

void tst_BitPlanes::indexPastColorTable()
{
    // A damaged file may hold indices past its palette; QImage::pixel reads them as 0.
    QImage picture(2, 1, QImage::Format_Indexed8);
    picture.setColorTable({qRgb(200, 200, 200)});
    picture.scanLine(0)[0] = 0;
    picture.scanLine(0)[1] = 250;
    const QList<QImage> planes = BitPlanes::split(picture);
    QCOMPARE(planes.size(), 8);
    for (int k = 0; k < 8; ++k) {
        QCOMPARE(planes.at(k).pixelIndex(0, 0), (200 >> (7 - k)) & 1);
        QCOMPARE(planes.at(k).pixelIndex(1, 0), 0);
    }
}

void tst_BitPlanes::nullPicture()
{
    QVERIFY(BitPlanes::split(QImage()).isEmpty());
}

void tst_BitPlanes::whichPicturesAreSplit_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::addColumn<bool>("split");

    const auto indexed = [](const QList<QRgb> &table) {
        QImage image(4, 3, QImage::Format_Indexed8);
        image.setColorTable(table);
        for (int i = 0; i < 12; ++i)
            image.setPixel(i % 4, i / 4, uint(i % table.size()));
        return image;
    };
    QList<QRgb> ramp;
    QList<QRgb> reversed;
    QList<QRgb> sixteen;
    for (int i = 0; i < 256; ++i) {
        ramp << qRgb(i, i, i);
        reversed << qRgb(255 - i, 255 - i, 255 - i);
    }
    for (int i = 0; i < 16; ++i)
        sixteen << qRgb(i * 17, i * 17, i * 17);
    QImage mono(5, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.fill(1);
    QImage greyRgb(3, 3, QImage::Format_RGB32);
    greyRgb.fill(qRgb(77, 77, 77));
    QImage oneColourPixel = greyRgb;
    oneColourPixel.setPixel(2, 2, qRgb(77, 77, 78));
    QList<QRgb> colourEntry = sixteen;
    colourEntry[15] = qRgb(255, 0, 0);

    QTest::newRow("8-bit grey ramp") << indexed(ramp) << true;
    // Not greyscale to Qt, whose test wants entry i to be level i.
    QTest::newRow("8-bit grey palette in reverse") << indexed(reversed) << true;
    QTest::newRow("16-entry grey palette of a 4-bit file") << indexed(sixteen) << true;
    QTest::newRow("1-bit black and white") << mono << true;
    QTest::newRow("32-bit grey pixels") << greyRgb << true;
    QTest::newRow("32-bit with one colour pixel") << oneColourPixel << false;
    QTest::newRow("grey palette with one colour entry") << indexed(colourEntry) << false;
    QTest::newRow("null") << QImage() << false;
}

void tst_BitPlanes::whichPicturesAreSplit()
{
    QFETCH(QImage, picture);
    QFETCH(bool, split);

    QCOMPARE(BitPlanes::isGrey(picture), split);
    if (split)
        comparePlanes(BitPlanes::split(picture), referencePlanes(picture));
}

void tst_BitPlanes::noMemoryForThePlanes()
{
    const QImage grey(40, 30, QImage::Format_Grayscale8);
    const auto lift = qScopeGuard([] { PixelMemory::failAfter(-1); });
    PixelMemory::failAfter(0);
    QVERIFY(BitPlanes::split(grey).isEmpty());
    PixelMemory::failAfter(1);
    QCOMPARE(BitPlanes::split(grey).size(), 8);
}

// The store a split keeps for the next one is given back when reading a picture runs short
// of memory; once given back, a split without memory has nothing left to reuse.
void tst_BitPlanes::spareStoreGoesWhenMemoryIsShort()
{
    const QImage grey = picture(Kind::Grayscale8, 40, 30, Content::Noise, 7);
    QCOMPARE(BitPlanes::split(grey).size(), 8);
    const auto lift = qScopeGuard([] { PixelMemory::failAfter(-1); });
    PixelMemory::failAfter(0);
    QCOMPARE(BitPlanes::split(grey).size(), 8); // the spare store, no allocation
    QVERIFY(PixelMemory::allocate(QSize(40, 30), QImage::Format_Grayscale8).isNull());
    QVERIFY(BitPlanes::split(grey).isEmpty());
}

void tst_BitPlanes::keptPlanesSurviveLaterSplits_data()
{
    QTest::addColumn<QSize>("first");
    QTest::addColumn<QSize>("later");
    QTest::newRow("same size") << QSize(64, 48) << QSize(64, 48);
    QTest::newRow("smaller") << QSize(64, 48) << QSize(60, 40);
    QTest::newRow("larger") << QSize(32, 24) << QSize(64, 48);
}

// The planes' memory is reused from split to split: planes still held (the picture shown while
// the next one is read, and the one before) must never be written by a later split.
void tst_BitPlanes::keptPlanesSurviveLaterSplits()
{
    QFETCH(QSize, first);
    QFETCH(QSize, later);
    const auto grey = [](const QSize &size, quint32 seed) {
        return picture(Kind::Grayscale8, size.width(), size.height(), Content::Noise, seed);
    };
    const QImage a = grey(first, 11);
    const QImage b = grey(first, 12);
    QList<QImage> keptA = BitPlanes::split(a);
    QList<QImage> keptB = BitPlanes::split(b);
    for (quint32 seed = 13; seed < 19; ++seed) {
        const QImage next = grey(later, seed);
        const QList<QImage> planes = BitPlanes::split(next);
        comparePlanes(planes, referencePlanes(next));
        if (!keptA.isEmpty())
            comparePlanes(keptA, referencePlanes(a));
        comparePlanes(keptB, referencePlanes(b));
        if (seed == 15)
            keptA.clear(); // its memory may now be reused, but never B's
    }
}

void tst_BitPlanes::builtInPicture_data()
{
    QTest::addColumn<QString>("resource");
    QTest::newRow("lena") << ":/images/images/lena.bmp";
    QTest::newRow("barbara") << ":/images/images/barbara.bmp";
    QTest::newRow("goldhill") << ":/images/images/goldhill.bmp";
}

void tst_BitPlanes::builtInPicture()
{
    QFETCH(QString, resource);
    const QImage picture(resource);
    QCOMPARE(picture.size(), QSize(512, 512));
    comparePlanes(BitPlanes::split(picture), referencePlanes(picture));
}

QTEST_GUILESS_MAIN(tst_BitPlanes)
#include "tst_bitplanes.moc"
