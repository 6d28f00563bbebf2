// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bitblock.h"
#include "blockhistogram.h"
#include "huffmancoder.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QStringList>

// One block type of a plane and how many blocks have it.
struct BlockType
{
    int pattern = 0; // 9 bits, bit y * 3 + x = 1 for a black pixel
    int count = 0;
    BitBlock block; // the 3 x 3 block of the pattern
};

// The 3 x 3 block statistics of a plane and their Huffman code. Row i of the results table is
// types[i], probabilities[i], lengths[i].length and codes[i].
struct PlaneStatistics
{
    int width = 0;
    int height = 0;
    int blockColumns = 0;
    int blockRows = 0;
    int total = 0; // number of blocks, the sum of all counts
    // Most frequent first; equal counts in the order of the type's first block in the plane.
    QList<BlockType> types;
    QList<float> probabilities; // count / total in single precision
    QList<SymbolLength> lengths; // HuffmanCoder::codeLengths of probabilities
    QStringList codes; // HuffmanCoder::canonicalCodes of lengths
    QList<int> counters; // HuffmanCoder::lengthCounters of lengths
    float averageLength = 0; // bits per block, summed in row order
    float entropy = 0; // bits per block, summed in row order
    qint64 bits = 0; // width * height, the plane's size before coding, exact at any size

    static PlaneStatistics of(const QImage &plane);
    static PlaneStatistics fromHistogram(int width, int height, const BlockHistogram &histogram);

    // bits / 8192, the size in kilobytes; exact, since bits stays far below 2^53
    double kilobytes() const { return double(bits) / 8192; }
    // The block-type table: each type with its count.
    QHash<BitBlock, int> blockCounts() const;
};
