// SPDX-License-Identifier: GPL-3.0-or-later
#include "planestatistics.h"

#include "vectorstate.h"

#include <algorithm>
#include <cmath>
#include <vector>

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

    // Most frequent first; firstSeen is in scan order, so its index breaks ties. The key holds
    // both: the count, made to sort as unsigned and complemented, above, the index below.
    const qsizetype typeCount = histogram.firstSeen.size();
    std::vector<quint64> ranked(static_cast<size_t>(typeCount));
    for (qsizetype i = 0; i < typeCount; ++i) {
        const int count = histogram.counts[size_t(histogram.firstSeen.at(i))];
        ranked[size_t(i)] = quint64(~(quint32(count) ^ 0x80000000u)) << 32 | quint64(i);
    }
    std::sort(ranked.begin(), ranked.end());

    stats.types.reserve(typeCount);
    for (const quint64 key : ranked) {
        const int pattern = histogram.firstSeen.at(qsizetype(quint32(key)));
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

    // Single-precision running sums in row order; the logarithm is taken in double. Equal counts
    // stand together and have the same probability, so each term is worked out once for them.
    const qsizetype rows = qMin(stats.probabilities.size(), stats.lengths.size());
    float averageLength = 0;
    float entropy = 0;
    double term = 0;
    for (qsizetype i = 0; i < rows; ++i) {
        const float p = stats.probabilities.at(i);
        if (i == 0 || stats.types.at(i).count != stats.types.at(i - 1).count)
            term = std::log(double(p)) * double(p) / -0.6931471805599453;
        const int l = stats.lengths.at(i).length;
        averageLength = averageLength + p * float(l);
        entropy = float(double(entropy) + term);
    }
    stats.averageLength = averageLength;
    stats.entropy = entropy;
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
