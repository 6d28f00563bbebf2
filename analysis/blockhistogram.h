// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QList>

#include <array>

// Counts of the 3 x 3 block types of a plane. Blocks are visited row by row from the top, left to
// right; a block reaching past the right or bottom edge reads the outside positions as pixel
// value 0 of the image's format (as QImage::copy fills them). A bit is 1 where QImage::pixel is
// exactly 0xff000000.
struct BlockHistogram
{
    static constexpr int patternCount = 512;

    int blockColumns = 0;
    int blockRows = 0;
    std::array<int, patternCount> counts {}; // by 9-bit pattern, bit y * 3 + x
    QList<int> firstSeen; // the patterns that occur, in order of their first block

    static BlockHistogram of(const QImage &plane);
};
