// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

class QIODevice;

// A JPEG decoded by libjpeg itself rather than through Qt's image plugin. The plugin passes the
// decoder's warnings on only as English text on a logging category, which QT_LOGGING_RULES can
// silence, and libjpeg does not warn at all when an arithmetic-coded scan runs out of data. Here
// every warning arrives as its code, and where each arithmetic-coded scan's data runs out is
// watched row by row. The pixels are Qt's: the same library with the same settings, grey as
// Grayscale8, colour as RGB32, CMYK converted the way Qt converts it.
class JpegDecoder
{
public:
    enum class Outcome {
        Decoded,
        // Decoded whole, but restart markers bore other numbers than their place: the decoder
        // took each for the one it expected, as libjpeg does with a number far from it.
        RestartsRenumbered,
        Truncated, // a scan's data ends before its last block
        LostRestart, // a restart marker is missing or out of order: blocks of the scan were lost
        Damaged, // codes that are no codes, or the decoder gave up
        OutOfMemory,
    };

    // The format Qt gives a JPEG of that many components: Grayscale8, RGB32 or Invalid.
    static QImage::Format formatFor(int components);

    // Decodes the file from the device's position into `image`, which the caller has allocated
    // at the frame's size in the format Qt would give it; a header that says otherwise is
    // Damaged. On any outcome but Decoded and RestartsRenumbered the pixels are not to be used.
    static Outcome decode(QIODevice *device, QImage &image);
};
