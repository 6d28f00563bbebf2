// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QBitArray>
#include <QHash>
#include <QImage>
#include <QSize>

// A block of a bit plane: bit y * width + x is 1 where the pixel is opaque black.
// Two blocks are the same type when their bits are equal; width and height do not count.
class BitBlock : public QBitArray
{
public:
    BitBlock() = default;
    // Bit (x, y) is 1 exactly when image.pixel(x, y) == 0xff000000.
    explicit BitBlock(const QImage &image);
    BitBlock(bool value, const QSize &size);

    // A 3 x 3 block whose bit i is bit i of the 9-bit pattern (bits 0-2 top row, left to right).
    static BitBlock fromPattern(int pattern);

    // The block's picture for the results table: black on light grey, scaled to 16 x 16.
    QImage toImage() const;

    int width = 0;
    int height = 0;
};

inline size_t qHash(const BitBlock &block, size_t seed = 0) noexcept
{
    return qHash(static_cast<const QBitArray &>(block), seed);
}

// Absent type: insert a copy with count 1; present type: add 1 to its count.
void countBlock(QHash<BitBlock, int> &counts, const BitBlock &block);
