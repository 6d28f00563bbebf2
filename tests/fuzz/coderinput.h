// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Probability lists for the Huffman coder decoded from arbitrary bytes, and the properties every
// code must have whatever the list. Shared by the fuzz harness and the regression test.

#include "huffmancoder.h"
#include "referencehuffman.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <queue>
#include <vector>

namespace CoderInput {

constexpr int maxSymbols = 600;

// Kinds of values, chosen by one byte each; raw bits reach every float, NaNs included.
enum Kind : quint8 {
    Raw, // the next four bytes as a float
    Zero,
    Tiny, // a denormal or the smallest normals
    One,
    Ratio, // count / total of the next two bytes (as the callers make them)
    NotANumber,
    Infinity,
    Large, // above 1, sums past 1 early
    KindCount
};

class Reader
{
public:
    explicit Reader(const QByteArray &bytes)
        : bytes(bytes)
    { }
    bool atEnd() const { return position >= bytes.size(); }
    quint8 byte() { return atEnd() ? 0 : quint8(bytes.at(position++)); }
    quint16 word() { return quint16(byte() | (byte() << 8)); }

private:
    const QByteArray &bytes;
    qsizetype position = 0;
};

// Byte 0 is the mode, bits 1-2 of it and byte 1 the length. Mode bit 0 set: "counts" lists, every
// value count / total of positive 16-bit counts, as the analysis and the homework make them;
// otherwise each value is one Kind byte plus its data.
struct Decoded
{
    QList<float> probabilities;
    std::vector<quint64> counts; // the counts of a "counts" list, else empty
};

inline Decoded decode(const QByteArray &bytes)
{
    Reader reader(bytes);
    const quint8 mode = reader.byte();
    const int count = 1 + ((mode >> 1 & 3) * 256 + reader.byte()) % maxSymbols;
    Decoded decoded;
    if (mode & 1) {
        quint64 total = 0;
        for (int i = 0; i < count; ++i) {
            decoded.counts.push_back(1 + reader.word());
            total += decoded.counts.back();
        }
        for (const quint64 c : decoded.counts)
            decoded.probabilities.append(float(c) / float(total));
        return decoded;
    }
    for (int i = 0; i < count; ++i) {
        float value = 0;
        switch (reader.byte() % KindCount) {
        case Raw: {
            const quint32 bits = quint32(reader.word()) | (quint32(reader.word()) << 16);
            std::memcpy(&value, &bits, sizeof value);
            break;
        }
        case Zero:
            value = (reader.byte() & 1) ? -0.0f : 0.0f;
            break;
        case Tiny:
            value = std::numeric_limits<float>::denorm_min() * float(1 + reader.byte());
            break;
        case One:
            value = 1.0f;
            break;
        case Ratio:
            value = float(reader.byte()) / float(1 + reader.byte());
            break;
        case NotANumber:
            value = std::numeric_limits<float>::quiet_NaN();
            break;
        case Infinity:
            value = (reader.byte() & 1) ? -std::numeric_limits<float>::infinity()
                                        : std::numeric_limits<float>::infinity();
            break;
        default:
            value = 1.0f + float(reader.byte());
            break;
        }
        decoded.probabilities.append(value);
    }
    return decoded;
}

// Byte form of a list of Kind values (for seeds): mode 0, then one Kind byte and data per value.
inline QByteArray encodeRatios(const QList<std::pair<int, int>> &ratios)
{
    QByteArray bytes;
    bytes.append(char(0));
    bytes.append(char((ratios.size() - 1) % 256));
    for (const auto &[count, total] : ratios) {
        bytes.append(char(Ratio));
        bytes.append(char(count));
        bytes.append(char(total - 1));
    }
    return bytes;
}

// The code of any list: one codeword per symbol, prefix-free and complete, counters consistent.
inline QString check(const Decoded &input, const QList<SymbolLength> &lengths,
    const QStringList &codes, const QList<int> &counters)
{
    const qsizetype n = input.probabilities.size();
    if (lengths.size() != n || codes.size() != n)
        return QStringLiteral("not one length and one codeword per symbol");
    if (n == 0)
        return counters.isEmpty() ? QString() : QStringLiteral("counters of nothing");

    std::vector<bool> seen(size_t(n), false);
    for (const SymbolLength &entry : lengths) {
        if (entry.symbol < 0 || entry.symbol >= n || seen[size_t(entry.symbol)])
            return QStringLiteral("symbols are not a permutation");
        seen[size_t(entry.symbol)] = true;
    }
    if (n == 1) {
        if (lengths.first().length != 0 || codes.first() != QLatin1String("0")
            || counters != QList<int> {1})
            return QStringLiteral("one symbol: length 0, code 0, counters 1");
        return {};
    }

    int longest = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const int length = lengths.at(i).length;
        if (length < 1 || (i > 0 && length < lengths.at(i - 1).length))
            return QStringLiteral("lengths not ascending from 1");
        if (codes.at(i).size() != length)
            return QStringLiteral("codeword %1 is not as long as its length").arg(i);
        for (const QChar c : codes.at(i)) {
            if (c != QLatin1Char('0') && c != QLatin1Char('1'))
                return QStringLiteral("codeword %1 is not binary").arg(i);
        }
        longest = std::max(longest, length);
    }

    QStringList sorted = codes;
    std::sort(sorted.begin(), sorted.end());
    for (qsizetype i = 1; i < n; ++i) {
        if (sorted.at(i).startsWith(sorted.at(i - 1)))
            return QStringLiteral("not prefix-free: ") + sorted.at(i - 1) + QStringLiteral(" / ")
                + sorted.at(i);
    }

    if (counters.size() != longest)
        return QStringLiteral("counters do not reach the longest length");
    std::vector<qint64> have(size_t(longest) + 1, 0);
    for (const SymbolLength &entry : lengths)
        ++have[size_t(entry.length)];
    // Kraft's sum is exactly 1 (a full tree): pair the nodes up from the deepest level.
    qint64 nodes = 0;
    for (int length = longest; length >= 1; --length) {
        if (counters.at(length - 1) != have[size_t(length)])
            return QStringLiteral("counter %1 is not the number of codewords").arg(length);
        nodes += have[size_t(length)];
        if (nodes % 2)
            return QStringLiteral("Kraft sum is not 1");
        nodes /= 2;
    }
    if (nodes != 1)
        return QStringLiteral("Kraft sum is not 1");

    // Where the hand construction works (every node taken is below 1.0), the code is the one a
    // student works out: the same lengths in the same order, the same codewords.
    QList<SymbolLength> reference;
    if (ReferenceHuffman::listMergingLengths(input.probabilities, &reference)) {
        if (reference.size() != n)
            return QStringLiteral("hand construction lost symbols");
        for (qsizetype i = 0; i < n; ++i) {
            if (reference.at(i).symbol != lengths.at(i).symbol
                || reference.at(i).length != lengths.at(i).length)
                return QStringLiteral("entry %1 differs from the hand construction").arg(i);
        }
        if (ReferenceHuffman::canonicalCodes(reference) != codes)
            return QStringLiteral("codewords differ from the hand construction");
    }

    if (!input.counts.empty()) {
        quint64 cost = 0;
        for (const SymbolLength &entry : lengths)
            cost += input.counts[size_t(entry.symbol)] * quint64(entry.length);
        if (cost != ReferenceHuffman::optimalCost(input.counts))
            return QStringLiteral("code is not optimal: %1 against %2")
                .arg(cost)
                .arg(ReferenceHuffman::optimalCost(input.counts));
    }
    return {};
}

inline QString run(const QByteArray &bytes)
{
    const Decoded input = decode(bytes);
    const QList<SymbolLength> lengths = HuffmanCoder::codeLengths(input.probabilities);
    return check(input, lengths, HuffmanCoder::canonicalCodes(lengths),
        HuffmanCoder::lengthCounters(lengths));
}

} // namespace CoderInput
