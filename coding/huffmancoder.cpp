// SPDX-License-Identifier: GPL-3.0-or-later
#include "huffmancoder.h"

#include <algorithm>
#include <array>
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

QList<SymbolLength> HuffmanCoder::codeLengthsOfCounts(const QList<int> &counts)
{
    // Whole numbers below 2^24 and their sums are exact in a float, and the coder compares and
    // adds nothing but them; 1.0 and more weigh like any other value in takeOrder.
    constexpr qint64 exactLimit = qint64(1) << 24;
    qint64 total = 0;
    for (const int count : counts)
        total += count;
    QList<float> weights;
    weights.reserve(counts.size());
    for (const int count : counts) {
        weights.append(total < exactLimit ? float(count)
                                          : float(count) / float(total));
    }
    return codeLengths(weights);
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
    nodes.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        nodes[size_t(i)].probability = probabilities.at(i);
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

// Appends the join of the two nodes. Its fields are written in place: a node built aside and
// copied is read back before its parts are stored, which stalls the processor.
void HuffmanCoder::mergeNodes(int upper, int lower)
{
    const float probability = nodes[size_t(upper)].probability + nodes[size_t(lower)].probability;
    HuffmanNode &node = nodes.emplace_back();
    node.probability = probability;
    node.upper = upper;
    node.lower = lower;
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
        mergeNodes(second, first);
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
    // No NaN here, so plain comparisons of probabilities give takeOrder's order; a merged node
    // comes after every input symbol and wins a tie with one.
    struct Run
    {
        float probability;
        int begin; // in merged
        int end;
    };
    const int count = int(nodes.size());
    std::vector<int> merged(static_cast<size_t>(count)); // positions of merged nodes, run by run
    std::vector<Run> runs;
    runs.reserve(size_t(count));
    size_t front = 0; // the first run not yet taken up
    int input = count - 1; // the last input symbol not yet taken

    const auto take = [&]() {
        if (front == runs.size())
            return input--;
        Run &run = runs[front];
        if (input >= 0 && nodes[size_t(input)].probability < run.probability)
            return input--;
        const int latest = merged[size_t(--run.end)];
        if (run.end == run.begin)
            ++front;
        return latest;
    };

    for (int joins = 0; joins < count - 1; ++joins) {
        const int first = take();
        const int second = take();
        mergeNodes(second, first);
        const int position = int(nodes.size()) - 1;
        const float probability = nodes.back().probability;
        if (front < runs.size() && runs.back().probability == probability) {
            merged[size_t(runs.back().end++)] = position;
        } else {
            const int begin = runs.empty() ? 0 : runs.back().end;
            merged[size_t(begin)] = position;
            runs.push_back({probability, begin, begin + 1});
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

namespace {

// Every string of up to windowBits binary digits, laid out once: a de Bruijn sequence holds each
// windowBits-digit string exactly once, and a shorter one is the start of the window that
// continues it with zeros. A codeword that short becomes a QString over this static text, which
// needs no memory of its own: a plane's 512 codewords cost more to allocate than the whole code
// takes to work out. Trivially destructible, so the text outlives every string that points in.
constexpr int windowBits = 14;
constexpr int windowCount = 1 << windowBits;

struct CodewordText
{
    char16_t digits[windowCount + windowBits - 1];
    quint16 start[windowCount]; // where each window's digits begin
};

// The Fredricksen-Kessler-Maiorana construction: the Lyndon words whose length divides
// windowBits, in lexicographic order.
void lyndonWords(int t, int p, std::array<int, windowBits + 1> &a, char16_t *&out)
{
    if (t > windowBits) {
        if (windowBits % p == 0) {
            for (int i = 1; i <= p; ++i)
                *out++ = char16_t(u'0' + a[size_t(i)]);
        }
        return;
    }
    a[size_t(t)] = a[size_t(t - p)];
    lyndonWords(t + 1, p, a, out);
    if (a[size_t(t - p)] == 0) {
        a[size_t(t)] = 1;
        lyndonWords(t + 1, t, a, out);
    }
}

const CodewordText &codewordText()
{
    static const CodewordText text = [] {
        CodewordText made {};
        std::array<int, windowBits + 1> a {};
        char16_t *out = made.digits;
        lyndonWords(1, 1, a, out);
        for (int i = 0; i < windowBits - 1; ++i) // the cycle's wrap-around, written out
            *out++ = made.digits[i];
        uint window = 0;
        for (int i = 0; i < windowCount + windowBits - 1; ++i) {
            window = ((window << 1) | uint(made.digits[i] == u'1')) & (windowCount - 1);
            if (i >= windowBits - 1)
                made.start[window] = quint16(i - (windowBits - 1));
        }
        return made;
    }();
    return text;
}

QString codeword(const std::u16string &digits)
{
    const size_t length = digits.size();
    if (length > size_t(windowBits))
        return QString(reinterpret_cast<const QChar *>(digits.data()), qsizetype(length));
    uint window = 0;
    for (const char16_t digit : digits)
        window = (window << 1) | uint(digit == u'1');
    const CodewordText &text = codewordText();
    const char16_t *begin = text.digits + text.start[window << (windowBits - length)];
    return QString::fromRawData(reinterpret_cast<const QChar *>(begin), qsizetype(length));
}

} // namespace

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
        codes[k] = codeword(code);

        size_t bit = code.size();
        while (bit > 0 && code[bit - 1] == u'1')
            code[--bit] = u'0';
        if (bit > 0)
            code[bit - 1] = u'1';
        else // more codewords than the lengths allow: keep counting upwards
            code.insert(code.begin(), u'1');
    }
}
