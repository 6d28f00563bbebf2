// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>

// The pixel memory of a picture and its planes, allocated where a failure can be reported: a
// camera photo needs hundreds of megabytes, which a machine short of memory does not have.
class PixelMemory
{
public:
    // An image of that size and format with uninitialised pixels, or a null image when the
    // memory cannot be had.
    static QImage allocate(const QSize &size, QImage::Format format);

    // Bytes of one image of that size and format, rows padded as QImage pads them; -1 when
    // that overflows.
    static qint64 bytesFor(const QSize &size, QImage::Format format);

    // Memory kept only to be quick (the planes' spare stores) is handed back by `relief` when
    // an allocation fails, and the allocation is tried once more. One relief; a later call
    // replaces it, null removes it.
    static void setRelief(void (*relief)());

    // For tests: the next `successes` allocations succeed, every later one fails as if the
    // memory were short; a negative count lifts it.
    static void failAfter(int successes);
};
