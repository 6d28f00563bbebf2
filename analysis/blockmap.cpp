// SPDX-License-Identifier: GPL-3.0-or-later
#include "blockmap.h"

#include "blockscan.h"

BlockMap BlockMap::of(const QImage &plane)
{
    BlockMap map;
    if (plane.isNull())
        return map;
    const int columns = plane.width() / 3 + (plane.width() % 3 ? 1 : 0);
    const int rows = plane.height() / 3 + (plane.height() % 3 ? 1 : 0);
    map.patterns.resize(size_t(columns) * size_t(rows));
    quint16 *next = map.patterns.data();
    BlockScan::forEachBlock(
        plane, [&](size_t raw, int) { *next++ = quint16(BlockScan::rawToPattern[raw]); });
    map.blockColumns = columns;
    map.blockRows = rows;
    return map;
}

QImage BlockMap::mask(const TypeSet &types, qint64 *marked) const
{
    qint64 count = 0;
    QImage cells;
    if (blockColumns > 0 && blockRows > 0) {
        cells = QImage(blockColumns, blockRows, QImage::Format_Grayscale8);
        std::array<uchar, 512> value {};
        for (size_t pattern = 0; pattern < value.size(); ++pattern)
            value[pattern] = types.test(pattern) ? 255 : 0;
        const quint16 *pattern = patterns.data();
        for (int r = 0; r < blockRows; ++r) {
            uchar *line = cells.scanLine(r);
            for (int c = 0; c < blockColumns; ++c) {
                line[c] = value[*pattern++ & 511];
                count += line[c] & 1;
            }
        }
    }
    if (marked)
        *marked = count;
    return cells;
}
