// SPDX-License-Identifier: GPL-3.0-or-later
#include "bmplayout.h"

#include "bytestream.h"
#include "pixelmemory.h"

#include <QIODevice>
#include <QtAlgorithms>
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
    // The masks of a BITFIELDS file follow the 40 bytes Qt reads, in the header or after it.
    const QByteArray header = device->read(fileHeaderBytes + 40 + 12);
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
    // Qt reads four header sizes in full, and the old 12-byte OS/2 1.x header; it would take any
    // other for the 12-byte one and read nonsense from it.
    const bool full = infoSize == 40 || infoSize == 64 || infoSize == 108 || infoSize == 124;
    if (!full && infoSize != 12) {
        if (infoSize < 12 || infoSize > 124)
            return refused(layout, Verdict::Damaged, QStringLiteral("Заголовок файла BMP повреждён."));
        return refused(layout, Verdict::Unsupported,
            QStringLiteral("Этот вид заголовка BMP (длина %1) не поддерживается: читаются "
                           "заголовки Windows длиной 40, 108 и 124 байта и OS/2 длиной 12 и "
                           "64 байта.")
                .arg(infoSize));
    }
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
    if (infoSize == 64 && (compression == 3 || compression == 4)) {
        return refused(layout, Verdict::Unsupported,
            QStringLiteral("Сжатие BMP формата OS/2 (%1) не поддерживается: читаются только BMP "
                           "без сжатия или со сжатием RLE.")
                .arg(compression == 3 ? QStringLiteral("Huffman") : QStringLiteral("RLE24")));
    }
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
    if (!bitsKnown && bits > 0 && bits <= 64) {
        return refused(layout, Verdict::Unsupported,
            QStringLiteral("BMP с %1 битами на точку не поддерживается: читаются BMP с 1, 4, 8, "
                           "16, 24 и 32 битами на точку.")
                .arg(bits));
    }
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

    // A palette the header counts but the pixel data begins inside: Qt would read the first
    // pixels as colours and the picture from too late in the file.
    if (layout.colours > 0 && offBits > layout.paletteOffset + masks && offBits < headerEnd
        && size - offBits >= bytesNeeded(layout.width, layout.height, bits)) {
        return refused(layout, Verdict::Damaged,
            QStringLiteral("Палитра этого BMP короче, чем сказано в его заголовке: заголовок "
                           "называет %1 цветов, а перед точками изображения место есть только "
                           "для %2.")
                .arg(layout.colours)
                .arg((offBits - layout.paletteOffset - masks) / layout.paletteEntryBytes));
    }

    // 16-bit pixels and BITFIELDS masks are decoded here: Qt scales a mask's value to 8 bits by
    // an integer factor, which is zero for a mask wider than 8 bits (10-10-10 comes out black)
    // and leaves 5-bit white at 248.
    if (bits == 16 || compression == 3) {
        if (compression == 3) {
            layout.masks[0] = u32(54);
            layout.masks[1] = u32(58);
            layout.masks[2] = u32(62);
        } else {
            layout.masks[0] = 0x7c00;
            layout.masks[1] = 0x03e0;
            layout.masks[2] = 0x001f;
        }
        const quint64 limit = bits == 16 ? 0xffff : 0xffffffff;
        // One mask for red, green and blue is a grey picture by construction: one value a pixel.
        const bool grey = layout.masks[0] == layout.masks[1] && layout.masks[1] == layout.masks[2];
        quint32 seen = 0;
        for (const quint32 mask : layout.masks) {
            const quint32 run = mask ? mask >> qCountTrailingZeroBits(mask) : 0;
            if (!mask || (run & (run + 1)) || (!grey && (mask & seen)) || mask > limit) {
                return refused(layout, Verdict::Damaged,
                    QStringLiteral("Заголовок файла BMP повреждён: его маски цветов (BITFIELDS) "
                                   "не выделяют красный, зелёный и синий (маска пуста, "
                                   "прерывается или перекрывает другую)."));
            }
            seen |= mask;
        }
    }

    const qint64 available = size - layout.dataOffset;
    if (available < bytesNeeded(layout.width, layout.height, bits)) {
        const qint64 rowBytes = (layout.width * bits + 31) / 32 * 4;
        return refused(layout, Verdict::Truncated,
            QStringLiteral("Файл BMP обрезан: в нём %1 из %2 строк изображения.")
                .arg(std::max<qint64>(available, 0) / rowBytes)
                .arg(layout.height));
    }
    layout.verdict = bits == 16 || compression == 3 ? Verdict::Bitfields : Verdict::Readable;
    return layout;
}

QImage BmpLayout::decodeBitfields(QIODevice *device, qint64 start) const
{
    QImage image = PixelMemory::allocate(QSize(int(width), int(height)), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    // Each channel to the nearest of 256 levels: 0 stays 0 and the mask's full value becomes
    // 255 at every width, and an 8-bit mask reads unchanged.
    struct Channel
    {
        quint32 mask;
        int shift;
        quint64 top;
    } channels[3];
    for (int c = 0; c < 3; ++c) {
        const int shift = qCountTrailingZeroBits(masks[c]);
        channels[c] = {masks[c], shift, quint64(masks[c] >> shift)};
    }
    const auto level = [](const Channel &channel, quint32 pixel) {
        const quint64 value = (pixel & channel.mask) >> channel.shift;
        return int((value * 255 + channel.top / 2) / channel.top);
    };
    const qint64 rowBytes = (width * bits + 31) / 32 * 4;
    QByteArray row(rowBytes, Qt::Uninitialized);
    const auto *in = reinterpret_cast<const uchar *>(row.constData());
    device->seek(start + dataOffset);
    for (qint64 i = 0; i < height; ++i) {
        if (device->read(row.data(), rowBytes) != rowBytes)
            return {}; // counted as there before
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(int(topDown ? i : height - 1 - i)));
        for (qint64 x = 0; x < width; ++x) {
            const quint32 pixel = bits == 16 ? qFromLittleEndian<quint16>(in + 2 * x)
                                             : qFromLittleEndian<quint32>(in + 4 * x);
            out[x] = qRgb(level(channels[0], pixel), level(channels[1], pixel),
                level(channels[2], pixel));
        }
    }
    return image;
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
