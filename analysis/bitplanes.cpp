// SPDX-License-Identifier: GPL-3.0-or-later
#include "bitplanes.h"

#include "pixelmemory.h"
#include "vectorstate.h"

#include <QMutex>
#include <QtEndian>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {
// How far ahead the split asks for the picture's and the planes' next lines: on a picture too
// big for the caches the processor's own prefetching does not keep up with nine streams.
constexpr int readAhead = 4096; // bytes of the picture's row
constexpr int writeAhead = 512; // bytes of each plane's row

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
#pragma GCC unroll 8
    for (int b = 0; b < 8; ++b)
        rows[7 - b][group] = uchar(bits >> (8 * b));
}

inline void prefetch(const uchar *p)
{
#if defined(__SSE2__)
    _mm_prefetch(reinterpret_cast<const char *>(p), _MM_HINT_T0);
#else
    Q_UNUSED(p);
#endif
}

// Packs the full groups of a row; load(g) gives group g as storeGroup takes it, from the eight
// bytes of `source` at 8 * g.
template<typename Load>
void packGroups(int groups, const uchar *source, uchar *const *rows, Load load)
{
    int g = 0;
#if defined(__SSE2__)
    // Two groups at a time: the sign bits of the 16 levels are one plane's two bytes, and
    // doubling the levels brings the next bit up.
    for (; g + 2 <= groups; g += 2) {
        if ((g & 7) == 0) // a line of the source
            prefetch(source + 8 * g + readAhead);
        if ((g & 63) == 0) { // a line of each plane
            for (int k = 0; k < BitPlanes::count; ++k)
                prefetch(rows[k] + g + writeAhead);
        }
        __m128i levels = _mm_set_epi64x(qint64(load(g + 1)), qint64(load(g)));
        // Unrolled: GCC at -O2 keeps this loop rolled, which doubles the time of the split.
#pragma GCC unroll 8
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
    packGroups(fullGroups, levels, rows,
        [levels](int g) { return qFromBigEndian<quint64>(levels + 8 * g); });
    if (const int rest = width % 8) {
        uchar tail[8] = {};
        std::memcpy(tail, levels + 8 * fullGroups, size_t(rest));
        storeGroup(rows, fullGroups, qFromBigEndian<quint64>(tail));
    }
}

void packIndexed(const uchar *indices, int width, const LevelTable &table, uchar *const *rows)
{
    const int fullGroups = width / 8;
    packGroups(fullGroups, indices, rows, [indices, &table](int g) {
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

// A camera photo's planes take tens of megabytes, which the allocator maps afresh for every
// split; in 4 KB pages that is one page fault per 4 KB, in huge pages one per 2 MB.
void preferHugePages(const QImage &store)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr quintptr huge = quintptr(2) << 20;
    const auto begin = reinterpret_cast<quintptr>(store.constBits());
    const quintptr end = begin + quintptr(store.sizeInBytes());
    const quintptr first = (begin + huge - 1) & ~(huge - 1);
    const quintptr last = end & ~(huge - 1);
    if (last > first)
        madvise(reinterpret_cast<void *>(first), last - first, MADV_HUGEPAGE);
#else
    Q_UNUSED(store);
#endif
}

// The stores of the last two splits, kept when their planes are gone: a new picture of the same
// or a somewhat smaller size then reuses that memory, which costs nothing to fault in. Two,
// because the window keeps the shown picture's planes while it splits the next one, so the one
// before them is the store that is free. A store is only reused once its planes have all been
// released.
constexpr int spareCount = 2;

std::array<QImage, spareCount> &spareStores()
{
    static std::array<QImage, spareCount> stores;
    return stores;
}

QMutex &spareMutex()
{
    static QMutex mutex;
    return mutex;
}

// Gives the memory of the spare stores no planes use back. Called with the mutex held.
void dropFreeSpares()
{
    for (QImage &spare : spareStores()) {
        if (spare.isDetached())
            spare = QImage();
    }
}

// Hands the free spare stores back when memory is short elsewhere (a picture being read). A
// split that is choosing its store already gave back what it could, so it is not waited for.
void releaseFreeSpares()
{
    if (!spareMutex().tryLock())
        return;
    dropFreeSpares();
    spareMutex().unlock();
}

// A store of at least `bytes` bytes: a spare one when it is free and not much larger, else
// fresh memory. Null when the memory cannot be had.
QImage storeOf(qint64 bytes, int width)
{
    const QMutexLocker lock(&spareMutex());
    static const bool reliefSet = (PixelMemory::setRelief(releaseFreeSpares), true);
    Q_UNUSED(reliefSet);
    auto &spares = spareStores();
    for (QImage &spare : spares) {
        if (!spare.isNull() && spare.isDetached() && spare.sizeInBytes() >= bytes
            && spare.sizeInBytes() / 4 <= bytes)
            return spare;
    }
    const qint64 lineBytes = qint64(width + 31) / 32 * 4;
    const qint64 rows = (bytes + lineBytes - 1) / lineBytes;
    if (rows > std::numeric_limits<int>::max())
        return {};
    // Free stores that do not fit go back before more memory is asked for. The new store takes
    // a free slot, else the older one's (whose planes keep that memory as long as they need it);
    // the slots stay in the order the stores were made.
    dropFreeSpares();
    const QImage store = PixelMemory::allocate(QSize(width, int(rows)), QImage::Format_Mono);
    if (!store.isNull()) {
        preferHugePages(store);
        auto slot = std::find_if(
            spares.begin(), spares.end(), [](const QImage &spare) { return spare.isNull(); });
        if (slot == spares.end())
            slot = spares.begin();
        *slot = QImage();
        std::rotate(slot, slot + 1, spares.end());
        spares.back() = store;
    }
    return store;
}

// The eight planes share one allocation: one large block is reused from one split to the next,
// where eight blocks of 1.5 MB (4000 x 3000) are handed back to the system and fault in afresh
// every time, which costs more than the split itself. Empty when the memory cannot be had.
QList<QImage> allocatePlanes(int width, int height)
{
    QList<QImage> planes;
    planes.reserve(BitPlanes::count);
    const qsizetype lineBytes = qsizetype(width + 31) / 32 * 4;
    const qint64 planeBytes = qint64(lineBytes) * height;
    const QImage store = storeOf(planeBytes * BitPlanes::count, width);
    if (store.isNull())
        return {};
    // const_cast: each plane writes only its own part, and the store is shared only by planes,
    // which keep it from being reused while they live.
    auto *bits = const_cast<uchar *>(store.constBits());
    for (int k = 0; k < BitPlanes::count; ++k) {
        // Each plane keeps the store alive; the cleanup function owns that reference.
        auto keeper = std::make_unique<QImage>(store);
        QImage plane(bits + k * planeBytes, width, height, lineBytes, QImage::Format_Mono,
            releaseStore, keeper.get());
        if (plane.isNull())
            return {};
        keeper.release();
        plane.setColorTable(BitPlanes::colorTable());
        planes.append(plane);
    }
    return planes;
}

} // namespace

QList<QRgb> BitPlanes::colorTable()
{
    return {0xffffffff, 0xff000000};
}

bool BitPlanes::isGrey(const QImage &picture)
{
    return !picture.isNull() && picture.allGray();
}

QList<QImage> BitPlanes::split(const QImage &picture)
{
    if (picture.isNull())
        return {};
    VectorState::clearUpper();
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
    } else if (format == QImage::Format_Mono) {
        table = indexLevels(picture);
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
            } else if (format == QImage::Format_Mono) {
                for (int x = 0; x < width; ++x)
                    levels[size_t(x)] = table[(line[x >> 3] >> (7 - (x & 7))) & 1];
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
