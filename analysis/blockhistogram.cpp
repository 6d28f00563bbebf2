// SPDX-License-Identifier: GPL-3.0-or-later
#include "blockhistogram.h"

#include "blockscan.h"

BlockHistogram BlockHistogram::of(const QImage &plane)
{
    BlockHistogram histogram;
    std::array<int, patternCount> raw {};
    std::array<int, patternCount> order {};
    int typeCount = 0;
    const QSize grid = BlockScan::forEachBlock(plane, [&](uint q) {
        if (raw[q]++ == 0)
            order[size_t(typeCount++)] = int(q);
    });
    histogram.blockColumns = grid.width();
    histogram.blockRows = grid.height();

    histogram.firstSeen.reserve(typeCount);
    for (int i = 0; i < typeCount; ++i) {
        const int q = order[size_t(i)];
        const int pattern = BlockScan::rawToPattern[size_t(q)];
        histogram.counts[size_t(pattern)] = raw[size_t(q)];
        histogram.firstSeen.append(pattern);
    }
    return histogram;
}
