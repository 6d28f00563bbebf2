// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturereader.h"
#include "pixelmemory.h"
#include "testbmp.h"
#include "testjpeg.h"
#include "testlibjpeg.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTransform>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#endif

#if defined(__GLIBC__)
#include <malloc.h>
#endif

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

// The same reading with the heap's fresh blocks filled with other bytes each time (glibc's
// MALLOC_PERTURB_): a pixel the reader leaves unwritten shows as a difference.
QList<QImage> readWithPerturbedHeap(const QByteArray &bytes, const QString &path)
{
    QList<QImage> images;
    for (const int perturb : {0x00, 0x5a, 0xa5, 0xff}) {
#if defined(__GLIBC__)
        mallopt(M_PERTURB, perturb);
#endif
        poisonHeap();
        images << PictureReader::fromData(bytes).image << PictureReader::read(path).image;
    }
#if defined(__GLIBC__)
    mallopt(M_PERTURB, 0);
#endif
    return images;
}

quint32 crc32(const QByteArray &bytes)
{
    quint32 crc = 0xffffffff;
    for (const char c : bytes) {
        crc ^= uchar(c);
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? (crc >> 1) ^ 0xedb88320 : crc >> 1;
    }
    return ~crc;
}

// A PNG whose header (IHDR, with its checksum) claims another size; the pixel data is left as
// it was, since only the header is read before the size refuses it.
QByteArray pngClaiming(const QByteArray &png, int width, int height)
{
    QByteArray patched = png;
    const qsizetype ihdr = patched.indexOf("IHDR");
    qToBigEndian<quint32>(quint32(width), patched.data() + ihdr + 4);
    qToBigEndian<quint32>(quint32(height), patched.data() + ihdr + 8);
    qToBigEndian<quint32>(crc32(patched.mid(ihdr, 4 + 13)), patched.data() + ihdr + 4 + 13);
    return patched;
}

QImage rgb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32);
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
    void hostileFiles_data();
    void hostileFiles();
    void shortOfMemory_data();
    void shortOfMemory();
    void refusedBeforeMemory_data();
    void refusedBeforeMemory();
    void absurdSize_data();
    void absurdSize();
    void fiftyMegapixelJpeg();
    void unreadable_data();
    void unreadable();
    void otherEncodingName();
    void linkLoop();

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

void TestPictureReader::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<Failure>("failure");
    QTest::addColumn<QString>("reason"); // the refusal's, word for word
    QTest::addColumn<QImage>("picture"); // what an accepted file reads as
    QTest::addColumn<QString>("warning"); // what was mended in it, word for word

    const int w = 37;
    const int h = 11;
    const Levels grey = [](int x, int y) { return level(x, y, 256); };
    const Levels nibble = [](int x, int y) { return level(x, y, 16); };
    const auto greyImage = [](int width, int height, const Levels &levels, int scale) {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int v = levels(x, y) * scale;
                image.setPixel(x, y, qRgb(v, v, v));
            }
        }
        return image;
    };
    const auto refused = [](const char *row, const QByteArray &bytes, const QString &name,
                             Failure failure, const QString &reason) {
        QTest::newRow(row) << bytes << name << failure << reason << QImage() << QString();
    };
    const auto mended = [](const char *row, const QByteArray &bytes, const QString &name,
                            const QImage &image, const QString &warning) {
        QTest::newRow(row) << bytes << name << Failure::None << QString() << rgb(image) << warning;
    };
    const auto accepted = [&](const char *row, const QByteArray &bytes, const QString &name,
                              const QImage &image) { mended(row, bytes, name, image, QString()); };

    // An absolute run of 8 pixels in a row of 5: Qt stops at the row's end and takes the run's
    // last bytes, 0 1, for "end of bitmap", leaving the top row unwritten. The whole run is
    // read; what lies past the row's end is dropped.
    const QByteArray rle8Run("\0\x08\x0a\x0b\x0c\x0d\x0e\x63\0\x01\0\0\x05\x14\0\0\0\x01", 18);
    QImage rle8Picture(5, 2, QImage::Format_RGB32);
    rle8Picture.fill(qRgb(20, 20, 20));
    for (int x = 0; x < 5; ++x)
        rle8Picture.setPixel(x, 1, qRgb(10 + x, 10 + x, 10 + x));
    accepted(
        "rle8 absolute run longer than the row", bmp(5, 2, 8, 1, rle8Run), "run.bmp", rle8Picture);
    // The same in RLE4: 12 nibbles in 6 bytes, of which Qt reads 4.
    const QByteArray rle4Run("\0\x0c\x12\x34\x5f\xff\0\x01\0\0\x05\x77\0\0\0\x01", 16);
    QImage rle4Picture(5, 2, QImage::Format_RGB32);
    rle4Picture.fill(qRgb(7 * 17, 7 * 17, 7 * 17));
    for (int x = 0; x < 5; ++x)
        rle4Picture.setPixel(x, 1, qRgb((x + 1) * 17, (x + 1) * 17, (x + 1) * 17));
    accepted(
        "rle4 absolute run longer than the row", bmp(5, 2, 4, 2, rle4Run), "run.bmp", rle4Picture);

    // Complete files that a stricter count of bytes took for cut ones.
    QByteArray noPalette = bmp(w, h, 24, 0, packedRows(w, h, 24, grey));
    qToLittleEndian<quint32>(256, noPalette.data() + 46); // biClrUsed, meaningless at 24 bits
    accepted(
        "24-bit bmp whose header counts 256 colours", noPalette, "a.bmp", greyImage(w, h, grey, 1));
    accepted("8-bit bmp without its last row's padding",
        bmp(w, h, 8, 0, packedRows(w, h, 8, grey)).chopped(3), "a.bmp", greyImage(w, h, grey, 1));
    // Qt zero-fills a 4-bit row it cannot read whole, so there the padding is needed.
    refused("4-bit bmp without its last row's padding",
        bmp(w, h, 4, 0, packedRows(w, h, 4, nibble)).chopped(1), "a.bmp", Failure::Truncated,
        "Файл BMP обрезан: в нём 10 из 11 строк изображения.");

    // Colour masks of any width read their true levels, each channel to the nearest of 256.
    const auto scaled = [](quint32 value, quint32 top) { return int((value * 255 + top / 2) / top); };
    const auto bitfieldsPicture = [&](const quint32 (&masks)[3],
                                      const std::function<quint32(int, int)> &pixel) {
        QImage image(w, h, QImage::Format_RGB32);
        int levels[3];
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                for (int c = 0; c < 3; ++c) {
                    const int shift = qCountTrailingZeroBits(masks[c]);
                    levels[c] = scaled((pixel(x, y) & masks[c]) >> shift, masks[c] >> shift);
                }
                image.setPixel(x, y, qRgb(levels[0], levels[1], levels[2]));
            }
        }
        return image;
    };
    const auto ten = [](int x, int y) {
        const quint32 v = quint32(x * 37 + y * 101) % 1024;
        return v << 20 | v << 10 | v;
    };
    const quint32 tenBits[3] = {0x3ff00000, 0x000ffc00, 0x000003ff};
    accepted("10-10-10 bitfields bmp", bitfieldsBmp(w, h, 32, tenBits, ten), "a.bmp",
        bitfieldsPicture(tenBits, ten));
    const auto rgb565 = [](int x, int y) { return quint32(x * 1111 + y * 3637) & 0xffff; };
    const quint32 sixteenBits[3] = {0xf800, 0x07e0, 0x001f};
    accepted("5-6-5 bitfields bmp", bitfieldsBmp(w, h, 16, sixteenBits, rgb565), "a.bmp",
        bitfieldsPicture(sixteenBits, rgb565));
    const auto eight = [&](int x, int y) { return quint32(grey(x, y)) * 0x010101; };
    const quint32 eightBits[3] = {0xff0000, 0xff00, 0xff};
    accepted("8-8-8 bitfields bmp", bitfieldsBmp(w, h, 32, eightBits, eight), "a.bmp",
        greyImage(w, h, grey, 1));
    // One mask for all three channels: grey by construction.
    const quint32 greyMasks[3] = {0xff, 0xff, 0xff};
    accepted("bitfields bmp with one mask for red, green and blue",
        bitfieldsBmp(w, h, 32, greyMasks, [&](int x, int y) { return quint32(grey(x, y)); }),
        "a.bmp", greyImage(w, h, grey, 1));
    const quint32 noMasks[3] = {0, 0, 0};
    refused("bitfields bmp with all-zero masks", bitfieldsBmp(w, h, 32, noMasks, eight), "a.bmp",
        Failure::DecodeFailed,
        "Заголовок файла BMP повреждён: его маски цветов (BITFIELDS) не выделяют красный, "
        "зелёный и синий (маска пуста, прерывается или перекрывает другую).");
    // Plain 16-bit pixels are 5-5-5 masks: white is 255, not 248.
    QByteArray white16 = bitfieldsBmp(w, h, 16, sixteenBits, [](int, int) { return 0x7fffu; });
    white16[30] = 0; // compression: none
    white16.remove(54, 12);
    qToLittleEndian<quint32>(54, white16.data() + 10);
    QImage white(w, h, QImage::Format_RGB32);
    white.fill(qRgb(255, 255, 255));
    accepted("16-bit bmp without masks", white16, "a.bmp", white);

    // Kinds of BMP the reader does not read are named so, not called damaged.
    refused("2-bit bmp", bmp(w, h, 2, 0, packedRows(w, h, 2, nibble)), "a.bmp",
        Failure::UnsupportedFormat,
        "BMP с 2 битами на точку не поддерживается: читаются BMP с 1, 4, 8, 16, 24 и 32 битами "
        "на точку.");
    QByteArray os2v2 = bmp(w, h, 8, 0, packedRows(w, h, 8, grey));
    qToLittleEndian<quint32>(16, os2v2.data() + 14); // an OS/2 2.x header of 16 bytes
    refused("bmp with a 16-byte OS/2 2.x header", os2v2, "a.bmp", Failure::UnsupportedFormat,
        "Этот вид заголовка BMP (длина 16) не поддерживается: читаются заголовки Windows длиной "
        "40, 108 и 124 байта и OS/2 длиной 12 и 64 байта.");
    accepted("bmp with the OS/2 1.x header", os2Bmp(w, h, packedRows(w, h, 8, grey)), "a.bmp",
        greyImage(w, h, grey, 1));
    // A palette of 16 entries where the header counts 256 (biClrUsed 0), the pixels complete.
    QByteArray shortPalette = bmp(w, h, 8, 0, packedRows(w, h, 8, nibble));
    shortPalette.remove(14 + 40 + 16 * 4, 240 * 4);
    qToLittleEndian<quint32>(14 + 40 + 16 * 4, shortPalette.data() + 10);
    qToLittleEndian<quint32>(0, shortPalette.data() + 46);
    refused("8-bit bmp whose palette is shorter than its header says", shortPalette, "a.bmp",
        Failure::DecodeFailed,
        "Палитра этого BMP короче, чем сказано в его заголовке: заголовок называет 256 цветов, "
        "а перед точками изображения место есть только для 16.");
    QByteArray pastPalette = bmp(w, h, 8, 0, packedRows(w, h, 8, grey));
    pastPalette.remove(14 + 40 + 16 * 4, 240 * 4);
    qToLittleEndian<quint32>(14 + 40 + 16 * 4, pastPalette.data() + 10);
    qToLittleEndian<quint32>(16, pastPalette.data() + 46);
    refused("8-bit bmp whose pixels name colours past its palette", pastPalette, "a.bmp",
        Failure::DecodeFailed,
        "Данные изображения BMP повреждены: у части точек номер цвета больше, чем цветов в "
        "палитре (16).");

    // A 1-bit palette of one colour, white: index 1 lies past it, and Qt shows it black.
    const Levels bit = [](int x, int y) { return level(x, y, 2); };
    const auto oneColour = [&](const Levels &levels) {
        QByteArray file = bmp(w, h, 1, 0, packedRows(w, h, 1, levels));
        file.remove(14 + 40 + 4, 4);
        file.replace(14 + 40, 4, QByteArray("\xff\xff\xff\0", 4));
        qToLittleEndian<quint32>(14 + 40 + 4, file.data() + 10);
        qToLittleEndian<quint32>(1, file.data() + 46); // biClrUsed
        return file;
    };
    mended("1-bit bmp with a one-colour palette", oneColour(bit), "a.bmp",
        greyImage(w, h, [&](int x, int y) { return 1 - bit(x, y); }, 255),
        "В палитре этого BMP только один цвет, а у части точек номер цвета 1, которого в ней "
        "нет: они прочитаны чёрными.");
    accepted("1-bit bmp with a one-colour palette, all pixels of that colour",
        oneColour([](int, int) { return 0; }), "a.bmp",
        greyImage(w, h, [](int, int) { return 255; }, 1));

    // A grey PNG whose level 7 is keyed transparent keeps level 7.
    QByteArray keyed = encoded(greyPicture(w, h), "png");
    QByteArray trns("\0\0\0\2tRNS\0\x07", 10);
    char crc[4];
    qToBigEndian<quint32>(crc32(trns.mid(4)), crc);
    keyed.insert(keyed.indexOf("IDAT") - 4, trns + QByteArray(crc, 4));
    accepted("grey png with a transparency key", keyed, "a.png", greyImage(w, h, grey, 1));

    const QByteArray jpeg = encoded(greyPicture(w, h), "jpg", 100);
    refused("lossless jpeg", TestJpeg::withFrameMarker(jpeg, 0xc3), "a.jpg",
        Failure::UnsupportedFormat,
        "Этот JPEG записан со сжатием без потерь (lossless), а читаются только обычные JPEG "
        "(базовые и прогрессивные).");
    refused("bmp with jpeg inside", bmp(w, h, 24, 4, encoded(greyPicture(w, h), "jpg")), "a.bmp",
        Failure::UnsupportedFormat,
        "Внутри этого BMP хранится изображение JPEG, а читаются только BMP без сжатия или со "
        "сжатием RLE.");
    refused("bmp with png inside", bmp(w, h, 24, 5, encoded(greyPicture(w, h), "png")), "a.bmp",
        Failure::UnsupportedFormat,
        "Внутри этого BMP хранится изображение PNG, а читаются только BMP без сжатия или со "
        "сжатием RLE.");
    const QByteArray png16 = encoded(
        QImage(4, 4, QImage::Format_RGBX64).convertToFormat(QImage::Format_RGBX64), "png");
    refused("16-bit colour png of 6000 x 6000", pngClaiming(png16, 6000, 6000), "a.png",
        Failure::TooLarge,
        "Изображение 6000 × 6000 точек слишком велико: в памяти оно заняло бы 275 МБ, а "
        "допускается не больше 256 МБ.");
    QByteArray badTable = jpeg;
    badTable[badTable.indexOf("\xff\xc4") + 5] = char(0xff); // 255 codes of length 1
    refused("jpeg with a broken huffman table", badTable, "a.jpg", Failure::DecodeFailed,
        "Данные изображения JPEG повреждены.");

    const QString cutJpeg
        = "Файл JPEG обрезан: данные изображения кончаются раньше последней строки.";
    const qsizetype scan = jpeg.indexOf("\xff\xda");
    refused("jpeg cut after its scan header", jpeg.left(scan + 10), "a.jpg", Failure::Truncated,
        cutJpeg);
    refused("jpeg cut to three quarters", jpeg.left(jpeg.size() * 3 / 4), "a.jpg",
        Failure::Truncated, cutJpeg);
    accepted("jpeg without its end marker", jpeg.chopped(2), "a.jpg", QImage::fromData(jpeg));

    // Every scan must have all its data, whatever follows it: a "repaired" download keeps an end
    // marker after data that stops early, and libjpeg would fill the rest with grey.
    const QByteArray endMarker("\xff\xd9", 2);
    const QImage photo = greyPicture(64, 48);
    const auto cutWithEnd = [&](const QByteArray &file, qsizetype at) {
        return file.left(at) + endMarker;
    };
    // Halfway through the data of the last scan.
    const auto inLastScan = [](const QByteArray &file) {
        const qsizetype scan = file.lastIndexOf("\xff\xda");
        const qsizetype data = scan + 2 + (uchar(file[scan + 2]) << 8 | uchar(file[scan + 3]));
        return data + (file.size() - 2 - data) / 2;
    };
    const QByteArray baseline = encoded(photo, "jpg", 90);
    refused("baseline jpeg cut to three quarters, end marker appended",
        cutWithEnd(baseline, baseline.size() * 3 / 4), "a.jpg", Failure::Truncated, cutJpeg);
    const QByteArray progressive = TestLibjpeg::encoded(photo, {false, true, 0});
    refused("progressive jpeg cut in its last scan, end marker appended",
        cutWithEnd(progressive, inLastScan(progressive)), "a.jpg", Failure::Truncated, cutJpeg);
    const QString missingScans = "Файл JPEG обрезан: в нём есть не все сканы изображения, часть "
                                 "его данных потеряна.";
    refused("progressive jpeg cut before its last scan, end marker appended",
        cutWithEnd(progressive, progressive.lastIndexOf("\xff\xda")), "a.jpg",
        Failure::Truncated, missingScans);
    refused("progressive jpeg cut before its last scan", progressive.left(progressive.lastIndexOf("\xff\xda")),
        "a.jpg", Failure::Truncated, missingScans);
    // Arithmetic coding: the decoder supplies zeros past the data without a word. Only a loss
    // of 128 blocks or more is told from a legitimate early end, hence a larger picture.
    const QImage largerPhoto = greyPicture(256, 192);
    const QByteArray arithmetic = TestLibjpeg::encoded(largerPhoto, {true, false, 0});
    accepted("arithmetic-coded jpeg", arithmetic, "a.jpg", QImage::fromData(arithmetic));
    accepted("arithmetic-coded jpeg without its end marker", arithmetic.chopped(2), "a.jpg",
        QImage::fromData(arithmetic));
    refused("arithmetic-coded jpeg cut to three quarters", arithmetic.left(arithmetic.size() * 3 / 4),
        "a.jpg", Failure::Truncated, cutJpeg);
    refused("arithmetic-coded jpeg cut to three quarters, end marker appended",
        cutWithEnd(arithmetic, arithmetic.size() * 3 / 4), "a.jpg", Failure::Truncated, cutJpeg);
    const QByteArray arithmeticProgressive = TestLibjpeg::encoded(largerPhoto, {true, true, 0});
    accepted("arithmetic-coded progressive jpeg", arithmeticProgressive, "a.jpg",
        QImage::fromData(arithmeticProgressive));
    refused("arithmetic-coded progressive jpeg cut in its last scan, end marker appended",
        cutWithEnd(arithmeticProgressive, inLastScan(arithmeticProgressive)), "a.jpg",
        Failure::Truncated, cutJpeg);
    // A header claiming far more than its data holds.
    const auto claiming = [](QByteArray file, int width, int height) {
        qsizetype frame = file.indexOf("\xff\xc0");
        if (frame < 0)
            frame = file.indexOf("\xff\xc9"); // arithmetic-coded
        qToBigEndian<quint16>(quint16(height), file.data() + frame + 5);
        qToBigEndian<quint16>(quint16(width), file.data() + frame + 7);
        return file;
    };
    refused("jpeg of 16 x 16 claiming 8000 x 8000", claiming(encoded(greyPicture(16, 16), "jpg"), 8000, 8000),
        "a.jpg", Failure::Truncated, cutJpeg);
    refused("arithmetic-coded jpeg of 16 x 16 claiming 8000 x 8000",
        claiming(TestLibjpeg::encoded(greyPicture(16, 16), {true, false, 0}), 8000, 8000), "a.jpg",
        Failure::Truncated, cutJpeg);
    // Restart markers: one missing loses an interval of blocks, which libjpeg leaves grey.
    const QByteArray restarts = TestLibjpeg::encoded(photo, {false, false, 1});
    accepted("jpeg with restart markers", restarts, "a.jpg", QImage::fromData(restarts));
    refused("jpeg with restart markers, one missing",
        QByteArray(restarts).remove(restarts.indexOf("\xff\xd2"), 2), "a.jpg",
        Failure::DecodeFailed,
        "Данные изображения JPEG повреждены: после одного из интервалов блоков нет его метки "
        "перезапуска (RST), и часть изображения потеряна.");
    // A marker misnumbered in its place, far from the number due: libjpeg drops it and decodes
    // on, losing nothing. One number ahead, it takes an interval for lost and leaves it grey.
    QByteArray renumbered = restarts;
    renumbered[renumbered.indexOf("\xff\xd2") + 1] = char(0xd6);
    mended("jpeg with restart markers, one numbered out of order", renumbered, "a.jpg",
        QImage::fromData(restarts),
        "Метки перезапуска (RST) в этом JPEG пронумерованы не по порядку; данные изображения "
        "при этом целы, и оно прочитано полностью.");
    QByteArray oneAhead = restarts;
    oneAhead[oneAhead.indexOf("\xff\xd2") + 1] = char(0xd3);
    refused("jpeg with restart markers, one numbered as the next", oneAhead, "a.jpg",
        Failure::DecodeFailed,
        "Данные изображения JPEG повреждены: после одного из интервалов блоков нет его метки "
        "перезапуска (RST), и часть изображения потеряна.");
    refused("jpeg with restart markers cut after one, end marker appended",
        cutWithEnd(restarts, restarts.indexOf("\xff\xd2") + 2), "a.jpg", Failure::Truncated,
        cutJpeg);
    refused("jpeg with restart markers cut before one, end marker appended",
        cutWithEnd(restarts, restarts.indexOf("\xff\xd2")), "a.jpg", Failure::Truncated, cutJpeg);

    // Every scan costs a pass over its blocks, however few bytes it has.
    const QByteArray manyScans = TestJpeg::repeatedScans(64, 64, PictureReader::maxJpegScans);
    refused("progressive jpeg of 102 scans", manyScans, "a.jpg", Failure::TooManyScans,
        "В этом JPEG слишком много сканов (102) для изображения 64 × 64 точек: его чтение "
        "заняло бы слишком много времени. В обычном прогрессивном JPEG около 10 сканов.");
    // Fill bytes may stand before any marker, after a header as after a scan's data.
    refused("progressive jpeg of 102 scans, fill bytes before its markers",
        QByteArray(manyScans).replace("\xff\xda", "\xff\xff\xff\xda"), "a.jpg",
        Failure::TooManyScans,
        "В этом JPEG слишком много сканов (102) для изображения 64 × 64 точек: его чтение "
        "заняло бы слишком много времени. В обычном прогрессивном JPEG около 10 сканов.");
    const QByteArray enoughScans = TestJpeg::repeatedScans(64, 64, PictureReader::maxJpegScans - 2);
    accepted("progressive jpeg of 100 scans", enoughScans, "a.jpg", QImage::fromData(enoughScans));
    // Fewer scans, but each over 512 x 512 blocks.
    const int bigScans = int(PictureReader::maxJpegScanBlocks / (512 * 512)) + 1;
    refused("progressive jpeg of 4096 x 4096 with too many scans for its size",
        TestJpeg::repeatedScans(4096, 4096, bigScans - 2), "a.jpg", Failure::TooManyScans,
        QStringLiteral("В этом JPEG слишком много сканов (%1) для изображения 4096 × 4096 точек: "
                       "его чтение заняло бы слишком много времени. В обычном прогрессивном "
                       "JPEG около 10 сканов.")
            .arg(bigScans));

    // A phone's portrait photo: stored lying on its side, with EXIF orientation 6.
    const QByteArray wide = encoded(greyPicture(16, 8), "jpg", 100);
    accepted("jpeg with exif orientation 6", TestJpeg::withOrientation(wide, 6), "photo.jpg",
        QImage::fromData(wide).transformed(QTransform().rotate(90)));
}

void TestPictureReader::hostileFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(Failure, failure);
    QFETCH(QString, reason);
    QFETCH(QImage, picture);
    QFETCH(QString, warning);

    const QString path = writeFile(dir, name, bytes);
    const PictureReader::Result result = PictureReader::read(path);
    QCOMPARE(result.failure, failure);
    QCOMPARE(result.reason, reason);
    QCOMPARE(result.warning, warning);
    if (failure != Failure::None) {
        QVERIFY(result.image.isNull());
        return;
    }
    QVERIFY(!picture.isNull());
    for (const QImage &image : readWithPerturbedHeap(bytes, path))
        QCOMPARE(rgb(image), picture);
}

void TestPictureReader::shortOfMemory_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");

    const Levels grey = [](int x, int y) { return level(x, y, 256); };
    QTest::newRow("bmp") << bmp(37, 11, 8, 0, packedRows(37, 11, 8, grey)) << "a.bmp";
    QTest::newRow("rle8 bmp") << bmp(37, 11, 8, 1, rleRows(37, 11, 8, grey)) << "a.bmp";
    QTest::newRow("jpeg") << encoded(greyPicture(37, 11), "jpg") << "a.jpg";
    QTest::newRow("png") << encoded(greyPicture(37, 11), "png") << "a.png";
}

void TestPictureReader::shortOfMemory()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);

    const QString path = writeFile(dir, name, bytes);
    const auto lift = qScopeGuard([] { PixelMemory::failAfter(-1); });
    PixelMemory::failAfter(0);
    const PictureReader::Result result = PictureReader::read(path);
    QCOMPARE(result.failure, Failure::OutOfMemory);
    QCOMPARE(result.reason, QStringLiteral("Недостаточно памяти для изображения 37 x 11"));
    QVERIFY(result.image.isNull());
    PixelMemory::failAfter(1);
    QVERIFY(PictureReader::read(path).ok());
}

// Files whose markers already show the data cannot be whole are refused with no memory taken
// for their pixels: every allocation would fail here.
void TestPictureReader::refusedBeforeMemory_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QByteArray claiming = encoded(greyPicture(16, 16), "jpg");
    const qsizetype frame = claiming.indexOf("\xff\xc0");
    claiming.replace(frame + 5, 4, QByteArray("\x1f\x40\x1f\x40", 4)); // 8000 x 8000
    QTest::newRow("jpeg of 16 x 16 claiming 8000 x 8000") << claiming;
    const QByteArray progressive = TestLibjpeg::encoded(greyPicture(64, 48), {false, true, 0});
    QTest::newRow("progressive jpeg without its last scan")
        << progressive.left(progressive.lastIndexOf("\xff\xda"));
}

void TestPictureReader::refusedBeforeMemory()
{
    QFETCH(QByteArray, bytes);

    const auto lift = qScopeGuard([] { PixelMemory::failAfter(-1); });
    PixelMemory::failAfter(0);
    const PictureReader::Result result = PictureReader::fromData(bytes, "jpeg");
    QCOMPARE(result.failure, Failure::Truncated);
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
        << "start.jpg" << encoded(greyPicture(16, 16), "jpg").left(100) << Failure::Truncated;
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

// A file named in Windows-1251 ("Привет.bmp"), as the file dialog hands its name over: the
// bytes that are no UTF-8 replaced. It opens; two such names that read alike get a reason.
void TestPictureReader::otherEncodingName()
{
#ifdef Q_OS_UNIX
    const QTemporaryDir folder;
    const QByteArray picture = bmp(4, 3, 8, 0, packedRows(4, 3, 8, [](int x, int y) { return x + y; }));
    const auto write = [&](const QByteArray &rawName) {
        QFile file;
        const int fd = ::open((QFile::encodeName(folder.path()) + '/' + rawName).constData(),
            O_WRONLY | O_CREAT | O_TRUNC, 0644);
        QVERIFY(fd >= 0);
        QVERIFY(file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
        QCOMPARE(file.write(picture), picture.size());
    };
    write("\xcf\xf0\xe8\xe2\xe5\xf2.bmp");
    const QString shown = QFile::decodeName(QFile::encodeName(folder.path()) + "/\xcf\xf0\xe8\xe2\xe5\xf2.bmp");
    QVERIFY(!QFileInfo::exists(shown));
    const PictureReader::Result result = PictureReader::read(shown);
    QVERIFY2(result.ok(), qPrintable(result.reason));
    QCOMPARE(result.image.size(), QSize(4, 3));

    write("\xcf\xf0\xe8\xe2\xe5\xf3.bmp"); // "Привеу.bmp": decoded, the same as the first
    const PictureReader::Result alike = PictureReader::read(shown);
    QCOMPARE(alike.failure, Failure::CannotOpen);
    QCOMPARE(alike.reason,
        QStringLiteral("Имя этого файла записано не в UTF-8 (видимо, в кодировке Windows), и "
                       "прочитать его нельзя. Переименуйте файл и откройте его снова."));
#else
    QSKIP("file names are UTF-16 here");
#endif
}

void TestPictureReader::linkLoop()
{
#ifdef Q_OS_WIN
    QSKIP("a link on Windows is a .lnk shortcut file, which is not followed");
#endif
    const QTemporaryDir folder;
    const QString first = folder.filePath("first.bmp");
    const QString second = folder.filePath("second.bmp");
    if (!QFile::link(second, first) || !QFile::link(first, second))
        QSKIP("no symbolic links here");
    const PictureReader::Result result = PictureReader::read(first);
    QCOMPARE(result.failure, Failure::CannotOpen);
    QCOMPARE(result.reason,
        QStringLiteral("Это символическая ссылка, которая через другие ссылки ведёт по кругу "
                       "сама к себе: файла за ней нет."));
}

QTEST_GUILESS_MAIN(TestPictureReader)
#include "tst_picturereader.moc"
