// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QString>

class QIODevice;

// A BMP file's header read the way Qt's BMP reader reads it, and what follows from it: which
// decoded pixels the file's bytes actually reach, and the run-length compressed kinds decoded
// here rather than by Qt. Qt's reader leaves every pixel it does not reach as whatever the
// allocator handed out, and its RLE decoder reads an absolute run that is longer than the row
// only up to the row's end, then takes the rest of the run for commands; so those files are
// decoded here into a cleared image, with every pixel accounted for.
struct BmpLayout
{
    enum class Verdict {
        NotBmp, // no "BM" signature: some other reader's business
        Readable, // Qt decodes it and reaches every pixel
        Rle, // decoded by decodeRle()
        Bitfields, // 16 or 32 bits through colour masks, decoded by decodeBitfields()
        Truncated, // the pixel data ends before the last pixel
        Unsupported, // a kind of BMP Qt does not read (JPEG or PNG inside, other compressions)
        Damaged, // a header Qt refuses
    };

    Verdict verdict = Verdict::NotBmp;
    // Why, in Russian, for Truncated, Unsupported and Damaged.
    QString reason;

    qint64 width = 0;
    qint64 height = 0; // positive; topDown tells the order of the rows in the file
    bool topDown = false;
    int bits = 0;
    quint32 compression = 0;
    int colours = 0; // palette entries Qt reads: none for 16, 24 and 32 bits
    QImage::Format format = QImage::Format_Invalid; // what Qt decodes it into

    // The header, palette and the rows' byte count; `device` is read from `start` on.
    static BmpLayout of(QIODevice *device, qint64 start);

    // The picture of an Rle layout. Null with `*problem` set when the data leaves a pixel
    // unwritten or the memory cannot be had (`*outOfMemory`).
    QImage decodeRle(QIODevice *device, qint64 start, QString *problem, bool *outOfMemory) const;

    // The picture of a Bitfields layout, every channel scaled to 8 bits alike whatever the width
    // of its mask. Null when the memory cannot be had.
    QImage decodeBitfields(QIODevice *device, qint64 start) const;

    // The red, green and blue masks of a Bitfields layout.
    quint32 masks[3] = {};

    // Where, from `start`, the palette and the pixel data begin.
    qint64 paletteOffset = 0;
    int paletteEntryBytes = 4;
    qint64 dataOffset = 0;
};
