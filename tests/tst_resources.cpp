// SPDX-License-Identifier: GPL-3.0-or-later
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QResource>
#include <QTest>

// The pictures and icons are embedded in the executable; these checks read them back the way the
// program does (QImage, QIcon, QImageReader).
class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void pictures_data();
    void pictures();
    void windowIconOffersBothSizes();
    void smallIcons_data();
    void smallIcons();
    void storedUncompressed_data();
    void storedUncompressed();
};

void TestResources::pictures_data()
{
    QTest::addColumn<QString>("path");
    // The first three end in two bytes of padding; the later ones, written by Pillow, do not.
    QTest::addColumn<int>("fileSize");
    QTest::newRow("Лена") << ":/images/images/lena.bmp" << 263224;
    QTest::newRow("Барбара") << ":/images/images/barbara.bmp" << 263224;
    QTest::newRow("Золотой холм") << ":/images/images/goldhill.bmp" << 263224;
    for (const char *name : {"astronaut", "coffee", "rocket", "brick", "hubble", "gravel"})
        QTest::newRow(name) << QStringLiteral(":/images/images/%1.bmp").arg(QLatin1String(name))
                            << 263222;
}

void TestResources::pictures()
{
    QFETCH(QString, path);
    QFETCH(int, fileSize);
    const QImage picture(path);
    QCOMPARE(picture.size(), QSize(512, 512));
    QCOMPARE(picture.format(), QImage::Format_Indexed8);
    // Only greyscale pictures are split into bit planes.
    QVERIFY(picture.isGrayscale());
    // An exact grey ramp, so that a pixel's index is its grey level.
    const QList<QRgb> table = picture.colorTable();
    QCOMPARE(table.size(), 256);
    for (int i = 0; i < 256; ++i)
        QCOMPARE(table[i], qRgb(i, i, i));
    QCOMPARE(QFile(path).size(), fileSize);
}

void TestResources::windowIconOffersBothSizes()
{
    const QString path = ":/icons/images/QuarnelClass.ico";
    const QList<QSize> sizes = QIcon(path).availableSizes();
    QVERIFY2(sizes.contains(QSize(16, 16)), qPrintable(QDebug::toString(sizes)));
    QVERIFY2(sizes.contains(QSize(32, 32)), qPrintable(QDebug::toString(sizes)));

    QImageReader reader(path);
    QCOMPARE(reader.imageCount(), 2);
    QList<int> widths;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QVERIFY(image.hasAlphaChannel());
        QCOMPARE(image.height(), image.width());
        widths << image.width();
    }
    QCOMPARE(widths, QList<int>({32, 16}));
    // Two uncompressed 32 bpp BMP entries with their AND masks, not PNG entries.
    QCOMPARE(QFile(path).size(), 5430);
}

void TestResources::smallIcons_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("check") << ":/icons/images/Check.png";
    QTest::newRow("output") << ":/icons/images/Output.png";
    QTest::newRow("zoom") << ":/actions/Resources/zoom.png";
}

void TestResources::smallIcons()
{
    QFETCH(QString, path);
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage icon = reader.read();
    QVERIFY2(!icon.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(icon.size(), QSize(16, 16));
    QVERIFY(icon.hasAlphaChannel());
    // The alpha channel is really used: a drawn shape on a transparent ground.
    int transparent = 0;
    int opaque = 0;
    for (int y = 0; y < icon.height(); ++y) {
        for (int x = 0; x < icon.width(); ++x) {
            const int alpha = qAlpha(icon.pixel(x, y));
            transparent += alpha == 0;
            opaque += alpha == 255;
        }
    }
    QVERIFY(transparent > 0);
    QVERIFY(opaque > 0);
}

void TestResources::storedUncompressed_data()
{
    QTest::addColumn<QString>("path");
    for (const char *path : {":/icons/images/QuarnelClass.ico", ":/icons/images/Check.png",
             ":/icons/images/Output.png", ":/images/images/lena.bmp", ":/images/images/barbara.bmp",
             ":/images/images/goldhill.bmp", ":/images/images/astronaut.bmp",
             ":/images/images/coffee.bmp", ":/images/images/rocket.bmp",
             ":/images/images/brick.bmp", ":/images/images/hubble.bmp",
             ":/images/images/gravel.bmp", ":/actions/Resources/zoom.png"})
        QTest::newRow(path) << QString::fromLatin1(path);
}

void TestResources::storedUncompressed()
{
    QFETCH(QString, path);
    const QResource resource(path);
    QVERIFY(resource.isValid());
    QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
