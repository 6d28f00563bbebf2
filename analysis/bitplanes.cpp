// SPDX-License-Identifier: GPL-3.0-or-later
#include "bitplanes.h"

#include <QtEndian>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

namespace {

using LevelTable = std::array<uchar, 256>;

inline uchar levelOf(QRgb rgb)
{
    return uchar(qMax(qRed(rgb), qMax(qGreen(rgb), qBlue(rgb))));
}

// 8 x 8 bit matrix transpose (Hacker's Delight): bit 8j + b goes to bit 8b + j.
inline quint64 transpose8(quint64 x)
{
    x = (x & 0xAA55AA55AA55AA55ULL) | ((x & 0x00AA00AA00AA00AAULL) << 7)
        | ((x >> 7) & 0x00AA00AA00AA00AAULL);
    x = (x & 0xCCCC3333CCCC3333ULL) | ((x & 0x0000CCCC0000CCCCULL) << 14)
        | ((x >> 14) & 0x0000CCCC0000CCCCULL);
    x = (x & 0xF0F0F0F00F0F0F0FULL) | ((x & 0x00000000F0F0F0F0ULL) << 28)
        | ((x >> 28) & 0x00000000F0F0F0F0ULL);
    return x;
}

// levels: byte j holds the level of pixel 7 - j of the group. After the transpose byte b holds
// bit b of the eight levels with pixel 0 in its most significant bit, the Format_Mono order.
inline void storeGroup(uchar *const *rows, int group, quint64 levels)
{
    const quint64 bits = transpose8(levels);
    for (int b = 0; b < 8; ++b)
        rows[7 - b][group] = uchar(bits >> (8 * b));
}

// Packs the full groups of a row; load(g) gives group g as storeGroup takes it.
template<typename Load>
void packGroups(int groups, uchar *const *rows, Load load)
{
    int g = 0;
#if defined(__SSE2__)
    // Two groups at a time: the sign bits of the 16 levels are one plane's two bytes, and
    // doubling the levels brings the next bit up.
    for (; g + 2 <= groups; g += 2) {
        __m128i levels = _mm_set_epi64x(qint64(load(g + 1)), qint64(load(g)));
        for (int k = 0; k < BitPlanes::count; ++k) {
            qToLittleEndian(quint16(_mm_movemask_epi8(levels)), rows[k] + g);
            levels = _mm_add_epi8(levels, levels);
        }
    }
#endif
    for (; g < groups; ++g)
        storeGroup(rows, g, load(g));
}

// Packs one row of 8-bit levels into the eight plane rows; the padding bits stay clear.
void packLevels(const uchar *levels, int width, uchar *const *rows)
{
    const int fullGroups = width / 8;
    packGroups(
        fullGroups, rows, [levels](int g) { return qFromBigEndian<quint64>(levels + 8 * g); });
    if (const int rest = width % 8) {
        uchar tail[8] = {};
        std::memcpy(tail, levels + 8 * fullGroups, size_t(rest));
        storeGroup(rows, fullGroups, qFromBigEndian<quint64>(tail));
    }
}

void packIndexed(const uchar *indices, int width, const LevelTable &table, uchar *const *rows)
{
    const int fullGroups = width / 8;
    packGroups(fullGroups, rows, [indices, &table](int g) {
        const uchar *s = indices + 8 * g;
        quint64 x = 0;
        for (int i = 0; i < 8; ++i)
            x = (x << 8) | table[s[i]];
        return x;
    });
    if (const int rest = width % 8) {
        const uchar *s = indices + 8 * fullGroups;
        quint64 x = 0;
        for (int i = 0; i < 8; ++i)
            x = (x << 8) | (i < rest ? table[s[i]] : 0);
        storeGroup(rows, fullGroups, x);
    }
}

// Levels of the colour table entries; an index past the table reads as 0, as QImage::pixel does.
LevelTable indexLevels(const QImage &picture)
{
    LevelTable table {};
    const QList<QRgb> colors = picture.colorTable();
    for (int i = 0; i < qMin<qsizetype>(colors.size(), 256); ++i)
        table[size_t(i)] = levelOf(colors.at(i));
    return table;
}

bool isIdentity(const LevelTable &table)
{
    for (int i = 0; i < 256; ++i) {
        if (table[size_t(i)] != i)
            return false;
    }
    return true;
}

void releaseStore(void *store)
{
    delete static_cast<QImage *>(store);
}

// The eight planes share one allocation: one large block is reused by the allocator from one
// split to the next, where eight blocks of 1.5 MB (4000 x 3000) are handed back to the system
// and fault in afresh every time, which costs more than the split itself.
QList<QImage> allocatePlanes(int width, int height)
{
    QList<QImage> planes;
    planes.reserve(BitPlanes::count);
    const QImage store = height <= std::numeric_limits<int>::max() / BitPlanes::count
        ? QImage(width, height * BitPlanes::count, QImage::Format_Mono)
        : QImage();
    if (!store.isNull()) {
        const qsizetype lineBytes = store.bytesPerLine();
        // const_cast: the store is not shared yet, and each plane writes only its own part.
        auto *bits = const_cast<uchar *>(store.constBits());
        for (int k = 0; k < BitPlanes::count; ++k) {
            // Each plane keeps the store alive; the cleanup function owns that reference.
            auto keeper = std::make_unique<QImage>(store);
            QImage plane(bits + k * height * lineBytes, width, height, lineBytes,
                QImage::Format_Mono, releaseStore, keeper.get());
            if (plane.isNull())
                return {};
            keeper.release();
            planes.append(plane);
        }
    } else {
        for (int k = 0; k < BitPlanes::count; ++k) {
            const QImage plane(width, height, QImage::Format_Mono);
            if (plane.isNull())
                return {};
            planes.append(plane);
        }
    }
    for (QImage &plane : planes)
        plane.setColorTable(BitPlanes::colorTable());
    return planes;
}

} // namespace

QList<QRgb> BitPlanes::colorTable()
{
    return {0xffffffff, 0xff000000};
}

QList<QImage> BitPlanes::split(const QImage &picture)
{
    if (picture.isNull())
        return {};
    const int width = picture.width();
    const int height = picture.height();

    QList<QImage> planes = allocatePlanes(width, height);
    if (planes.isEmpty())
        return {}; // out of memory

    const QImage::Format format = picture.format();
    LevelTable table {};
    bool direct = format == QImage::Format_Grayscale8;
    if (format == QImage::Format_Indexed8) {
        table = indexLevels(picture);
        direct = isIdentity(table);
    }

    std::vector<uchar> levels(static_cast<size_t>(width));
    const qsizetype usedBytes = (width + 7) / 8;
    const qsizetype lineBytes = planes.first().bytesPerLine();
    std::array<uchar *, count> bases {};
    for (int k = 0; k < count; ++k)
        bases[size_t(k)] = planes[k].bits();
    std::array<uchar *, count> rows {};
    for (int y = 0; y < height; ++y) {
        for (int k = 0; k < count; ++k)
            rows[size_t(k)] = bases[size_t(k)] + y * lineBytes;

        const uchar *line = picture.constScanLine(y);
        if (direct) {
            packLevels(line, width, rows.data());
        } else if (format == QImage::Format_Indexed8) {
            packIndexed(line, width, table, rows.data());
        } else {
            if (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32) {
                const auto *pixels = reinterpret_cast<const QRgb *>(line);
                for (int x = 0; x < width; ++x)
                    levels[size_t(x)] = levelOf(pixels[x]);
            } else {
                // Every other format exactly as QImage::pixel reads it.
                for (int x = 0; x < width; ++x)
                    levels[size_t(x)] = levelOf(picture.pixel(x, y));
            }
            packLevels(levels.data(), width, rows.data());
        }
        for (int k = 0; k < count; ++k)
            std::memset(rows[size_t(k)] + usedBytes, 0, size_t(lineBytes - usedBytes));
    }
    return planes;
}
