// SPDX-License-Identifier: GPL-3.0-or-later
#include "huffmancoder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>
#include <string>

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
    nodes.reserve(count > 0 ? size_t(2 * count - 1) : 0);
    for (int i = 0; i < count; ++i)
        nodes.push_back(HuffmanNode {probabilities.at(i)});
    // p >= next fails for NaN; the last one >= 0 then holds for all.
    ranked = count >= 2 && probabilities.constLast() >= 0.0f;
    for (int i = 0; ranked && i + 1 < count; ++i)
        ranked = probabilities.at(i) >= probabilities.at(i + 1);
    if (ranked)
        return;
    waiting.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        waiting.push_back(takeOrder(probabilities.at(i), i));
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
    waiting.push_back(takeOrder(nodes[size_t(position)].probability, position));
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
    return {nodes[size_t(upper)].probability + nodes[size_t(lower)].probability, upper, lower};
}

void HuffmanCoder::buildTree()
{
    if (ranked) {
        buildRankedTree();
        return;
    }
    while (waiting.size() >= 2) {
        const int first = takeMin();
        const int second = takeMin();
        nodes.push_back(mergeNodes(second, first));
        enqueue(int(nodes.size()) - 1);
    }
    if (!waiting.empty())
        computeSymbols(int(nodes.size()) - 1);
}

// The same takes as the heap's, for ranked probabilities. Of the input symbols the heap always
// takes the last one left, so they are taken from the end. Merged nodes, none of them negative,
// come into being at the same or a higher probability than the one before; among equal ones the
// heap takes the latest. So they wait in runs of equal probability, oldest run first, each run
// taken from its end.
void HuffmanCoder::buildRankedTree()
{
    struct Run
    {
        quint32 order; // takeOrder's probability part
        int begin; // in merged
        int end;
    };
    const int count = int(nodes.size());
    std::vector<int> merged(
        static_cast<size_t>(count)); // positions of the nodes merged, run by run
    std::vector<Run> runs;
    runs.reserve(size_t(count));
    size_t front = 0; // the first run not yet taken up
    int input = count - 1; // the last input symbol not yet taken

    const auto take = [&]() {
        if (front == runs.size())
            return input--;
        Run &run = runs[front];
        const int latest = merged[size_t(run.end - 1)]; // of the oldest run
        if (input >= 0
            && takeOrder(nodes[size_t(input)].probability, input)
                < takeOrder(nodes[size_t(latest)].probability, latest))
            return input--;
        if (--run.end == run.begin)
            ++front;
        return latest;
    };

    for (int joins = 0; joins < count - 1; ++joins) {
        const int first = take();
        const int second = take();
        nodes.push_back(mergeNodes(second, first));
        const int position = int(nodes.size()) - 1;
        const quint32 order = quint32(takeOrder(nodes.back().probability, position) >> 32);
        if (front < runs.size() && runs.back().order == order) {
            merged[size_t(runs.back().end++)] = position;
        } else {
            const int begin = runs.empty() ? 0 : runs.back().end;
            merged[size_t(begin)] = position;
            runs.push_back({order, begin, begin + 1});
        }
    }
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
        const HuffmanNode &node = nodes[size_t(position)];
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
        const HuffmanNode &node = nodes[size_t(position)];
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
    std::u16string code(1, u'0');
    for (const int k : order) {
        const int length = list.at(k).length;
        if (length < 1)
            continue;
        if (code.size() < size_t(length))
            code.resize(size_t(length), u'0');
        codes[k] = QString(reinterpret_cast<const QChar *>(code.data()), qsizetype(code.size()));

        size_t bit = code.size();
        while (bit > 0 && code[bit - 1] == u'1')
            code[--bit] = u'0';
        if (bit > 0)
            code[bit - 1] = u'1';
        else // more codewords than the lengths allow: keep counting upwards
            code.insert(code.begin(), u'1');
    }
}
