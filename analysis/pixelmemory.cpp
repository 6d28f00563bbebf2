// SPDX-License-Identifier: GPL-3.0-or-later
#include "pixelmemory.h"

#include <QPixelFormat>

#include <atomic>
#include <limits>

namespace {

std::atomic<int> allocationsLeft {-1};
std::atomic<void (*)()> reliefFunction {nullptr};

bool injectedFailure()
{
    int left = allocationsLeft.load();
    while (left >= 0) {
        if (left == 0)
            return true;
        if (allocationsLeft.compare_exchange_weak(left, left - 1))
            return false;
    }
    return false;
}

} // namespace

QImage PixelMemory::allocate(const QSize &size, QImage::Format format)
{
    if (size.isEmpty())
        return {};
    // QImage reports a failed allocation as a null image; it never throws.
    QImage image = injectedFailure() ? QImage() : QImage(size, format);
    void (*relief)() = reliefFunction.load();
    if (image.isNull() && relief) {
        relief();
        image = injectedFailure() ? QImage() : QImage(size, format);
    }
    return image;
}

void PixelMemory::setRelief(void (*relief)())
{
    reliefFunction = relief;
}

qint64 PixelMemory::bytesFor(const QSize &size, QImage::Format format)
{
    if (size.isEmpty())
        return 0;
    const qint64 depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 rowBits = qint64(size.width()) * depth;
    const qint64 rowBytes = (rowBits + 31) / 32 * 4;
    if (rowBytes > std::numeric_limits<qint64>::max() / size.height())
        return -1;
    return rowBytes * size.height();
}

void PixelMemory::failAfter(int successes)
{
    allocationsLeft = successes < 0 ? -1 : successes;
}
