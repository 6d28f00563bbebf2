#include "huffmancoder.h"

#include <algorithm>
#include <cmath>
#include <numeric>

QList<SymbolLength> HuffmanCoder::codeLengths(QList<float> probabilities)
{
    HuffmanCoder coder(probabilities);
    coder.buildTree();
    if (coder.waiting.empty())
        return {};
    return coder.nodes.at(coder.waiting.front().position).symbols;
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
        nodes.append(HuffmanNode {{SymbolLength {i, 0}}, probabilities.at(i)});
        waiting.push_back({probabilities.at(i), i});
    }
    std::make_heap(waiting.begin(), waiting.end(), takenLater);
}

HuffmanCoder::HuffmanCoder(const QList<SymbolLength> &lengths)
{
    nodes.append(HuffmanNode {lengths, 1.0f});
}

// The node of least probability; among equals the one nearest the end of nodes, so a merged node
// goes before an input symbol of the same probability, and a later symbol before an earlier one.
// Nodes of 1.0 or more and NaN come last but are still taken when nothing else is left: with a
// probability that rounds to 1.0, or with arbitrary input, the tree must still be completed.
bool HuffmanCoder::takenLater(const Waiting &a, const Waiting &b)
{
    const bool aNan = std::isnan(a.probability);
    const bool bNan = std::isnan(b.probability);
    if (aNan != bNan)
        return aNan;
    if (!aNan && a.probability != b.probability)
        return a.probability > b.probability;
    return a.position < b.position;
}

void HuffmanCoder::enqueue(int position)
{
    waiting.push_back({nodes.at(position).probability, position});
    std::push_heap(waiting.begin(), waiting.end(), takenLater);
}

HuffmanCoder::HuffmanNode HuffmanCoder::takeMin()
{
    std::pop_heap(waiting.begin(), waiting.end(), takenLater);
    const int position = waiting.back().position;
    waiting.pop_back();
    return std::move(nodes[position]);
}

// Stable merge of the two length-sorted lists, every length one deeper; at equal length the
// entries of upper (the node taken second) stay ahead of those of lower.
HuffmanCoder::HuffmanNode HuffmanCoder::mergeNodes(HuffmanNode upper, HuffmanNode lower)
{
    HuffmanNode merged;
    merged.probability = upper.probability + lower.probability;
    merged.symbols.resize(upper.symbols.size() + lower.symbols.size());
    SymbolLength *out = merged.symbols.data();
    const SymbolLength *u = upper.symbols.constData();
    const SymbolLength *const uEnd = u + upper.symbols.size();
    const SymbolLength *l = lower.symbols.constData();
    const SymbolLength *const lEnd = l + lower.symbols.size();
    while (u != uEnd) {
        const SymbolLength *next = (l != lEnd && l->length < u->length) ? l++ : u++;
        *out++ = {next->symbol, next->length + 1};
    }
    for (; l != lEnd; ++l)
        *out++ = {l->symbol, l->length + 1};
    return merged;
}

void HuffmanCoder::buildTree()
{
    while (waiting.size() >= 2) {
        HuffmanNode first = takeMin();
        HuffmanNode second = takeMin();
        nodes.append(mergeNodes(std::move(second), std::move(first)));
        enqueue(int(nodes.size()) - 1);
    }
}

void HuffmanCoder::computeLengthCounts()
{
    const QList<SymbolLength> &list = nodes.first().symbols;
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
        if (entry.length >= 1) // a multi-symbol code has no empty codeword
            ++lengthCounts[entry.length - 1];
    }
}

// The codeword is kept as a string of bits, not an integer: trees of skewed statistics are deeper
// than any machine word.
void HuffmanCoder::computeCodes()
{
    const QList<SymbolLength> &list = nodes.first().symbols;
    const int count = int(list.size());
    // codeLengths delivers ascending lengths; any other list is coded in that order too, so
    // every entry still gets its codeword.
    std::vector<int> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
        [&list](int a, int b) { return list.at(a).length < list.at(b).length; });

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
            code.prepend('1'); // more codewords than the lengths allow; keep counting upwards
    }
}
