// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Pictures and plain literal references shared by the analysis tests.

#include "bitblock.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPair>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>

#include <array>

namespace TestPictures {

inline QList<QRgb> planeTable()
{
    return {0xffffffff, 0xff000000};
}

// A Format_Mono plane with the usual table from rows such as "#..", ".#.", "..#" ('#' black).
inline QImage plane(const QStringList &rows)
{
    const int height = int(rows.size());
    const int width = height ? int(rows.first().size()) : 0;
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable(planeTable());
    image.fill(0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, rows.at(y).at(x) == QLatin1Char('#') ? 1 : 0);
    }
    return image;
}

// A plane made of 3 x 3 blocks with the given patterns, blocks row by row.
inline QImage planeOfPatterns(const QList<int> &patterns, int blockColumns)
{
    const int blockRows = int((patterns.size() + blockColumns - 1) / blockColumns);
    QImage image(3 * blockColumns, 3 * blockRows, QImage::Format_Mono);
    image.setColorTable(planeTable());
    image.fill(0);
    for (int i = 0; i < patterns.size(); ++i) {
        const int bx = 3 * (i % blockColumns);
        const int by = 3 * (i / blockColumns);
        for (int bit = 0; bit < 9; ++bit) {
            if (patterns.at(i) & (1 << bit))
                image.setPixel(bx + bit % 3, by + bit / 3, 1);
        }
    }
    return image;
}

// 22 blocks of seven types in one row of blocks: 6, 5, 4, 3, 2, 1 and 1 blocks of patterns 0, 1,
// 3, 7, 15, 256 and 511. The last two rows of its table are the ones shown with their codes.
inline QImage sevenTypes()
{
    QList<int> patterns;
    const QList<QPair<int, int>> counts {
        {0, 6}, {1, 5}, {3, 4}, {7, 3}, {15, 2}, {256, 1}, {511, 1}};
    for (const auto &[pattern, count] : counts) {
        for (int i = 0; i < count; ++i)
            patterns << pattern;
    }
    return planeOfPatterns(patterns, 22);
}

enum class Content { White, Black, Noise };

// Formats and tables under test; the names become row names.
enum class Kind {
    MonoPlane, // Format_Mono, index 1 black
    MonoDefaultTable, // Format_Mono as Qt makes it: index 0 black
    MonoLsb,
    Rgb32,
    Argb32,
    Argb32Premultiplied,
    IndexedColour, // entry 0 red, black somewhere else
    IndexedBlackFirst, // entry 0 black
    IndexedGrey, // grey palette, entry i = level i
    IndexedGreyReversed, // grey palette, entry i = level 255 - i
    Grayscale8,
    Grayscale16,
    Rgb888,
};

inline const char *kindName(Kind kind)
{
    switch (kind) {
    case Kind::MonoPlane:
        return "mono";
    case Kind::MonoDefaultTable:
        return "mono-inverted";
    case Kind::MonoLsb:
        return "monolsb";
    case Kind::Rgb32:
        return "rgb32";
    case Kind::Argb32:
        return "argb32";
    case Kind::Argb32Premultiplied:
        return "argb32pm";
    case Kind::IndexedColour:
        return "indexed-colour";
    case Kind::IndexedBlackFirst:
        return "indexed-black-first";
    case Kind::IndexedGrey:
        return "indexed-grey";
    case Kind::IndexedGreyReversed:
        return "indexed-grey-reversed";
    case Kind::Grayscale8:
        return "grey8";
    case Kind::Grayscale16:
        return "grey16";
    case Kind::Rgb888:
        return "rgb888";
    }
    return "?";
}

inline QList<Kind> allKinds()
{
    return {Kind::MonoPlane, Kind::MonoDefaultTable, Kind::MonoLsb, Kind::Rgb32, Kind::Argb32,
        Kind::Argb32Premultiplied, Kind::IndexedColour, Kind::IndexedBlackFirst, Kind::IndexedGrey,
        Kind::IndexedGreyReversed, Kind::Grayscale8, Kind::Grayscale16, Kind::Rgb888};
}

// 32-bit values that sit on both sides of "exactly opaque black".
inline QRgb someRgb(QRandomGenerator &random)
{
    static const QRgb near[] = {0xff000000, 0x00000000, 0x80000000, 0xff000001, 0xff010000,
        0xfe000000, 0xffffffff, 0x00ffffff};
    const quint32 r = random.bounded(16);
    if (r < 8)
        return near[r];
    return random.generate();
}

inline QImage picture(Kind kind, int width, int height, Content content, quint32 seed)
{
    QRandomGenerator random(seed);
    QImage image;
    switch (kind) {
    case Kind::MonoPlane:
    case Kind::MonoDefaultTable:
    case Kind::MonoLsb: {
        image = QImage(
            width, height, kind == Kind::MonoLsb ? QImage::Format_MonoLSB : QImage::Format_Mono);
        if (kind != Kind::MonoDefaultTable)
            image.setColorTable(planeTable());
        // Padding bits hold garbage on purpose: they must never count.
        for (int y = 0; y < height; ++y) {
            uchar *line = image.scanLine(y);
            for (qsizetype i = 0; i < image.bytesPerLine(); ++i)
                line[i] = uchar(random.bounded(256));
        }
        const int fixed = kind == Kind::MonoDefaultTable ? 1 : 0; // index of white
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (content == Content::White)
                    image.setPixel(x, y, fixed);
                else if (content == Content::Black)
                    image.setPixel(x, y, 1 - fixed);
            }
        }
        return image;
    }
    case Kind::Rgb32:
    case Kind::Argb32:
    case Kind::Argb32Premultiplied:
    case Kind::Rgb888: {
        const QImage::Format format = kind == Kind::Rgb32 ? QImage::Format_RGB32
            : kind == Kind::Argb32                        ? QImage::Format_ARGB32
            : kind == Kind::Argb32Premultiplied           ? QImage::Format_ARGB32_Premultiplied
                                                          : QImage::Format_RGB888;
        image = QImage(width, height, format);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                QRgb value = content == Content::White ? 0xffffffff
                    : content == Content::Black        ? 0xff000000
                                                       : someRgb(random);
                if (format == QImage::Format_RGB32) {
                    // Raw words, alpha included: QImage::pixel forces it opaque.
                    reinterpret_cast<QRgb *>(image.scanLine(y))[x] = value;
                } else {
                    if (format == QImage::Format_ARGB32_Premultiplied)
                        value = qPremultiply(value);
                    if (format == QImage::Format_ARGB32)
                        reinterpret_cast<QRgb *>(image.scanLine(y))[x] = value;
                    else if (format == QImage::Format_ARGB32_Premultiplied)
                        reinterpret_cast<QRgb *>(image.scanLine(y))[x] = value;
                    else
                        image.setPixel(x, y, value);
                }
            }
        }
        return image;
    }
    case Kind::IndexedColour:
    case Kind::IndexedBlackFirst:
    case Kind::IndexedGrey:
    case Kind::IndexedGreyReversed: {
        image = QImage(width, height, QImage::Format_Indexed8);
        QList<QRgb> table;
        int blackIndex = 0;
        if (kind == Kind::IndexedGrey || kind == Kind::IndexedGreyReversed) {
            for (int i = 0; i < 256; ++i) {
                const int level = kind == Kind::IndexedGrey ? i : 255 - i;
                table.append(qRgb(level, level, level));
            }
            blackIndex = kind == Kind::IndexedGrey ? 0 : 255;
        } else {
            table = {0xffff0000, 0xff00ff00, 0x00000000, 0xff000001, 0xff0000ff, 0xffffffff,
                0xff808080, 0xff000000, 0xff123456, 0xff000100};
            if (kind == Kind::IndexedBlackFirst)
                std::swap(table[0], table[7]);
            blackIndex = kind == Kind::IndexedBlackFirst ? 0 : 7;
        }
        image.setColorTable(table);
        const int whiteIndex = int(table.indexOf(0xffffffff));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int index = content == Content::White ? whiteIndex
                    : content == Content::Black             ? blackIndex
                                                : int(random.bounded(quint32(table.size())));
                image.scanLine(y)[x] = uchar(index);
            }
        }
        return image;
    }
    case Kind::Grayscale8:
    case Kind::Grayscale16: {
        const bool wide = kind == Kind::Grayscale16;
        image
            = QImage(width, height, wide ? QImage::Format_Grayscale16 : QImage::Format_Grayscale8);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                // Many zeros and small values, where "black" is decided.
                const quint32 r = random.bounded(4) ? random.bounded(4) : random.bounded(65536);
                const quint32 level = content == Content::White ? 65535
                    : content == Content::Black                 ? 0
                                                                : r;
                if (wide)
                    reinterpret_cast<quint16 *>(image.scanLine(y))[x] = quint16(level);
                else
                    image.scanLine(y)[x] = uchar(level > 255 ? level >> 8 : level);
            }
        }
        return image;
    }
    }
    return image;
}

// The 9-bit pattern of a 3 x 3 BitBlock.
inline int patternOf(const BitBlock &block)
{
    int pattern = 0;
    for (int i = 0; i < 9; ++i) {
        if (block.testBit(i))
            pattern |= 1 << i;
    }
    return pattern;
}

// Literal reading: every block cut with QImage::copy and read with QImage::pixel.
struct ReferenceHistogram
{
    std::array<int, 512> counts {};
    QList<int> firstSeen;
    int blocks = 0;
};

inline ReferenceHistogram referenceHistogram(const QImage &plane)
{
    ReferenceHistogram result;
    const int columns = plane.width() / 3 + (plane.width() % 3 ? 1 : 0);
    const int rows = plane.height() / 3 + (plane.height() % 3 ? 1 : 0);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const BitBlock block(plane.copy(3 * c, 3 * r, 3, 3));
            const int pattern = patternOf(block);
            if (result.counts[size_t(pattern)]++ == 0)
                result.firstSeen.append(pattern);
            ++result.blocks;
        }
    }
    return result;
}

// Literal split: QColor(pixel).value() tested against each plane's bit.
inline QList<QImage> referencePlanes(const QImage &picture)
{
    QList<QImage> planes;
    for (int k = 0; k < 8; ++k) {
        const int mask = 1 << (7 - k);
        QImage plane(picture.width(), picture.height(), QImage::Format_Mono);
        plane.setColorTable(planeTable());
        plane.fill(0);
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                if (QColor(picture.pixel(x, y)).value() & mask)
                    plane.setPixel(x, y, 1);
            }
        }
        planes.append(plane);
    }
    return planes;
}

} // namespace TestPictures
