// SPDX-License-Identifier: GPL-3.0-or-later
// The grey version of a colour picture: BT.601 luma, rounded, in every format a picture file can
// come in, against the definition read through QImage::pixel.

#include "greyconversion.h"
#include "pixelmemory.h"

#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTest>

namespace {

// Colour noise with a few exact colours in the first row, in `format`.
QImage colourPicture(int width, int height, QImage::Format format, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate() | (y == 1 ? 0 : 0xff000000u));
    }
    const QRgb fixed[] = {qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 250)};
    for (int x = 0; x < qMin(width, 4); ++x)
        image.setPixel(x, 0, fixed[x]);
    if (format == QImage::Format_Indexed8 || format == QImage::Format_Mono) {
        // A colour palette, as a 256-colour BMP or a two-colour one has.
        QImage indexed(width, height, format);
        QList<QRgb> palette;
        for (int i = 0; i < (format == QImage::Format_Mono ? 2 : 256); ++i)
            palette << (random.generate() | 0xff000000u);
        indexed.setColorTable(palette);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                indexed.setPixel(x, y, random.bounded(int(palette.size())));
        }
        return indexed;
    }
    return image.convertToFormat(format);
}

} // namespace

class tst_GreyConversion : public QObject
{
    Q_OBJECT

private slots:
    void luma_data();
    void luma();
    void formats_data();
    void formats();
    void greyStaysGrey();
    void nothingToConvert();
};

void tst_GreyConversion::luma_data()
{
    QTest::addColumn<QRgb>("colour");
    QTest::addColumn<int>("level");

    QTest::newRow("white") << qRgb(255, 255, 255) << 255;
    QTest::newRow("black") << qRgb(0, 0, 0) << 0;
    QTest::newRow("red 76.245 rounds down") << qRgb(255, 0, 0) << 76;
    QTest::newRow("green 149.685 rounds up") << qRgb(0, 255, 0) << 150;
    QTest::newRow("blue 29.07") << qRgb(0, 0, 255) << 29;
    QTest::newRow("28.5 exactly rounds up") << qRgb(0, 0, 250) << 29;
    QTest::newRow("alpha ignored") << qRgba(255, 0, 0, 0) << 76;
}

// Known values worked by hand, through the picture path as well as the one-pixel function.
void tst_GreyConversion::luma()
{
    QFETCH(QRgb, colour);
    QFETCH(int, level);

    QCOMPARE(int(GreyConversion::luma(qRed(colour), qGreen(colour), qBlue(colour))), level);
    QImage picture(3, 1, QImage::Format_ARGB32);
    picture.fill(colour);
    const QImage grey = GreyConversion::toGrey(picture);
    QCOMPARE(grey.format(), QImage::Format_Grayscale8);
    QCOMPARE(int(grey.constScanLine(0)[2]), level);
}

void tst_GreyConversion::formats_data()
{
    QTest::addColumn<QImage>("picture");

    const struct
    {
        const char *name;
        QImage::Format format;
    } formats[] = {
        {"RGB32", QImage::Format_RGB32},
        {"ARGB32", QImage::Format_ARGB32},
        {"ARGB32 premultiplied", QImage::Format_ARGB32_Premultiplied},
        {"RGB888", QImage::Format_RGB888},
        {"BGR888", QImage::Format_BGR888},
        {"RGB16", QImage::Format_RGB16},
        {"RGBA64 (16-bit PNG)", QImage::Format_RGBA64},
        {"RGBA64 premultiplied", QImage::Format_RGBA64_Premultiplied},
        {"RGBA8888", QImage::Format_RGBA8888},
        {"Indexed8, colour palette", QImage::Format_Indexed8},
        {"Mono, two colours", QImage::Format_Mono},
    };
    quint32 seed = 1;
    for (const auto &format : formats) {
        // An odd width; row 1 has every kind of alpha.
        QTest::addRow("%s 1x1", format.name) << colourPicture(1, 1, format.format, seed++);
        QTest::addRow("%s 37x70", format.name) << colourPicture(37, 70, format.format, seed++);
    }
}

// Each level is the luma of the pixel QImage::pixel reads, by the definition: 1000 x level lies
// within half a unit of 299 R + 587 G + 114 B, a tie going up.
void tst_GreyConversion::formats()
{
    QFETCH(QImage, picture);

    const QImage grey = GreyConversion::toGrey(picture);
    QCOMPARE(grey.size(), picture.size());
    QCOMPARE(grey.format(), QImage::Format_Grayscale8);
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb p = picture.pixel(x, y);
            const int weighted = 299 * qRed(p) + 587 * qGreen(p) + 114 * qBlue(p);
            const int off = weighted - 1000 * grey.constScanLine(y)[x];
            if (off < -500 || off >= 500)
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2: colour %3, level %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(p, 8, 16)
                                     .arg(grey.constScanLine(y)[x])));
        }
    }
}

// A grey picture converted keeps every level, so converting twice changes nothing.
void tst_GreyConversion::greyStaysGrey()
{
    QImage ramp(256, 2, QImage::Format_RGB32);
    for (int level = 0; level < 256; ++level) {
        ramp.setPixel(level, 0, qRgb(level, level, level));
        ramp.setPixel(level, 1, qRgb(level, level, level));
    }
    const QImage grey = GreyConversion::toGrey(ramp);
    for (int level = 0; level < 256; ++level)
        QCOMPARE(int(grey.constScanLine(1)[level]), level);
    QCOMPARE(GreyConversion::toGrey(grey), grey);
}

void tst_GreyConversion::nothingToConvert()
{
    QVERIFY(GreyConversion::toGrey(QImage()).isNull());
    const auto lift = qScopeGuard([] { PixelMemory::failAfter(-1); });
    PixelMemory::failAfter(0);
    QVERIFY(GreyConversion::toGrey(QImage(8, 8, QImage::Format_RGB32)).isNull());
}

QTEST_GUILESS_MAIN(tst_GreyConversion)
#include "tst_greyconversion.moc"
