// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeglayout.h"

#include "bytestream.h"

#include <algorithm>
#include <array>

namespace {

struct Component
{
    int id = -1;
    int horizontal = 1;
    int vertical = 1;
};

bool isFrame(int marker)
{
    return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

bool isRestart(int marker)
{
    return marker >= 0xd0 && marker <= 0xd7;
}

qint64 ceilDiv(qint64 a, qint64 b)
{
    return (a + b - 1) / b;
}

// The byte after the next 0xff and any 0xff fill bytes that follow it: a marker, a stuffed zero
// inside entropy-coded data, or the end of the stream (false).
bool nextAfterFf(ByteStream &in, uchar &next)
{
    if (!in.skipPast(0xff))
        return false;
    do {
        if (!in.next(next))
            return false;
    } while (next == 0xff);
    return true;
}

} // namespace

bool JpegLayout::isLossless() const
{
    return frameMarker == 0xc3 || frameMarker == 0xc7 || frameMarker == 0xcb || frameMarker == 0xcf;
}

bool JpegLayout::isHierarchical() const
{
    return frameMarker == 0xc5 || frameMarker == 0xc6 || frameMarker == 0xc7 || frameMarker == 0xcd
        || frameMarker == 0xce || frameMarker == 0xcf;
}

JpegLayout JpegLayout::of(QIODevice *device)
{
    JpegLayout layout;
    ByteStream in(device);
    uchar byte;
    if (!in.next(byte) || byte != 0xff || !in.next(byte) || byte != 0xd8)
        return layout;
    layout.isJpeg = true;

    std::array<Component, 4> components {};
    int componentCount = 0;
    int maxHorizontal = 1;
    int maxVertical = 1;
    const auto blocksOf = [&](int id) -> qint64 {
        for (int i = 0; i < componentCount; ++i) {
            const Component &c = components[size_t(i)];
            if (c.id == id) {
                const qint64 w = ceilDiv(qint64(layout.width) * c.horizontal, maxHorizontal);
                const qint64 h = ceilDiv(qint64(layout.height) * c.vertical, maxVertical);
                return ceilDiv(w, 8) * ceilDiv(h, 8);
            }
        }
        return 0;
    };

    int marker = -1; // found at the end of a scan's data, not read yet
    for (;;) {
        if (marker < 0) {
            // Like libjpeg, step over anything that is not a marker.
            uchar next;
            if (!nextAfterFf(in, next))
                return layout;
            marker = next;
        }
        const int current = marker;
        marker = -1;
        if (current == 0xd9) {
            layout.complete = true;
            return layout;
        }
        if (current == 0x00 || current == 0x01 || current == 0xd8 || isRestart(current))
            continue; // no length field
        uchar high;
        uchar low;
        if (!in.next(high) || !in.next(low))
            return layout;
        const int length = high << 8 | low;
        if (length < 2)
            continue;
        // Only the frame and scan headers are looked into, and only as far as four components.
        uchar segment[6 + 3 * 4];
        const int size = length - 2;
        const int wanted
            = isFrame(current) || current == 0xda ? std::min<int>(size, sizeof segment) : 0;
        if (!in.read(segment, wanted) || !in.skip(size - wanted))
            return layout;

        if (isFrame(current) && layout.frameMarker == 0 && size >= 6) {
            layout.frameMarker = current;
            layout.precision = segment[0];
            layout.height = segment[1] << 8 | segment[2];
            layout.width = segment[3] << 8 | segment[4];
            componentCount = std::min<int>(segment[5], 4);
            for (int i = 0; i < componentCount && 6 + 3 * i + 2 < wanted; ++i) {
                Component &c = components[size_t(i)];
                c.id = segment[6 + 3 * i];
                c.horizontal = std::max(1, segment[7 + 3 * i] >> 4);
                c.vertical = std::max(1, segment[7 + 3 * i] & 0x0f);
                maxHorizontal = std::max(maxHorizontal, c.horizontal);
                maxVertical = std::max(maxVertical, c.vertical);
            }
        } else if (current == 0xda) {
            ++layout.scans;
            const int inScan = wanted >= 1 ? segment[0] : 0;
            for (int i = 0; i < inScan && 1 + 2 * i < wanted; ++i)
                layout.scanBlocks += blocksOf(segment[1 + 2 * i]);
            // The entropy-coded data runs to the next marker other than a stuffed zero or a
            // restart marker.
            for (;;) {
                uchar next;
                if (!nextAfterFf(in, next))
                    return layout;
                if (next != 0x00 && !isRestart(next)) {
                    marker = next;
                    break;
                }
            }
        }
    }
}
