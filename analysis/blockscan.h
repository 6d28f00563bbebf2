// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fast walk over a plane's 3 x 3 blocks, shared by the block histogram and the block map.
// Internal to the analysis library.

#include "vectorstate.h"

#include <QImage>
#include <QList>
#include <QSize>
#include <QtEndian>

#include <array>
#include <cstring>
#include <utility>
#include <vector>

// Rows are turned into packed "is black" bits, most significant bit first (the Format_Mono
// layout), so a Format_Mono plane with the usual colour table needs no conversion at all. Three
// such rows give the blocks' patterns 16 blocks (48 bits) at a time.

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

// A chunk is 16 blocks of a block row: 48 bits of each of its three pixel rows. Block j's three
// bits of a row sit at bit 45 - 3j of the row's chunk value.
constexpr int chunkBlocks = 16;
constexpr int chunkBytes = 6;

// The row bits of one chunk; reads 8 bytes from p.
inline quint64 chunkBits(const uchar *p)
{
    return qFromBigEndian<quint64>(p) >> 16;
}

// The groups of every third block (phase 0: blocks 0, 3, ..., 15), 9 bits apart.
constexpr quint64 phaseMask(int phase)
{
    quint64 mask = 0;
    for (int j = phase; j < chunkBlocks; j += 3)
        mask |= quint64(7) << (45 - 3 * j);
    return mask;
}

// Blocks of one phase lie 9 bits apart, so the three rows' groups of all of them fit side by side
// in one word: block j's raw pattern is bits 45 - 3j to 53 - 3j of phase j % 3.
struct Chunk
{
    quint64 phase[3];

    Chunk(quint64 a, quint64 b, quint64 c)
    {
        constexpr quint64 mask0 = phaseMask(0);
        constexpr quint64 mask1 = phaseMask(1);
        constexpr quint64 mask2 = phaseMask(2);
        phase[0] = (a & mask0) | (b & mask0) << 3 | (c & mask0) << 6;
        phase[1] = (a & mask1) | (b & mask1) << 3 | (c & mask1) << 6;
        phase[2] = (a & mask2) | (b & mask2) << 3 | (c & mask2) << 6;
    }

    size_t raw(int j) const { return size_t(phase[j % 3] >> (45 - 3 * j)) & 511u; }
};

template<typename Visit, size_t... J>
inline void visitChunk(const Chunk &chunk, Visit &visit, std::index_sequence<J...>)
{
    (visit(chunk.raw(int(J)), int(J)), ...);
}

// Calls visit(raw, lane) for every block of the plane, block rows from the top, left to right,
// where raw is the block's raw pattern (see rawToPattern) and lane its place in its chunk of 16
// blocks (0 to 15). Returns the grid's columns and rows.
template<typename Visit>
QSize forEachBlock(const QImage &plane, Visit visit)
{
    if (plane.isNull())
        return {};
    VectorState::clearUpper();
    const int columns = plane.width() / 3 + (plane.width() % 3 ? 1 : 0);
    const int rows = plane.height() / 3 + (plane.height() % 3 ? 1 : 0);

    const RowReader reader(plane, 3 * columns);
    // Spare bytes: a chunk reads 8 bytes for its 6, the last one past the row's end.
    const size_t bufferSize = reader.byteCount() + 8;
    std::vector<uchar> buffer(3 * bufferSize, 0);
    uchar *const lines[3]
        = {buffer.data(), buffer.data() + bufferSize, buffer.data() + 2 * bufferSize};

    const int fullChunks = columns / chunkBlocks;
    const int rest = columns % chunkBlocks;
    for (int r = 0; r < rows; ++r) {
        for (int i = 0; i < 3; ++i) {
            const int y = 3 * r + i;
            if (y < plane.height())
                reader.read(y, lines[i]);
            else
                reader.fillEdge(lines[i]);
        }
        const auto chunkAt = [&lines](int k) {
            const size_t offset = size_t(k) * chunkBytes;
            return Chunk(chunkBits(lines[0] + offset), chunkBits(lines[1] + offset),
                chunkBits(lines[2] + offset));
        };
        for (int k = 0; k < fullChunks; ++k)
            visitChunk(chunkAt(k), visit, std::make_index_sequence<chunkBlocks>());
        if (rest) {
            const Chunk last = chunkAt(fullChunks);
            for (int j = 0; j < rest; ++j)
                visit(last.raw(j), j);
        }
    }
    return {columns, rows};
}

} // namespace BlockScan
