// SPDX-License-Identifier: GPL-3.0-or-later
#include "blockhistogram.h"

#include "blockscan.h"

namespace {
// Neighbouring blocks count into different tables: runs of one type (a white area) then do not
// wait on the previous block's count of the same type.
constexpr int tableCount = 4;
// Tables 2 KB apart would put the counts of one type 4 KB apart, which the processor may take
// for the same address: the padding keeps them apart.
constexpr int tableSize = BlockScan::patternCount + 16;
} // namespace

BlockHistogram BlockHistogram::of(const QImage &plane)
{
    BlockHistogram histogram;
    std::array<std::array<int, tableSize>, tableCount> raw {};
    std::array<bool, patternCount> seen {};
    std::array<int, patternCount> order {};
    int typeCount = 0;
    const QSize grid = BlockScan::forEachBlock(plane, [&](size_t q, int lane) {
        // A type's first block is also the first in its table, so only those need the check.
        if (raw[size_t(lane % tableCount)][q]++ == 0 && !seen[q]) {
            seen[q] = true;
            order[size_t(typeCount++)] = int(q);
        }
    });
    histogram.blockColumns = grid.width();
    histogram.blockRows = grid.height();

    histogram.firstSeen.reserve(typeCount);
    for (int i = 0; i < typeCount; ++i) {
        const size_t q = size_t(order[size_t(i)]);
        const int pattern = BlockScan::rawToPattern[q];
        int count = 0;
        for (const auto &table : raw)
            count += table[q];
        histogram.counts[size_t(pattern)] = count;
        histogram.firstSeen.append(pattern);
    }
    return histogram;
}
