// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the fuzzers' seed corpus: tiny pictures in the formats and layouts the readers know, and
// a few probability lists. Run once by hand: make_fuzz_corpus tests/fuzz/corpus

#include "coderinput.h"
#include "testjpeg.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#include <cstdio>

namespace {

QDir pictures;
QDir lists;

void writeFile(const QDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
}

void save(const QString &name, const QImage &image, const char *format, int quality = -1,
    bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image))
        std::fprintf(stderr, "cannot encode %s\n", qPrintable(name));
    writeFile(pictures, name, bytes);
}

QList<QRgb> greyTable(int count)
{
    QList<QRgb> table;
    for (int i = 0; i < count; ++i) {
        const int level = count > 1 ? i * 255 / (count - 1) : 0;
        table.append(qRgb(level, level, level));
    }
    return table;
}

QImage indexed(int width, int height, int colours)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable(greyTable(colours));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, (x * 7 + y * 3) % colours);
    }
    return image;
}

QImage grey8(int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = uchar((x * 37 + y * 91) & 0xff);
    }
    return image;
}

QImage colour(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 40, y * 60, (x + y) * 20, x == 0 ? 0 : 255));
    }
    return image;
}

void append16(QByteArray &bytes, quint16 value)
{
    char b[2];
    qToLittleEndian(value, b);
    bytes.append(b, 2);
}

void append32(QByteArray &bytes, quint32 value)
{
    char b[4];
    qToLittleEndian(value, b);
    bytes.append(b, 4);
}

// A BMP with a 40-byte info header: palette (0x00RRGGBB entries) and pixel data as given.
QByteArray bmp(int width, int height, int bitCount, int compression, const QList<quint32> &palette,
    const QByteArray &pixels)
{
    QByteArray header;
    append32(header, 40);
    append32(header, quint32(width));
    append32(header, quint32(height));
    append16(header, 1);
    append16(header, quint16(bitCount));
    append32(header, quint32(compression));
    append32(header, quint32(pixels.size()));
    append32(header, 2835);
    append32(header, 2835);
    append32(header, quint32(bitCount <= 8 ? palette.size() : 0));
    append32(header, 0);
    for (const quint32 entry : palette)
        append32(header, entry);
    QByteArray file("BM");
    append32(file, quint32(14 + header.size() + pixels.size()));
    append32(file, 0);
    append32(file, quint32(14 + header.size()));
    return file + header + pixels;
}

QList<quint32> greyPalette(int count)
{
    QList<quint32> palette;
    for (const QRgb rgb : greyTable(count))
        palette.append(rgb & 0xffffff);
    return palette;
}

void craftedBmps()
{
    // Run-length coded, 8 bits: runs, an absolute run, a delta, end of line and end of picture.
    const QByteArray rle8("\x03\x01\x03\x0e\x00\x00"
                          "\x00\x03\x05\x06\x07\x00\x03\x09\x00\x00"
                          "\x02\x0f\x00\x02\x02\x00\x02\x04\x00\x00"
                          "\x06\x08\x00\x01",
        30);
    writeFile(pictures, QStringLiteral("rle8.bmp"), bmp(6, 4, 8, 1, greyPalette(16), rle8));

    // Run-length coded, 4 bits: a run alternates two indices.
    const QByteArray rle4("\x06\x1e\x00\x00"
                          "\x00\x04\x12\x34\x03\xf0\x00\x00"
                          "\x07\x77\x00\x01",
        16);
    writeFile(pictures, QStringLiteral("rle4.bmp"), bmp(7, 3, 4, 2, greyPalette(16), rle4));

    // 16 bits with 5-6-5 bit fields, rows padded to 4 bytes.
    QByteArray fields;
    append32(fields, 0xf800);
    append32(fields, 0x07e0);
    append32(fields, 0x001f);
    QByteArray pixels;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x)
            append16(pixels, quint16((x + y) * 0x0841 * 5));
        append16(pixels, 0);
    }
    QByteArray file = bmp(3, 3, 16, 3, {}, fields + pixels);
    writeFile(pictures, QStringLiteral("bitfields565.bmp"), file);

    // Top-down 24 bits (negative height), grey pixels.
    QByteArray rows;
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x)
            rows.append(QByteArray(3, char(x * 50 + y)));
        rows.append(QByteArray(1, '\0'));
    }
    writeFile(pictures, QStringLiteral("topdown24.bmp"), bmp(5, -2, 24, 0, {}, rows));

    // OS/2 1.x: a 12-byte header and 3-byte palette entries, 1 bit per pixel.
    QByteArray os2;
    append32(os2, 12);
    append16(os2, 10);
    append16(os2, 2);
    append16(os2, 1);
    append16(os2, 1);
    os2.append("\x00\x00\x00\xff\xff\xff", 6);
    const QByteArray bits("\xa5\x40\x00\x00\x5a\x80\x00\x00", 8);
    QByteArray old("BM");
    append32(old, quint32(14 + os2.size() + bits.size()));
    append32(old, 0);
    append32(old, quint32(14 + os2.size()));
    writeFile(pictures, QStringLiteral("os2-mono.bmp"), old + os2 + bits);
}

// Files made to break a picture reader: runs longer than the row, thousands of scans, cut
// files, headers that say odd things.
void hostileFiles()
{
    // An absolute run of 8 pixels in a row of 5, whose last bytes read as "end of bitmap".
    writeFile(pictures, QStringLiteral("rle8-run-past-the-row.bmp"),
        bmp(5, 2, 8, 1, greyPalette(32),
            QByteArray("\0\x08\x0a\x0b\x0c\x0d\x0e\x13\0\x01\0\0\x05\x14\0\0\0\x01", 18)));
    writeFile(pictures, QStringLiteral("rle4-run-past-the-row.bmp"),
        bmp(5, 2, 4, 2, greyPalette(16),
            QByteArray("\0\x0c\x12\x34\x5f\xff\0\x01\0\0\x05\x77\0\0\0\x01", 16)));

    // 24 bits, but the header counts 256 palette colours that are not there.
    QByteArray rows;
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x)
            rows.append(QByteArray(3, char(x * 40 + y)));
        rows.append('\0');
    }
    QByteArray counted = bmp(5, 3, 24, 0, {}, rows);
    qToLittleEndian<quint32>(256, counted.data() + 46);
    writeFile(pictures, QStringLiteral("colours-counted-24.bmp"), counted);
    // 8 bits, the last row without its padding.
    QByteArray eight;
    for (int y = 0; y < 3; ++y)
        eight.append(QByteArray("\x01\x05\x09\x0d\x11\0\0\0", 8));
    writeFile(pictures, QStringLiteral("last-padding-missing-8.bmp"),
        bmp(5, 3, 8, 0, greyPalette(32), eight.chopped(3)));
    // JPEG data inside a BMP; a BITMAPV5 header; the 52-byte header Qt reads as the old one.
    writeFile(pictures, QStringLiteral("jpeg-inside.bmp"), bmp(5, 3, 24, 4, {}, rows));
    QByteArray v5 = bmp(5, 3, 24, 0, {}, QByteArray(124 - 40, '\0') + rows);
    qToLittleEndian<quint32>(124, v5.data() + 14);
    writeFile(pictures, QStringLiteral("v5-header.bmp"), v5);
    QByteArray odd = bmp(5, 3, 24, 0, {}, QByteArray(12, '\0') + rows);
    qToLittleEndian<quint32>(52, odd.data() + 14);
    writeFile(pictures, QStringLiteral("52-byte-header.bmp"), odd);

    // Progressive JPEG repeating a scan that changes nothing; and one just under the limit.
    writeFile(pictures, QStringLiteral("many-scans.jpg"), TestJpeg::repeatedScans(16, 16, 120));
    writeFile(pictures, QStringLiteral("repeated-scans.jpg"), TestJpeg::repeatedScans(24, 8, 40));

    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        grey8(16, 16).save(&buffer, "jpeg", 50);
    }
    const qsizetype scan = jpeg.indexOf("\xff\xda");
    writeFile(pictures, QStringLiteral("cut-after-scan-header.jpg"), jpeg.left(scan + 10));
    writeFile(pictures, QStringLiteral("cut-in-scan.jpg"), jpeg.left(jpeg.size() * 3 / 4));
    writeFile(pictures, QStringLiteral("no-end-marker.jpg"), jpeg.chopped(2));
    writeFile(pictures, QStringLiteral("lossless.jpg"), TestJpeg::withFrameMarker(jpeg, 0xc3));
    writeFile(pictures, QStringLiteral("orientation-6.jpg"), TestJpeg::withOrientation(jpeg, 6));

    QImage wide(3, 2, QImage::Format_RGBX64);
    wide.fill(QColor(10, 200, 30));
    save(QStringLiteral("colour16.png"), wide, "png");
}

void coderLists()
{
    using CoderInput::encodeRatios;
    writeFile(lists, QStringLiteral("halves"), encodeRatios({{1, 2}, {1, 2}}));
    writeFile(lists, QStringLiteral("fourteenths"),
        encodeRatios({{1, 14}, {1, 14}, {1, 14}, {1, 14}, {2, 14}, {4, 14}, {4, 14}}));
    writeFile(
        lists, QStringLiteral("fifths"), encodeRatios({{1, 5}, {1, 5}, {1, 5}, {1, 5}, {1, 5}}));
    writeFile(lists, QStringLiteral("one"), encodeRatios({{1, 1}}));

    // Every kind of value once, raw bits last.
    QByteArray kinds;
    kinds.append(char(0));
    kinds.append(char(8));
    kinds.append(QByteArray("\x01\x00" // zero
                            "\x01\x01" // negative zero
                            "\x02\x07" // denormal
                            "\x03" // one
                            "\x05" // NaN
                            "\x06\x00" // infinity
                            "\x06\x01" // minus infinity
                            "\x07\x02" // 3.0
                            "\x00\x00\x00\x80\x3f", // raw 1.0
        17));
    writeFile(lists, QStringLiteral("kinds"), kinds);

    // Counts: 600 symbols of skewed counts, as a large plane might give.
    QByteArray counts;
    counts.append(char(1 | (2 << 1)));
    counts.append(char(87));
    for (int i = 0; i < CoderInput::maxSymbols; ++i)
        append16(counts, quint16(i < 300 ? 1 : (i * i) % 65535));
    writeFile(lists, QStringLiteral("counts600"), counts);

    QByteArray fibonacci; // the deepest trees
    fibonacci.append(char(1));
    fibonacci.append(char(23));
    quint16 a = 1, b = 1;
    for (int i = 0; i < 24; ++i) {
        append16(fibonacci, quint16(a - 1));
        const quint16 next = quint16(a + b);
        a = b;
        b = next;
    }
    writeFile(lists, QStringLiteral("fibonacci"), fibonacci);
}

} // namespace

int main(int argc, char *argv[])
{
    const QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_corpus DIR\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    root.mkpath(QStringLiteral("picture"));
    root.mkpath(QStringLiteral("coder"));
    pictures = QDir(root.filePath(QStringLiteral("picture")));
    lists = QDir(root.filePath(QStringLiteral("coder")));

    save(QStringLiteral("grey4bit.bmp"), indexed(7, 5, 16), "bmp");
    save(QStringLiteral("grey8bit.bmp"), indexed(5, 4, 40), "bmp");
    // The only indexed pictures Qt calls greyscale: entry i is level i, as in the built-in ones.
    QImage identity = indexed(4, 4, 256);
    for (int i = 0; i < 16; ++i)
        identity.setPixel(i % 4, i / 4, i * 17);
    save(QStringLiteral("grey8identity.bmp"), identity, "bmp");
    QImage mono(11, 4, QImage::Format_Mono);
    mono.fill(0);
    for (int x = 0; x < 11; x += 2)
        mono.setPixel(x, x % 4, 1);
    save(QStringLiteral("mono.bmp"), mono, "bmp");
    save(QStringLiteral("colour24.bmp"), colour(4, 3, QImage::Format_RGB32), "bmp");
    save(QStringLiteral("colour32alpha.bmp"), colour(3, 2, QImage::Format_ARGB32), "bmp");
    save(QStringLiteral("grey.jpg"), grey8(8, 8), "jpeg", 30);
    save(QStringLiteral("grey-odd.jpg"), grey8(10, 7), "jpeg", 20);
    save(QStringLiteral("colour.jpg"), colour(8, 8, QImage::Format_RGB32), "jpeg", 30);
    save(QStringLiteral("progressive.jpg"), grey8(9, 9), "jpeg", 20, true);
    save(QStringLiteral("grey.png"), grey8(5, 5), "png");
    QImage wide(3, 3, QImage::Format_Grayscale16);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x)
            reinterpret_cast<quint16 *>(wide.scanLine(y))[x] = quint16(x * 30000 + y * 7);
    }
    save(QStringLiteral("grey16.png"), wide, "png");
    craftedBmps();
    hostileFiles();
    coderLists();
    return 0;
}
