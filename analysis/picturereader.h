// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QIODevice;

// Reads a picture file for the lab: BMP, JPEG or PNG, the format taken from the name first and
// from the contents when that fails. Never hands out a picture with undefined pixels (Qt's BMP
// reader leaves the rows of a cut-off file uninitialised) and refuses absurd sizes before any
// pixel memory is allocated. Widget-free, so the window, the key tool and the fuzzer share it.
class PictureReader
{
public:
    enum class Failure {
        None,
        Missing, // no such file
        NotAFile, // a folder or a device
        CannotOpen, // no permission, I/O error
        Empty, // zero bytes
        UnknownFormat, // the contents are no picture Qt knows
        UnsupportedFormat, // a picture, but not BMP, JPEG or PNG
        TooLarge, // more pixels than maxPixels
        Truncated, // a BMP whose pixel data ends early or does not cover every pixel
        DecodeFailed, // the decoder gave up
    };

    struct Result
    {
        QImage image;
        // Qt's name of the format that read it ("bmp", "jpeg", "png"); empty on failure.
        QByteArray format;
        Failure failure = Failure::None;
        // Why not, in Russian, for the student; empty on success.
        QString reason;

        bool ok() const { return failure == Failure::None; }
    };

    // Qt's own default (128 MB at 32 bits per pixel, about 33 megapixels) refuses the students'
    // camera photos. 256 MB admits 64 megapixels, which is also our limit on pixels.
    static constexpr int allocationLimitMB = 256;
    static constexpr qint64 maxPixels = qint64(allocationLimitMB) * 1024 * 1024 / 4;

    // The format named by the file's last three characters ("bmp", "jpg"; "peg" names none).
    static QByteArray formatFromName(const QString &fileName);

    static Result read(const QString &fileName);
    // A readable device; namedFormat is tried first (may be empty), then the contents decide.
    static Result read(QIODevice *device, const QByteArray &namedFormat = {});
    static Result fromData(const QByteArray &data, const QByteArray &namedFormat = {});
};
