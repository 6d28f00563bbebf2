// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmplayout.h"

#include "bytestream.h"
#include "pixelmemory.h"

#include <QIODevice>
#include <QtEndian>

#include <algorithm>
#include <climits>
#include <cstring>
#include <limits>

namespace {

using Verdict = BmpLayout::Verdict;

constexpr qint64 fileHeaderBytes = 14;

BmpLayout refused(BmpLayout layout, Verdict verdict, const QString &reason)
{
    layout.verdict = verdict;
    layout.reason = reason;
    return layout;
}

QString rleGap()
{
    return QStringLiteral("Сжатые данные BMP обрываются или пропускают точки изображения.");
}

// The bytes of the file Qt's reader needs for every pixel: it reads an 8-bit or 1-bit row
// straight into the picture, so the last row's padding may be missing; it converts a 4, 16,
// 24 or 32-bit row only when the whole padded row is there.
qint64 bytesNeeded(qint64 width, qint64 height, int bits)
{
    const qint64 rowBytes = (width * bits + 31) / 32 * 4;
    if (height > std::numeric_limits<qint64>::max() / 2 / rowBytes)
        return std::numeric_limits<qint64>::max(); // more than any file holds
    if (bits == 8)
        return rowBytes * (height - 1) + width;
    if (bits == 1)
        return rowBytes * (height - 1) + (width + 7) / 8;
    return rowBytes * height;
}

} // namespace

BmpLayout BmpLayout::of(QIODevice *device, qint64 start)
{
    BmpLayout layout;
    device->seek(start);
    const qint64 size = device->size() - start;
    const QByteArray header = device->read(fileHeaderBytes + 40);
    if (!header.startsWith("BM"))
        return layout;
    // Fields past the end read as 0; the sizes are checked before any field is used, but GCC
    // cannot see that under the sanitizers and warns of reads past an empty array.
    const auto field = [&header](auto zero, int at) {
        return at + qsizetype(sizeof(zero)) <= header.size()
            ? qFromLittleEndian<decltype(zero)>(header.constData() + at)
            : zero;
    };
    const auto u16 = [&](int at) { return field(quint16(0), at); };
    const auto i16 = [&](int at) { return field(qint16(0), at); };
    const auto u32 = [&](int at) { return field(quint32(0), at); };
    const auto i32 = [&](int at) { return field(qint32(0), at); };

    const QString cutHeader = QStringLiteral("Файл BMP обрезан в заголовке.");
    if (header.size() < fileHeaderBytes + 4)
        return refused(layout, Verdict::Truncated, cutHeader);
    const qint64 offBits = u32(10);
    const qint64 infoSize = u32(14);
    // Qt reads four header sizes in full; any other as the old 12-byte OS/2 header.
    const bool full = infoSize == 40 || infoSize == 64 || infoSize == 108 || infoSize == 124;
    if (header.size() < fileHeaderBytes + (full ? 40 : 12))
        return refused(layout, Verdict::Truncated, cutHeader);

    qint64 signedHeight = 0;
    int planes = 0;
    quint32 colourCount = 0;
    if (full) {
        layout.width = i32(18);
        signedHeight = i32(22);
        planes = u16(26);
        layout.bits = u16(28);
        layout.compression = u32(30);
        colourCount = u32(46);
    } else {
        layout.width = i16(18);
        signedHeight = i16(20);
        planes = u16(22);
        layout.bits = u16(24);
    }

    const quint32 compression = layout.compression;
    if (compression == 4 || compression == 5) {
        return refused(layout, Verdict::Unsupported,
            QStringLiteral("Внутри этого BMP хранится изображение %1, а читаются только BMP без "
                           "сжатия или со сжатием RLE.")
                .arg(compression == 4 ? QStringLiteral("JPEG") : QStringLiteral("PNG")));
    }
    if (compression > 3) {
        return refused(layout, Verdict::Unsupported,
            QStringLiteral("Сжатие BMP номер %1 не поддерживается: читаются только BMP без "
                           "сжатия или со сжатием RLE.")
                .arg(compression));
    }
    const int bits = layout.bits;
    const bool bitsKnown
        = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    const bool compressionFits = compression == 0 || (compression == 1 && bits == 8)
        || (compression == 2 && bits == 4) || (compression == 3 && (bits == 16 || bits == 32));
    const QString damaged = QStringLiteral("Заголовок файла BMP повреждён.");
    if (!bitsKnown || planes != 1 || !compressionFits || layout.width <= 0 || signedHeight == 0
        || signedHeight == INT_MIN)
        return refused(layout, Verdict::Damaged, damaged);
    layout.height = qAbs(signedHeight);
    layout.topDown = signedHeight < 0;

    if (bits <= 8) {
        layout.colours = colourCount ? int(std::min<quint32>(colourCount, 257)) : 1 << bits;
        if (layout.colours > 256)
            return refused(layout, Verdict::Damaged, damaged);
        layout.format = bits == 1 ? QImage::Format_Mono : QImage::Format_Indexed8;
    } else {
        layout.format = QImage::Format_RGB32;
    }

    // Qt goes to bfOffBits only when it lies past the header, masks and palette. Releases of
    // Qt differ in where a long header's palette starts; the later start is taken, so the
    // pixels counted below are never more than Qt has.
    layout.paletteEntryBytes = infoSize == 12 ? 3 : 4;
    layout.paletteOffset = fileHeaderBytes + infoSize;
    const qint64 masks = compression == 3 && infoSize < 108 ? 12 : 0;
    const qint64 headerEnd
        = layout.paletteOffset + masks + qint64(layout.colours) * layout.paletteEntryBytes;
    layout.dataOffset = std::max(offBits, headerEnd);

    if (compression == 1 || compression == 2) {
        layout.verdict = Verdict::Rle;
        return layout;
    }

    const qint64 available = size - layout.dataOffset;
    if (available < bytesNeeded(layout.width, layout.height, bits)) {
        const qint64 rowBytes = (layout.width * bits + 31) / 32 * 4;
        return refused(layout, Verdict::Truncated,
            QStringLiteral("Файл BMP обрезан: в нём %1 из %2 строк изображения.")
                .arg(std::max<qint64>(available, 0) / rowBytes)
                .arg(layout.height));
    }
    layout.verdict = Verdict::Readable;
    return layout;
}

QImage BmpLayout::decodeRle(
    QIODevice *device, qint64 start, QString *problem, bool *outOfMemory) const
{
    *outOfMemory = false;
    QImage image = PixelMemory::allocate(QSize(int(width), int(height)), QImage::Format_Indexed8);
    if (image.isNull()) {
        *outOfMemory = true;
        return {};
    }
    image.fill(0);

    device->seek(start + paletteOffset);
    const QByteArray palette = device->read(qint64(colours) * 4);
    if (palette.size() < colours * 4) {
        *problem = QStringLiteral("Файл BMP обрезан в палитре.");
        return {};
    }
    QList<QRgb> table;
    table.reserve(colours);
    for (int i = 0; i < colours; ++i) {
        const auto *entry = reinterpret_cast<const uchar *>(palette.constData()) + 4 * i;
        table.append(qRgb(entry[2], entry[1], entry[0]));
    }
    image.setColorTable(table);

    // Rows are stored bottom-up; Qt turns a file with a negative height the other way round.
    uchar *const bits0 = image.bits();
    const qsizetype bytesPerLine = image.bytesPerLine();
    const auto rowAt
        = [&](qint64 y) { return bits0 + (topDown ? y : height - 1 - y) * bytesPerLine; };

    device->seek(start + dataOffset);
    ByteStream in(device);
    const bool four = bits == 4;
    qint64 x = 0;
    qint64 y = 0;
    uchar *row = rowAt(0);
    // Pixels past the row's end are dropped: the row is full, the run has said too much.
    const auto put = [&](uchar index) {
        if (x < width)
            row[x] = index;
        ++x;
    };
    bool complete = false;
    while (!complete) {
        uchar count;
        uchar code;
        if (!in.next(count) || !in.next(code)) {
            complete = y == height - 1 && x >= width;
            break;
        }
        if (count > 0) { // a run of one pixel value, or of two alternating nibbles
            if (!four) {
                if (x < width)
                    std::memset(row + x, code, size_t(std::min<qint64>(count, width - x)));
                x += count;
            } else {
                for (int i = 0; i < count; ++i)
                    put(i % 2 ? code & 0x0f : code >> 4);
            }
            continue;
        }
        if (code == 0) { // end of line
            if (x < width)
                break;
            x = 0;
            if (++y == height) {
                complete = true;
                break;
            }
            row = rowAt(y);
        } else if (code == 1) { // end of bitmap
            complete = y == height - 1 && x >= width;
            break;
        } else if (code == 2) { // delta: the pixels it jumps over are never written
            uchar dx;
            uchar dy;
            if (!in.next(dx) || !in.next(dy) || dx != 0 || dy != 0)
                break;
        } else { // `code` literal pixels, padded to a 16-bit boundary
            const int bytes = four ? (code + 1) / 2 : code;
            uchar literal[255];
            if (!in.read(literal, bytes) || ((bytes & 1) && !in.skip(1)))
                break;
            for (int i = 0; i < code; ++i)
                put(four ? (i % 2 ? literal[i / 2] & 0x0f : literal[i / 2] >> 4) : literal[i]);
        }
    }
    if (!complete) {
        *problem = rleGap();
        return {};
    }
    return image;
}
