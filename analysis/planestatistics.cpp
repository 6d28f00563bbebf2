// SPDX-License-Identifier: GPL-3.0-or-later
#include "planestatistics.h"

#include "vectorstate.h"

#include <algorithm>
#include <cmath>

PlaneStatistics PlaneStatistics::of(const QImage &plane)
{
    if (plane.isNull())
        return {};
    return fromHistogram(plane.width(), plane.height(), BlockHistogram::of(plane));
}

PlaneStatistics PlaneStatistics::fromHistogram(
    int width, int height, const BlockHistogram &histogram)
{
    VectorState::clearUpper();
    PlaneStatistics stats;
    stats.width = width;
    stats.height = height;
    stats.blockColumns = histogram.blockColumns;
    stats.blockRows = histogram.blockRows;
    stats.bits = qint64(width) * height;

    // firstSeen is in scan order, so a stable sort leaves equal counts in that order.
    QList<int> ranked = histogram.firstSeen;
    std::stable_sort(ranked.begin(), ranked.end(),
        [&](int a, int b) { return histogram.counts[size_t(a)] > histogram.counts[size_t(b)]; });

    stats.types.reserve(ranked.size());
    for (const int pattern : ranked) {
        const int count = histogram.counts[size_t(pattern)];
        stats.types.append({pattern, count, BitBlock::fromPattern(pattern)});
        stats.total += count;
    }
    if (stats.types.isEmpty())
        return stats;

    stats.probabilities.reserve(stats.types.size());
    for (const BlockType &type : std::as_const(stats.types))
        stats.probabilities.append(float(type.count) / float(stats.total));

    stats.lengths = HuffmanCoder::codeLengths(stats.probabilities);
    stats.codes = HuffmanCoder::canonicalCodes(stats.lengths);
    stats.counters = HuffmanCoder::lengthCounters(stats.lengths);

    // Single-precision running sums in row order; the logarithm is taken in double.
    const qsizetype rows = qMin(stats.probabilities.size(), stats.lengths.size());
    for (qsizetype i = 0; i < rows; ++i) {
        const float p = stats.probabilities.at(i);
        const int l = stats.lengths.at(i).length;
        stats.averageLength = stats.averageLength + p * float(l);
        stats.entropy
            = float(double(stats.entropy) + std::log(double(p)) * double(p) / -0.6931471805599453);
    }
    return stats;
}

QHash<BitBlock, int> PlaneStatistics::blockCounts() const
{
    QHash<BitBlock, int> counts;
    counts.reserve(qMax<qsizetype>(1, types.size()));
    for (const BlockType &type : types)
        counts.insert(type.block, type.count);
    return counts;
}
