// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturereader.h"
#include "testbmp.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using Failure = PictureReader::Failure;
Q_DECLARE_METATYPE(PictureReader::Failure)

namespace {

using namespace TestBmp;

// Grey level of the test pictures at (x, y); never 0x5a, the byte a poisoned heap would show.
int level(int x, int y, int levels)
{
    const int value = (x * 7 + y * 13) % levels;
    return value == 0x5a ? 0x5b : value;
}

QByteArray encoded(const QImage &image, const char *format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality))
        qFatal("cannot encode %s", format);
    return bytes;
}

QImage greyPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = uchar(level(x, y, 256));
    }
    return image;
}

QImage colourPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(4 * x % 256, 3 * y % 256, 128));
    }
    return image;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The picture's grey level at each pixel must be the one written.
bool hasLevels(const QImage &image, int width, int height, int maxLevel, const Levels &levels)
{
    if (image.size() != QSize(width, height))
        return false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (qGray(image.pixel(x, y)) != levels(x, y) * 255 / maxLevel)
                return false;
        }
    }
    return true;
}

// Leaves recognisable bytes in freed heap blocks, where uninitialised rows would show them.
void poisonHeap()
{
    for (const int size : {1 << 12, 1 << 16, 1 << 18, 1 << 20}) {
        QByteArray block(size, char(0x5a));
        block.detach();
    }
}

} // namespace

class TestPictureReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void readsPictures_data();
    void readsPictures();
    void formatFromContents_data();
    void formatFromContents();
    void truncatedBmp_data();
    void truncatedBmp();
    void truncatedJpegKeepsItsRows();
    void absurdSize_data();
    void absurdSize();
    void fiftyMegapixelJpeg();
    void unreadable_data();
    void unreadable();

private:
    QTemporaryDir dir;
};

void TestPictureReader::initTestCase()
{
    QVERIFY(dir.isValid());
}

void TestPictureReader::readsPictures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<int>("maxLevel"); // 0: compare with the encoded picture, within JPEG's loss

    const int w = 37; // odd widths exercise the row padding
    const int h = 11;
    const auto levels = [](int bits) {
        const int count = bits == 24 ? 256 : 1 << bits;
        return Levels([count](int x, int y) { return level(x, y, count); });
    };
    QTest::newRow("bmp 8-bit grey")
        << bmp(w, h, 8, 0, packedRows(w, h, 8, levels(8))) << "a.bmp" << QByteArray("bmp") << 255;
    QTest::newRow("bmp 24-bit") << bmp(w, h, 24, 0, packedRows(w, h, 24, levels(24))) << "a.bmp"
                                << QByteArray("bmp") << 255;
    QTest::newRow("bmp 4-bit") << bmp(w, h, 4, 0, packedRows(w, h, 4, levels(4))) << "a.bmp"
                               << QByteArray("bmp") << 15;
    QTest::newRow("bmp 1-bit") << bmp(w, h, 1, 0, packedRows(w, h, 1, levels(1))) << "a.bmp"
                               << QByteArray("bmp") << 1;
    QTest::newRow("bmp rle8") << bmp(w, h, 8, 1, rleRows(w, h, 8, levels(8))) << "a.bmp"
                              << QByteArray("bmp") << 255;
    QTest::newRow("bmp rle4") << bmp(w, h, 4, 2, rleRows(w, h, 4, levels(4))) << "a.bmp"
                              << QByteArray("bmp") << 15;
    QTest::newRow("jpeg grey") << encoded(greyPicture(w, h), "jpg", 100) << "a.jpg"
                               << QByteArray("jpeg") << 0;
    QTest::newRow("jpeg colour") << encoded(colourPicture(w, h), "jpg", 100) << "a.jpg"
                                 << QByteArray("jpeg") << 0;
    QTest::newRow("png") << encoded(greyPicture(w, h), "png") << "a.png" << QByteArray("png") << 0;
    QTest::newRow("bmp with bytes after the pixels")
        << bmp(w, h, 8, 0, packedRows(w, h, 8, levels(8)) + QByteArray(100, 'x')) << "a.bmp"
        << QByteArray("bmp") << 255;
}

void TestPictureReader::readsPictures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QByteArray, format);
    QFETCH(int, maxLevel);

    const QString path = writeFile(dir, name, bytes);
    for (const auto &result : {PictureReader::read(path), PictureReader::fromData(bytes)}) {
        QVERIFY2(result.ok(), qPrintable(result.reason));
        QCOMPARE(result.failure, Failure::None);
        QVERIFY(result.reason.isEmpty());
        QCOMPARE(result.format, format);
        if (maxLevel) {
            QVERIFY(hasLevels(result.image, 37, 11, maxLevel, [maxLevel](int x, int y) {
                return level(x, y, maxLevel == 255 ? 256 : maxLevel + 1);
            }));
        } else {
            QImage expected;
            QVERIFY(expected.loadFromData(bytes));
            QCOMPARE(result.image.convertToFormat(QImage::Format_RGB32),
                expected.convertToFormat(QImage::Format_RGB32));
        }
    }
}

void TestPictureReader::formatFromContents_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("format");

    const QByteArray jpeg = encoded(greyPicture(20, 10), "jpg");
    const QByteArray bmpBytes = encoded(greyPicture(20, 10), "bmp");
    QTest::newRow("photo.jpeg") << jpeg << "photo.jpeg" << QByteArray("jpeg");
    QTest::newRow("photo.Jpeg") << jpeg << "photo.Jpeg" << QByteArray("jpeg");
    QTest::newRow("IMG_0001.JPG") << jpeg << "IMG_0001.JPG" << QByteArray("jpeg");
    QTest::newRow("jpeg named .bmp") << jpeg << "picture.bmp" << QByteArray("jpeg");
    QTest::newRow("bmp named .jpg") << bmpBytes << "picture.jpg" << QByteArray("bmp");
    QTest::newRow("bmp named .BMP") << bmpBytes << "SCAN.BMP" << QByteArray("bmp");
    QTest::newRow("bmp without extension") << bmpBytes << "picture" << QByteArray("bmp");
    QTest::newRow("png named .jpg")
        << encoded(greyPicture(20, 10), "png") << "shot.jpg" << QByteArray("png");
}

void TestPictureReader::formatFromContents()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QByteArray, format);

    const PictureReader::Result result = PictureReader::read(writeFile(dir, name, bytes));
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QCOMPARE(result.format, format);
    QCOMPARE(result.image.size(), QSize(20, 10));
}

void TestPictureReader::truncatedBmp_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const int w = 64;
    const int h = 48;
    const Levels grey = [](int x, int y) { return level(x, y, 256); };
    const Levels nibble = [](int x, int y) { return level(x, y, 16); };
    const Levels bit = [](int x, int y) { return level(x, y, 2); };
    // `tail`: the bytes after the last pixel (an RLE file ends with end of line, end of bitmap).
    const struct
    {
        const char *name;
        QByteArray bytes;
        int tail;
    } files[] = {
        {"8-bit", bmp(w, h, 8, 0, packedRows(w, h, 8, grey)), 0},
        {"24-bit", bmp(w, h, 24, 0, packedRows(w, h, 24, grey)), 0},
        {"4-bit", bmp(w, h, 4, 0, packedRows(w, h, 4, nibble)), 0},
        {"1-bit", bmp(w, h, 1, 0, packedRows(w, h, 1, bit)), 0},
        {"rle8", bmp(w, h, 8, 1, rleRows(w, h, 8, grey)), 4},
        {"rle4", bmp(w, h, 4, 2, rleRows(w, h, 4, nibble)), 4},
    };
    for (const auto &file : files) {
        for (const int percent : {95, 50, 10}) {
            QTest::addRow("%s cut to %d%%", file.name, percent)
                << file.bytes.left(file.bytes.size() * percent / 100);
        }
        QTest::addRow("%s one pixel byte short", file.name) << file.bytes.chopped(file.tail + 1);
    }

    // Complete RLE files that still leave pixels unwritten.
    const auto rle = [&](const QByteArray &row, int rows, bool endOfBitmap) {
        QByteArray data;
        for (int i = 0; i < rows; ++i)
            data += row + QByteArray("\0\0", 2);
        if (endOfBitmap)
            data += QByteArray("\0\1", 2);
        return bmp(w, h, 8, 1, data);
    };
    QTest::newRow("rle8 rows ended early") << rle(QByteArray("\x20\xff", 2), h, true);
    QTest::newRow("rle8 delta") << rle(QByteArray("\x20\xff\0\2\x10\0\x10\xff", 8), h, true);
    QTest::newRow("rle8 end of bitmap halfway") << rle(QByteArray("\x40\xff", 2), h / 2, true);
    QTest::newRow("rle8 no end of line") << bmp(w, h, 8, 1, QByteArray("\x40\xff\x40\xff", 4));
    QTest::newRow("pixels start past the end")
        << bmp(w, h, 8, 0, QByteArray()).replace(10, 4, QByteArray("\xff\xff\0\0", 4));
}

void TestPictureReader::truncatedBmp()
{
    QFETCH(QByteArray, bytes);

    poisonHeap();
    const PictureReader::Result fromFile = PictureReader::read(writeFile(dir, "cut.bmp", bytes));
    QCOMPARE(fromFile.failure, Failure::Truncated);
    QVERIFY(fromFile.image.isNull());
    QVERIFY(!fromFile.reason.isEmpty());
    // Named otherwise, the contents decide, and the check still holds.
    QCOMPARE(PictureReader::read(writeFile(dir, "cut.jpg", bytes)).failure, Failure::Truncated);
    QCOMPARE(PictureReader::fromData(bytes).failure, Failure::Truncated);
}

void TestPictureReader::truncatedJpegKeepsItsRows()
{
    // libjpeg fills what is missing itself, deterministically: the rows that exist are kept.
    const QByteArray bytes = encoded(greyPicture(64, 64), "jpg", 90);
    QImage whole;
    QVERIFY(whole.loadFromData(bytes));
    const QByteArray cut = bytes.left(bytes.size() * 3 / 4);

    poisonHeap();
    const PictureReader::Result result = PictureReader::read(writeFile(dir, "cut.jpg", cut));
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QCOMPARE(result.image.size(), whole.size());
    QCOMPARE(result.image.copy(0, 0, 64, 8), whole.copy(0, 0, 64, 8));
    poisonHeap();
    QCOMPARE(PictureReader::fromData(cut).image, result.image);
}

void TestPictureReader::absurdSize_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");

    QTest::newRow("bmp 100000 x 100000")
        << bmp(100000, 100000, 8, 0, QByteArray(1000, '\0')) << "huge.bmp";
    QTest::newRow("bmp 100000 x 100000 top-down")
        << bmp(100000, -100000, 24, 0, QByteArray(1000, '\0')) << "huge.bmp";
    QTest::newRow("bmp 100000 x 100000 rle8")
        << bmp(100000, 100000, 8, 1, QByteArray(1000, '\0')) << "huge.bmp";
    QTest::newRow("bmp 10000 x 10000 24-bit")
        << bmp(10000, 10000, 24, 0, QByteArray(1000, '\0')) << "huge.bmp";

    // A JPEG stores its size in 16 bits; libjpeg takes up to 65500 x 65500.
    QByteArray jpeg = encoded(greyPicture(16, 16), "jpg");
    const qsizetype sof = jpeg.indexOf("\xff\xc0");
    QVERIFY(sof > 0);
    jpeg.replace(sof + 5, 4, QByteArray("\xff\xdc\xff\xdc", 4));
    QTest::newRow("jpeg 65500 x 65500") << jpeg << "huge.jpg";
    QTest::newRow("jpeg 65500 x 65500 named .bmp") << jpeg << "huge.bmp";
}

void TestPictureReader::absurdSize()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);

    const PictureReader::Result result = PictureReader::read(writeFile(dir, name, bytes));
    QCOMPARE(result.failure, Failure::TooLarge);
    QVERIFY(result.image.isNull());
    QVERIFY(result.reason.contains(QStringLiteral("слишком велико")));
}

void TestPictureReader::fiftyMegapixelJpeg()
{
    // A 50-megapixel camera photo, over Qt's default allocation limit.
    const int w = 8165;
    const int h = 6124;
    QImage image(w, h, QImage::Format_Grayscale8);
    for (int y = 0; y < h; ++y)
        memset(image.scanLine(y), (y / 24) & 255, size_t(w));
    const QString path = dir.filePath("IMG_5000.JPG");
    QVERIFY(image.save(path, "jpg", 50));
    image = QImage();

    const PictureReader::Result result = PictureReader::read(path);
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QCOMPARE(result.image.size(), QSize(w, h));
    QVERIFY(result.image.isGrayscale());
    QVERIFY(qAbs(qGray(result.image.pixel(100, 24 * 100 + 12)) - 100) <= 2);
}

void TestPictureReader::unreadable_data()
{
    QTest::addColumn<QString>("name"); // written with `bytes`; "" = the folder itself
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Failure>("failure");

    QTest::newRow("zero bytes") << "empty.bmp" << QByteArray() << Failure::Empty;
    QTest::newRow("text named .bmp")
        << "notes.bmp" << QByteArray("just some words, no picture\n") << Failure::UnknownFormat;
    QTest::newRow("bmp header cut")
        << "header.bmp" << QByteArray("BM\0\0\0\0", 6) << Failure::Truncated;
    static const char gif[] = "GIF89a\1\0\1\0\0\0\0,\0\0\0\0\1\0\1\0\0\2\2D\1\0;"; // 1 x 1
    QTest::newRow("gif") << "dot.gif" << QByteArray(gif, sizeof gif - 1)
                         << Failure::UnsupportedFormat;
    QTest::newRow("jpeg header only")
        << "start.jpg" << encoded(greyPicture(16, 16), "jpg").left(100) << Failure::DecodeFailed;
    QTest::newRow("folder") << "" << QByteArray() << Failure::NotAFile;
    QTest::newRow("missing file") << "nothing-here.bmp" << QByteArray() << Failure::Missing;
}

void TestPictureReader::unreadable()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(Failure, failure);

    QString path = dir.path();
    if (failure == Failure::Missing)
        path = dir.filePath(name);
    else if (!name.isEmpty())
        path = writeFile(dir, name, bytes);

    const PictureReader::Result result = PictureReader::read(path);
    QCOMPARE(result.failure, failure);
    QVERIFY(!result.ok());
    QVERIFY(result.image.isNull());
    QVERIFY(result.format.isEmpty());
    QVERIFY(!result.reason.isEmpty());
}

QTEST_GUILESS_MAIN(TestPictureReader)
#include "tst_picturereader.moc"
