// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fast walk over a plane's 3 x 3 blocks, shared by the block histogram and the block map.
// Internal to the analysis library.

#include <QImage>
#include <QList>
#include <QSize>

#include <array>
#include <cstring>
#include <vector>

// Rows are turned into packed "is black" bits, most significant bit first (the Format_Mono
// layout), so a Format_Mono plane with the usual colour table needs no conversion at all. Three
// such rows give the blocks' patterns 8 blocks (24 bits) at a time.

namespace BlockScan {

constexpr QRgb black = 0xff000000;
constexpr int patternCount = 512;

// The walk yields "raw" patterns: the three bits of each block row as they come, leftmost
// pixel in the highest bit. This table turns a raw pattern into the block's pattern.
constexpr std::array<int, patternCount> makeRawToPattern()
{
    std::array<int, patternCount> table {};
    for (int raw = 0; raw < patternCount; ++raw) {
        int pattern = 0;
        for (int row = 0; row < 3; ++row) {
            for (int x = 0; x < 3; ++x) {
                if (raw & (1 << (row * 3 + 2 - x)))
                    pattern |= 1 << (row * 3 + x);
            }
        }
        table[size_t(raw)] = pattern;
    }
    return table;
}
constexpr std::array<int, patternCount> rawToPattern = makeRawToPattern();

inline std::array<uchar, 256> makeReversedBytes()
{
    std::array<uchar, 256> table {};
    for (int i = 0; i < 256; ++i) {
        int r = 0;
        for (int b = 0; b < 8; ++b)
            r |= ((i >> b) & 1) << (7 - b);
        table[size_t(i)] = uchar(r);
    }
    return table;
}

inline bool isBlackIndex(const QList<QRgb> &colors, int index)
{
    // QImage::pixel gives 0 for an index past the colour table.
    return index < colors.size() && colors.at(index) == black;
}

// Turns the rows of one image into packed black bits.
class RowReader
{
public:
    RowReader(const QImage &image, int paddedWidth)
        : image(image)
        , format(image.format())
        , width(image.width())
        , paddedWidth(paddedWidth)
    {
        const QList<QRgb> colors = image.colorTable();
        if (format == QImage::Format_Indexed8) {
            for (int i = 0; i < 256; ++i)
                blackIndex[size_t(i)] = isBlackIndex(colors, i);
        } else if (format == QImage::Format_Mono || format == QImage::Format_MonoLSB) {
            blackIndex[0] = isBlackIndex(colors, 0);
            blackIndex[1] = isBlackIndex(colors, 1);
            if (format == QImage::Format_MonoLSB)
                reversed = makeReversedBytes();
        }
        // The outside of an edge block reads as whatever the copy was filled with.
        if (width % 3 != 0 || image.height() % 3 != 0) {
            const QImage corner = image.copy(width - 1, image.height() - 1, 2, 2);
            edgeBlack = corner.pixel(1, 1) == black;
        }
    }

    // Positions past the image are edge fill.
    void fillEdge(uchar *bits) const { std::memset(bits, edgeBlack ? 0xff : 0, byteCount()); }

    void read(int y, uchar *bits) const
    {
        const uchar *line = image.constScanLine(y);
        const size_t lineBytes = size_t(width + 7) / 8;
        switch (format) {
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB:
            readMono(line, lineBytes, bits);
            break;
        case QImage::Format_Indexed8:
            pack(bits, [&](int x) { return blackIndex[line[x]]; });
            break;
        case QImage::Format_Grayscale8:
            pack(bits, [&](int x) { return line[x] == 0; });
            break;
        case QImage::Format_RGB32: {
            const auto *pixels = reinterpret_cast<const QRgb *>(line);
            pack(bits, [&](int x) { return (pixels[x] & 0x00ffffff) == 0; });
            break;
        }
        case QImage::Format_ARGB32: {
            const auto *pixels = reinterpret_cast<const QRgb *>(line);
            pack(bits, [&](int x) { return pixels[x] == black; });
            break;
        }
        default:
            pack(bits, [&](int x) { return image.pixel(x, y) == black; });
            break;
        }
        setEdge(bits);
    }

    size_t byteCount() const { return size_t(paddedWidth + 7) / 8; }

private:
    void readMono(const uchar *line, size_t lineBytes, uchar *bits) const
    {
        const bool black0 = blackIndex[0];
        const bool black1 = blackIndex[1];
        if (black0 == black1) {
            std::memset(bits, black0 ? 0xff : 0, lineBytes);
            return;
        }
        const uchar invert = black0 ? 0xff : 0;
        if (format == QImage::Format_Mono) {
            if (!invert) {
                std::memcpy(bits, line, lineBytes);
            } else {
                for (size_t i = 0; i < lineBytes; ++i)
                    bits[i] = line[i] ^ invert;
            }
        } else {
            for (size_t i = 0; i < lineBytes; ++i)
                bits[i] = reversed[line[i]] ^ invert;
        }
    }

    template<typename IsBlack>
    void pack(uchar *bits, IsBlack isBlack) const
    {
        int x = 0;
        for (; x + 8 <= width; x += 8) {
            uint byte = 0;
            for (int i = 0; i < 8; ++i)
                byte = (byte << 1) | uint(isBlack(x + i));
            bits[x / 8] = uchar(byte);
        }
        if (x < width) {
            uint byte = 0;
            for (int i = 0; x + i < width; ++i)
                byte |= uint(isBlack(x + i)) << (7 - i);
            bits[x / 8] = uchar(byte);
        }
    }

    // Sets the bits from width to paddedWidth to the edge fill; they may hold padding garbage.
    void setEdge(uchar *bits) const
    {
        if (paddedWidth == width)
            return;
        const size_t first = size_t(width) / 8;
        const uint keep = width % 8 ? 0xffu << (8 - width % 8) : 0;
        const uchar fill = edgeBlack ? 0xff : 0;
        if (width % 8) {
            bits[first] = uchar((bits[first] & keep) | (fill & ~keep));
            std::memset(bits + first + 1, fill, byteCount() - first - 1);
        } else {
            std::memset(bits + first, fill, byteCount() - first);
        }
    }

    const QImage &image;
    const QImage::Format format;
    const int width;
    const int paddedWidth;
    std::array<bool, 256> blackIndex {};
    std::array<uchar, 256> reversed {};
    bool edgeBlack = false;
};

inline uint bits24(const uchar *p)
{
    return uint(p[0]) << 16 | uint(p[1]) << 8 | p[2];
}

// Three bits starting at bit offset, most significant first.
inline uint bits3(const uchar *row, int offset)
{
    const uint v = uint(row[offset / 8]) << 8 | row[offset / 8 + 1];
    return (v >> (13 - offset % 8)) & 7;
}

// Calls visit(raw) for every block of the plane, block rows from the top, left to right, where
// raw is the block's raw pattern (see rawToPattern). Returns the grid's columns and rows.
template<typename Visit>
QSize forEachBlock(const QImage &plane, Visit visit)
{
    if (plane.isNull())
        return {};
    const int columns = plane.width() / 3 + (plane.width() % 3 ? 1 : 0);
    const int rows = plane.height() / 3 + (plane.height() % 3 ? 1 : 0);

    const RowReader reader(plane, 3 * columns);
    // One spare byte: bits3 reads the byte after the last block's first byte.
    const size_t bufferSize = reader.byteCount() + 1;
    std::vector<uchar> buffer(3 * bufferSize, 0);
    uchar *const lines[3]
        = {buffer.data(), buffer.data() + bufferSize, buffer.data() + 2 * bufferSize};

    const int fullChunks = columns / 8;
    for (int r = 0; r < rows; ++r) {
        for (int i = 0; i < 3; ++i) {
            const int y = 3 * r + i;
            if (y < plane.height())
                reader.read(y, lines[i]);
            else
                reader.fillEdge(lines[i]);
        }
        for (int k = 0; k < fullChunks; ++k) {
            const uint a = bits24(lines[0] + 3 * k);
            const uint b = bits24(lines[1] + 3 * k);
            const uint c = bits24(lines[2] + 3 * k);
            for (int shift = 21; shift >= 0; shift -= 3)
                visit(((a >> shift) & 7) | ((b >> shift) & 7) << 3 | ((c >> shift) & 7) << 6);
        }
        for (int col = 8 * fullChunks; col < columns; ++col) {
            const int offset = 3 * col;
            visit(bits3(lines[0], offset) | bits3(lines[1], offset) << 3
                | bits3(lines[2], offset) << 6);
        }
    }
    return {columns, rows};
}

} // namespace BlockScan
