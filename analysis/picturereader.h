// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QIODevice;

// Reads a picture file for the lab: BMP, JPEG or PNG, the format taken from the name first and
// from the contents when that fails. Never hands out a picture with undefined or made-up pixels
// (Qt's BMP reader leaves the rows of a cut-off file uninitialised, libjpeg fills a cut-off
// file's missing blocks with grey, whether or not an end marker follows), refuses absurd sizes,
// and JPEG data too short for its header's size, before any pixel memory is allocated, refuses
// JPEG files whose scans would keep the decoder busy for minutes, and tells a lack of memory
// from damaged data. What it refuses, it names: cut, damaged (and where), or a kind it does not
// read. Damage a plain decoder mends without losing a pixel (restart markers numbered out of
// order, a 1-bit palette of one colour) is read and named in a warning. The picture is turned
// upright as its EXIF orientation says. Widget-free, so the window, the key tool and the fuzzer
// share it.
class PictureReader
{
public:
    enum class Failure {
        None,
        Missing, // no such file
        NotAFile, // a folder or a device
        CannotOpen, // no permission, I/O error, a name that cannot be read, a loop of links
        Empty, // zero bytes
        UnknownFormat, // the contents are no picture Qt knows
        UnsupportedFormat, // a picture, but not BMP, JPEG or PNG
        TooLarge, // more pixels than maxPixels, or more bytes than allocationLimitMB
        TooManyScans, // a JPEG whose scans would take the decoder too long
        Truncated, // the data ends early or does not cover every pixel
        OutOfMemory, // the memory for the pixels could not be had
        DecodeFailed, // damaged data or header, or the decoder gave up
    };

    struct Result
    {
        QImage image;
        // Qt's name of the format that read it ("bmp", "jpeg", "png"); empty on failure.
        QByteArray format;
        Failure failure = Failure::None;
        // Why not, in Russian, for the student; empty on success.
        QString reason;
        // What was mended in a damaged file that is read nonetheless, in Russian, for the
        // student (one sentence); empty when nothing was, and on failure.
        QString warning;

        bool ok() const { return failure == Failure::None; }
    };

    // Qt's own default (128 MB at 32 bits per pixel, about 33 megapixels) refuses the students'
    // camera photos. 256 MB admits 64 megapixels, which is also our limit on pixels.
    static constexpr int allocationLimitMB = 256;
    static constexpr qint64 maxPixels = qint64(allocationLimitMB) * 1024 * 1024 / 4;
    // Ordinary progressive files have 6 (grey) or 10 (colour) scans, a few encoders up to about
    // 20. Every scan makes libjpeg visit each block of its components, even a scan of a few
    // bytes that only says "nothing changes here": about 1 ms per megapixel of a component here,
    // so a 324 KB file of 18,000 such scans over 2048 x 2048 would take over a minute. Both
    // limits are counted from the markers before decoding. The blocks of all scans together
    // allow twelve scans over a 64-megapixel grey picture, the 8 million blocks of an ordinary
    // 64-megapixel colour progressive file with room to spare, and keep the slowest file
    // accepted at the size limit (three full-size components) to about 1.4 s in the window.
    static constexpr int maxJpegScans = 100;
    static constexpr qint64 maxJpegScanBlocks = qint64(12) << 20;

    // The format named by the file's last three characters ("bmp", "jpg"; "peg" names none).
    static QByteArray formatFromName(const QString &fileName);

    static Result read(const QString &fileName);
    // A readable device; namedFormat is tried first (may be empty), then the contents decide.
    static Result read(QIODevice *device, const QByteArray &namedFormat = {});
    static Result fromData(const QByteArray &data, const QByteArray &namedFormat = {});

    // "Недостаточно памяти для изображения W x H": also for what the caller makes of the
    // picture (its planes, its preview).
    static QString outOfMemoryReason(const QSize &size);
};
