// SPDX-License-Identifier: GPL-3.0-or-later
#include "picturereader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>

namespace {

using Failure = PictureReader::Failure;
using Result = PictureReader::Result;

Result failed(Failure failure, const QString &reason)
{
    Result result;
    result.failure = failure;
    result.reason = reason;
    return result;
}

Result tooLarge(qint64 width, qint64 height)
{
    return failed(Failure::TooLarge,
        QStringLiteral("Изображение %1 × %2 точек слишком велико: допускается не больше "
                       "%3 мегапикселей.")
            .arg(width)
            .arg(height)
            .arg(PictureReader::maxPixels / (1024 * 1024)));
}

// One name per decoder, so a JPEG is never decoded twice as "jpg" and as "jpeg".
QByteArray canonical(const QByteArray &format)
{
    const QByteArray lower = format.toLower();
    if (lower == "jpg" || lower == "jpe")
        return "jpeg";
    return lower;
}

// The decoders whose failures we know: BMP is checked below, Qt's JPEG and PNG readers either
// fill what is missing deterministically or refuse.
bool isAccepted(const QByteArray &format)
{
    return format == "bmp" || format == "jpeg" || format == "png";
}

// Reads a device in chunks, for walking compressed BMP data without holding all of it.
class ByteStream
{
public:
    explicit ByteStream(QIODevice *device)
        : device(device)
    { }

    bool next(uchar &byte)
    {
        if (pos == chunk.size()) {
            chunk = device->read(1 << 16);
            pos = 0;
            if (chunk.isEmpty())
                return false;
        }
        byte = uchar(chunk.at(pos++));
        return true;
    }

    bool skip(int count)
    {
        uchar byte;
        for (int i = 0; i < count; ++i) {
            if (!next(byte))
                return false;
        }
        return true;
    }

private:
    QIODevice *device;
    QByteArray chunk;
    qsizetype pos = 0;
};

// Qt's RLE decoder leaves every pixel that the data does not write (rows ended early, deltas,
// an early end of bitmap, a cut-off file) uninitialised. True when every pixel is written.
bool rleCoversEveryPixel(QIODevice *device, qint64 width, qint64 height, int bits)
{
    ByteStream in(device);
    qint64 x = 0;
    qint64 y = 0;
    const auto lastRowFull = [&] { return y == height - 1 && x >= width; };
    while (y < height) {
        uchar count;
        uchar code;
        if (!in.next(count) || !in.next(code))
            return lastRowFull();
        if (count > 0) {
            x += count; // a run; Qt clips it at the row's end
            continue;
        }
        switch (code) {
        case 0: // end of line
            if (x < width)
                return false;
            x = 0;
            ++y;
            break;
        case 1: // end of bitmap
            return lastRowFull();
        case 2: { // delta: moves on, skipping pixels
            uchar dx;
            uchar dy;
            if (!in.next(dx) || !in.next(dy) || dx != 0 || dy != 0)
                return false;
            break;
        }
        default: { // `code` literal pixels, padded to a 16-bit boundary
            const int bytes = (code * bits + 7) / 8;
            if (!in.skip(bytes + (bytes & 1)))
                return false;
            x += code;
        }
        }
    }
    return true;
}

// Qt's BMP reader returns a picture even when the pixel data ends early, with the missing rows
// left as whatever the allocator handed out. Refuses such files before they are decoded.
Result checkBmp(QIODevice *device, qint64 start)
{
    const qint64 size = device->size() - start;
    const QByteArray header = device->read(14 + 64);
    // Fields past the end read as 0; the sizes are checked before any field is used, but GCC
    // cannot see that under the sanitizers and warns of reads past an empty array.
    const auto field = [&header](auto zero, int at) {
        return at + qsizetype(sizeof(zero)) <= header.size()
            ? qFromLittleEndian<decltype(zero)>(header.constData() + at)
            : zero;
    };
    const auto u16 = [&](int at) { return field(quint16(0), at); };
    const auto u32 = [&](int at) { return field(quint32(0), at); };
    const auto i32 = [&](int at) { return field(qint32(0), at); };
    if (!header.startsWith("BM"))
        return {};
    const Result cut = failed(Failure::Truncated, QStringLiteral("Файл BMP обрезан в заголовке."));
    if (header.size() < 14 + 4)
        return cut;
    const qint64 offBits = u32(10);
    const qint64 infoSize = u32(14);
    if (header.size() < 14 + std::min<qint64>(infoSize, 40))
        return cut;

    qint64 width = 0;
    qint64 height = 0;
    int bits = 0;
    quint32 compression = 0;
    qint64 colours = 0;
    int entrySize = 4;
    qint64 masks = 0;
    if (infoSize == 12) { // OS/2 core header
        width = u16(18);
        height = u16(20);
        bits = u16(24);
        entrySize = 3;
        colours = bits <= 8 ? 1 << bits : 0;
    } else if (infoSize >= 40) {
        width = i32(18);
        height = qAbs(qint64(i32(22))); // negative: rows stored top-down
        bits = u16(28);
        compression = u32(30);
        colours = u32(46);
        if (bits <= 8 && colours == 0)
            colours = 1 << bits;
        if (infoSize == 40 && compression == 3)
            masks = 12;
        else if (infoSize == 40 && compression == 6)
            masks = 16;
    } else {
        return {}; // a header Qt does not read either
    }
    if (width <= 0 || height <= 0 || bits <= 0 || bits > 32 || colours > 256 * 256)
        return {};
    if (width * height > PictureReader::maxPixels)
        return tooLarge(width, height);

    // Qt skips to bfOffBits only when it lies past the header and the palette.
    const qint64 headerEnd = 14 + infoSize + masks + colours * entrySize;
    const qint64 dataStart = std::max(offBits, headerEnd);
    const qint64 available = size - dataStart;

    if (compression == 1 || compression == 2) {
        if (available <= 0 || !device->seek(start + dataStart)
            || !rleCoversEveryPixel(device, width, height, compression == 1 ? 8 : 4)) {
            return failed(Failure::Truncated,
                QStringLiteral("Сжатые данные BMP обрываются или пропускают точки изображения."));
        }
        return {};
    }

    const qint64 rowBytes = (width * bits + 31) / 32 * 4;
    if (available < rowBytes * height) {
        const qint64 rows = std::max<qint64>(available, 0) / rowBytes;
        return failed(Failure::Truncated,
            QStringLiteral("Файл BMP обрезан: в нём %1 из %2 строк изображения.")
                .arg(rows)
                .arg(height));
    }
    return {};
}

// The sample precision in a JPEG's frame header, 0 when there is none before the scan. Qt's
// libjpeg decodes 8 bits only and reports anything else as unreadable data.
int jpegPrecision(QIODevice *device)
{
    ByteStream in(device);
    uchar byte;
    if (!in.next(byte) || byte != 0xff || !in.next(byte) || byte != 0xd8)
        return 0;
    for (;;) {
        uchar marker;
        if (!in.next(byte) || byte != 0xff || !in.next(marker))
            return 0;
        while (marker == 0xff) { // fill bytes
            if (!in.next(marker))
                return 0;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7))
            continue; // no length
        if (marker == 0xda || marker == 0xd9)
            return 0; // scan or end: no frame header before it
        uchar high;
        uchar low;
        if (!in.next(high) || !in.next(low))
            return 0;
        const int length = high << 8 | low;
        const bool frame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8
            && marker != 0xcc;
        if (frame) {
            uchar precision;
            return length >= 3 && in.next(precision) ? precision : 0;
        }
        if (length < 2 || !in.skip(length - 2))
            return 0;
    }
}

Result readAs(QIODevice *device, qint64 start, const QByteArray &format)
{
    QImageReader reader(device, format);
    reader.setAutoDetectImageFormat(false); // exactly this decoder; the caller tries the others
    const QSize size = reader.size(); // from the header alone
    if (size.isValid() && qint64(size.width()) * size.height() > PictureReader::maxPixels)
        return tooLarge(size.width(), size.height());
    if (format == "bmp") {
        device->seek(start);
        Result check = checkBmp(device, start);
        if (!check.ok())
            return check;
    }
    if (format == "jpeg") {
        device->seek(start);
        const int precision = jpegPrecision(device);
        if (precision != 0 && precision != 8) {
            return failed(Failure::UnsupportedFormat,
                QStringLiteral("В этом JPEG %1 бит на отсчёт, а читаются только JPEG с 8 битами.")
                    .arg(precision));
        }
    }

    device->seek(start);
    QImageReader::setAllocationLimit(PictureReader::allocationLimitMB);
    QImageReader decoder(device, format);
    decoder.setAutoDetectImageFormat(false);
    Result result;
    if (!decoder.read(&result.image)) {
        return failed(Failure::DecodeFailed,
            QStringLiteral("Данные изображения %1 повреждены (%2).")
                .arg(QString::fromLatin1(format.toUpper()), decoder.errorString()));
    }
    result.format = format;
    return result;
}

} // namespace

QByteArray PictureReader::formatFromName(const QString &fileName)
{
    return fileName.right(3).toLower().toLocal8Bit();
}

PictureReader::Result PictureReader::read(const QString &fileName)
{
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.exists())
        return failed(Failure::Missing, QStringLiteral("Файл не найден."));
    if (info.isDir())
        return failed(Failure::NotAFile, QStringLiteral("Это папка, а не файл."));
    if (!info.isFile())
        return failed(Failure::NotAFile, QStringLiteral("Это не обычный файл."));
    if (!info.isReadable())
        return failed(Failure::CannotOpen, QStringLiteral("Нет прав на чтение этого файла."));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return failed(Failure::CannotOpen,
            QStringLiteral("Файл не открывается: %1.").arg(file.errorString()));
    }
    return read(&file, formatFromName(fileName));
}

PictureReader::Result PictureReader::read(QIODevice *device, const QByteArray &namedFormat)
{
    if (!device || !device->isReadable())
        return failed(Failure::CannotOpen, QStringLiteral("Файл не открыт для чтения."));
    if (device->isSequential()) {
        // Both the retry and the BMP check go back to the start.
        return fromData(device->readAll(), namedFormat);
    }
    const qint64 start = device->pos();
    if (device->size() - start <= 0)
        return failed(Failure::Empty, QStringLiteral("Файл пуст."));

    const QByteArray detected = canonical(QImageReader::imageFormat(device));
    const QByteArray named = canonical(namedFormat);
    // The name's format first, as long as the contents do not say otherwise; then the contents'.
    QList<QByteArray> attempts;
    if (isAccepted(named) && (detected.isEmpty() || detected == named))
        attempts << named;
    if (isAccepted(detected) && detected != named)
        attempts << detected;

    Result result;
    for (const QByteArray &format : std::as_const(attempts)) {
        device->seek(start);
        result = readAs(device, start, format);
        if (result.ok() || format == detected)
            return result;
    }
    if (detected.isEmpty()) {
        return failed(Failure::UnknownFormat,
            QStringLiteral("Содержимое файла не похоже на изображение BMP, JPEG или PNG."));
    }
    return failed(Failure::UnsupportedFormat,
        QStringLiteral("Формат %1 не поддерживается: нужен BMP, JPEG или PNG.")
            .arg(QString::fromLatin1(detected.toUpper())));
}

PictureReader::Result PictureReader::fromData(const QByteArray &data, const QByteArray &namedFormat)
{
    QByteArray bytes = data; // shared, never written
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return read(&buffer, namedFormat);
}
