// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

#include <bitset>
#include <vector>

// The pattern of every 3 x 3 block of a plane, in the grid the block statistics use (the same
// bits as BlockHistogram), for showing where block types lie.
struct BlockMap
{
    using TypeSet = std::bitset<512>;

    int blockColumns = 0;
    int blockRows = 0;
    std::vector<quint16> patterns; // block (c, r) at r * blockColumns + c

    static BlockMap of(const QImage &plane);

    int patternAt(int column, int row) const
    {
        return patterns[size_t(row) * size_t(blockColumns) + size_t(column)];
    }
    // One Format_Grayscale8 pixel per block: 255 where the block's pattern is in `types`, else 0.
    // `marked` receives the number of such blocks.
    QImage mask(const TypeSet &types, qint64 *marked = nullptr) const;
};
