// SPDX-License-Identifier: GPL-3.0-or-later
#include "jpeglayout.h"

#include "bytestream.h"

#include <algorithm>
#include <array>

namespace {

constexpr int unknownBits = 99;

struct Component
{
    int id = -1;
    int horizontal = 1;
    int vertical = 1;
    // The lowest bit of each coefficient (in zigzag order) the scans so far have sent;
    // unknownBits before its first scan.
    std::array<int, 64> knownFrom {};
};

// What the walk keeps beside the layout.
struct Walk
{
    std::array<Component, 4> components {};
    int componentCount = 0;
    bool tooManyComponents = false;
    int maxHorizontal = 1;
    int maxVertical = 1;

    Component *find(int id)
    {
        for (int i = 0; i < componentCount; ++i) {
            if (components[size_t(i)].id == id)
                return &components[size_t(i)];
        }
        return nullptr;
    }
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

bool JpegLayout::isProgressive() const
{
    return frameMarker == 0xc2 || frameMarker == 0xc6 || frameMarker == 0xca || frameMarker == 0xce;
}

bool JpegLayout::isArithmetic() const
{
    return frameMarker >= 0xc9 && frameMarker <= 0xcf;
}

namespace {

qint64 blocksOf(const JpegLayout &layout, const Walk &walk, const Component &c)
{
    const qint64 w = ceilDiv(qint64(layout.width) * c.horizontal, walk.maxHorizontal);
    const qint64 h = ceilDiv(qint64(layout.height) * c.vertical, walk.maxVertical);
    return ceilDiv(w, 8) * ceilDiv(h, 8);
}

// One scan header: its blocks, and which bits of which coefficients it sends.
// Returns the blocks whose DC values the scan codes (0 when it codes none).
qint64 readScanHeader(JpegLayout &layout, Walk &walk, const uchar *header, int size)
{
    ++layout.scans;
    const int inScan = size >= 1 ? header[0] : 0;
    if (size < 1 + 2 * inScan + 3) {
        for (int i = 0; i < inScan && 1 + 2 * i < size; ++i) {
            if (const Component *c = walk.find(header[1 + 2 * i]))
                layout.scanBlocks += blocksOf(layout, walk, *c);
        }
        return 0;
    }
    const int first = header[1 + 2 * inScan];
    const int last = std::min<int>(header[2 + 2 * inScan], 63);
    const int high = header[3 + 2 * inScan] >> 4;
    const int low = header[3 + 2 * inScan] & 0x0f;
    const bool progressive = layout.isProgressive();
    qint64 dcBlocks = 0;
    for (int i = 0; i < inScan; ++i) {
        Component *c = walk.find(header[1 + 2 * i]);
        if (!c)
            continue;
        const qint64 blocks = blocksOf(layout, walk, *c);
        layout.scanBlocks += blocks;
        if (!progressive) { // a sequential scan sends every bit of every coefficient
            c->knownFrom.fill(0);
            dcBlocks += blocks;
            continue;
        }
        if (first == 0)
            dcBlocks += blocks;
        for (int k = first; k <= last; ++k) {
            int &known = c->knownFrom[size_t(k)];
            if (high == 0 ? known == unknownBits : known == high)
                known = low;
        }
    }
    return dcBlocks;
}

} // namespace

JpegLayout JpegLayout::of(QIODevice *device)
{
    JpegLayout layout;
    ByteStream in(device);
    uchar byte;
    if (!in.next(byte) || byte != 0xff || !in.next(byte) || byte != 0xd8)
        return layout;
    layout.isJpeg = true;

    Walk walk;
    // The data of the scan being walked, from `dataStart` on, and the blocks of its DC values.
    qint64 dataStart = -1;
    qint64 dcBlocks = 0;
    const auto endScanData = [&](qint64 end) {
        if (dataStart >= 0 && !layout.isArithmetic() && (end - dataStart) * 8 < dcBlocks)
            layout.scanDataShort = true;
        dataStart = -1;
    };
    const auto finish = [&]() {
        endScanData(in.position());
        layout.scansCover = layout.frameMarker != 0 && (walk.componentCount > 0 || walk.tooManyComponents);
        for (int i = 0; i < walk.componentCount; ++i) {
            const auto &known = walk.components[size_t(i)].knownFrom;
            if (std::any_of(known.cbegin(), known.cend(), [](int bit) { return bit != 0; }))
                layout.scansCover = false;
        }
        return layout;
    };

    int marker = -1; // found at the end of a scan's data, not read yet
    for (;;) {
        if (marker < 0) {
            // Like libjpeg, step over anything that is not a marker.
            uchar next;
            if (!nextAfterFf(in, next))
                return finish();
            marker = next;
        }
        const int current = marker;
        marker = -1;
        if (current == 0xd9) {
            layout.complete = true;
            return finish();
        }
        if (current == 0x00 || current == 0x01 || current == 0xd8 || isRestart(current))
            continue; // no length field
        uchar high;
        uchar low;
        if (!in.next(high) || !in.next(low))
            return finish();
        const int length = high << 8 | low;
        if (length < 2)
            continue;
        // Only the frame and scan headers are looked into, and only as far as four components.
        uchar segment[6 + 3 * 4];
        const int size = length - 2;
        const int wanted
            = isFrame(current) || current == 0xda ? std::min<int>(size, sizeof segment) : 0;
        if (!in.read(segment, wanted) || !in.skip(size - wanted))
            return finish();

        if (isFrame(current) && layout.frameMarker == 0 && size >= 6) {
            layout.frameMarker = current;
            layout.precision = segment[0];
            layout.height = segment[1] << 8 | segment[2];
            layout.width = segment[3] << 8 | segment[4];
            walk.tooManyComponents = segment[5] > 4;
            walk.componentCount = std::min<int>(segment[5], 4);
            for (int i = 0; i < walk.componentCount; ++i) {
                Component &c = walk.components[size_t(i)];
                c.knownFrom.fill(unknownBits);
                if (6 + 3 * i + 2 >= wanted)
                    continue;
                c.id = segment[6 + 3 * i];
                c.horizontal = std::max(1, segment[7 + 3 * i] >> 4);
                c.vertical = std::max(1, segment[7 + 3 * i] & 0x0f);
                walk.maxHorizontal = std::max(walk.maxHorizontal, c.horizontal);
                walk.maxVertical = std::max(walk.maxVertical, c.vertical);
            }
        } else if (current == 0xda) {
            dcBlocks = readScanHeader(layout, walk, segment, wanted);
            dataStart = in.position();
            // The entropy-coded data runs to the next marker other than a stuffed zero or a
            // restart marker.
            for (;;) {
                uchar next;
                if (!nextAfterFf(in, next))
                    return finish();
                if (next != 0x00 && !isRestart(next)) {
                    marker = next;
                    break;
                }
            }
            endScanData(in.position() - 2);
        }
    }
}
