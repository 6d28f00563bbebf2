// SPDX-License-Identifier: GPL-3.0-or-later
#include "huffmancoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>

QList<SymbolLength> HuffmanCoder::codeLengths(QList<float> probabilities)
{
    HuffmanCoder coder(probabilities);
    coder.buildTree();
    return coder.symbols;
}

QStringList HuffmanCoder::canonicalCodes(QList<SymbolLength> lengths)
{
    if (lengths.isEmpty())
        return {};
    if (lengths.size() == 1)
        return {QStringLiteral("0")};
    HuffmanCoder coder(lengths);
    coder.computeCodes();
    return coder.codes;
}

QList<int> HuffmanCoder::lengthCounters(QList<SymbolLength> lengths)
{
    if (lengths.isEmpty())
        return {};
    HuffmanCoder coder(lengths);
    coder.computeLengthCounts();
    return coder.lengthCounts;
}

HuffmanCoder::HuffmanCoder(const QList<float> &probabilities)
{
    const int count = int(probabilities.size());
    nodes.reserve(count > 0 ? 2 * count - 1 : 0);
    waiting.reserve(count);
    for (int i = 0; i < count; ++i) {
        nodes.append(HuffmanNode {probabilities.at(i)});
        waiting.push_back(takeOrder(probabilities.at(i), i));
    }
    std::make_heap(waiting.begin(), waiting.end(), std::greater<>());
}

HuffmanCoder::HuffmanCoder(const QList<SymbolLength> &lengths)
    : symbols(lengths)
{ }

// takeMin takes the node of least probability; among equals the one nearest the end of nodes, so
// a merged node goes before an input symbol of the same probability and a later symbol before an
// earlier one. Nodes of 1.0 or more and NaN come last but are still taken when nothing else is
// left: a probability may round to 1.0 beside other symbols, and any input must give a full tree.
// The key packs that order into one integer, smallest first: the float's bits made to sort as
// unsigned (+0 and -0 as one, every NaN above +inf), then the position reversed.
quint64 HuffmanCoder::takeOrder(float probability, int position)
{
    quint32 bits = 0xffffffffu;
    if (!std::isnan(probability)) {
        if (probability == 0.0f)
            probability = 0.0f;
        std::memcpy(&bits, &probability, sizeof bits);
        bits = (bits & 0x80000000u) ? ~bits : (bits | 0x80000000u);
    }
    return (quint64(bits) << 32) | quint32(~quint32(position));
}

void HuffmanCoder::enqueue(int position)
{
    waiting.push_back(takeOrder(nodes.at(position).probability, position));
    std::push_heap(waiting.begin(), waiting.end(), std::greater<>());
}

int HuffmanCoder::takeMin()
{
    std::pop_heap(waiting.begin(), waiting.end(), std::greater<>());
    const int position = int(~quint32(waiting.back()));
    waiting.pop_back();
    return position;
}

HuffmanCoder::HuffmanNode HuffmanCoder::mergeNodes(int upper, int lower) const
{
    return {nodes.at(upper).probability + nodes.at(lower).probability, upper, lower};
}

void HuffmanCoder::buildTree()
{
    while (waiting.size() >= 2) {
        const int first = takeMin();
        const int second = takeMin();
        nodes.append(mergeNodes(second, first));
        enqueue(int(nodes.size()) - 1);
    }
    if (!waiting.empty())
        computeSymbols(int(nodes.size()) - 1);
}

// Hand-worked codes merge the two nodes' lists of (symbol, length) at every join: a stable merge
// by length, every length one deeper, the entries of upper ahead of those of lower at equal
// length. The root's list is therefore its leaves sorted stably by depth, taken in the order
// "upper subtree before lower subtree" at every join. Reading that off the finished tree gives
// the same list without copying lists at each join.
void HuffmanCoder::computeSymbols(int root)
{
    std::vector<int> depth(nodes.size(), 0);
    int deepest = 0;
    for (int position = root; position >= 0; --position) { // children precede their parent
        const HuffmanNode &node = nodes.at(position);
        if (node.upper < 0)
            continue;
        depth[node.upper] = depth[node.lower] = depth[position] + 1;
        deepest = std::max(deepest, depth[position] + 1);
    }

    std::vector<int> leaves; // input symbols, upper subtrees first
    leaves.reserve((nodes.size() + 1) / 2);
    std::vector<int> pending {root};
    while (!pending.empty()) {
        const int position = pending.back();
        pending.pop_back();
        const HuffmanNode &node = nodes.at(position);
        if (node.upper < 0) {
            leaves.push_back(position);
        } else {
            pending.push_back(node.lower);
            pending.push_back(node.upper);
        }
    }

    std::vector<qsizetype> next(deepest + 2, 0); // first free slot of each depth
    for (const int leaf : leaves)
        ++next[depth[leaf] + 1];
    std::partial_sum(next.begin(), next.end(), next.begin());
    symbols.resize(qsizetype(leaves.size()));
    for (const int leaf : leaves)
        symbols[next[depth[leaf]]++] = {leaf, depth[leaf]};
}

void HuffmanCoder::computeLengthCounts()
{
    const QList<SymbolLength> &list = symbols;
    lengthCounts.clear();
    if (list.size() == 1) {
        lengthCounts.append(1);
        return;
    }
    int longest = 0;
    for (const SymbolLength &entry : list)
        longest = std::max(longest, entry.length);
    lengthCounts.fill(0, longest);
    for (const SymbolLength &entry : list) {
        if (entry.length >= 1) // a code of several symbols has no empty codeword
            ++lengthCounts[entry.length - 1];
    }
}

// The codeword is kept as a string of bits, not as an integer: trees of skewed statistics are
// deeper than any machine word.
void HuffmanCoder::computeCodes()
{
    const QList<SymbolLength> &list = symbols;
    const int count = int(list.size());
    // codeLengths delivers ascending lengths; any other list is coded in that order as well, so
    // that every entry still gets its codeword.
    const auto shorter = [&list](int a, int b) { return list.at(a).length < list.at(b).length; };
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    if (!std::is_sorted(order.begin(), order.end(), shorter))
        std::stable_sort(order.begin(), order.end(), shorter);

    codes.clear();
    codes.resize(count);
    QByteArray code("0");
    for (const int k : order) {
        const int length = list.at(k).length;
        if (length < 1)
            continue;
        while (code.size() < length)
            code.append('0');
        codes[k] = QString::fromLatin1(code);

        qsizetype bit = code.size() - 1;
        while (bit >= 0 && code.at(bit) == '1')
            code[bit--] = '0';
        if (bit >= 0)
            code[bit] = '1';
        else
            code.prepend('1'); // more codewords than the lengths allow: keep counting upwards
    }
}
