// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QStringList>

#include <vector>

// One input symbol (its position in the probability list) and its code length.
struct SymbolLength
{
    int symbol = 0;
    int length = 0;
};

// Huffman code construction with fixed tie rules (see takeMin and computeSymbols), so that
// students can reproduce every code by hand.
class HuffmanCoder
{
public:
    // One entry per symbol, ordered by code length ascending.
    static QList<SymbolLength> codeLengths(QList<float> probabilities);
    // The same construction and tie rules on whole counts instead of probabilities: a node weighs
    // the count of its symbols, so weights are compared and summed exactly and nodes whose
    // fractions are equal tie, as they do for a student working with fractions by hand (the
    // floats count / total of codeLengths can split such a tie by a last bit). Every count must
    // be positive; a total of 2^24 or more, beyond what a float holds exactly, is coded from
    // count / total like codeLengths.
    static QList<SymbolLength> codeLengthsOfCounts(const QList<int> &counts);
    // Canonical codewords for the list returned by codeLengths, aligned by position.
    static QStringList canonicalCodes(QList<SymbolLength> lengths);
    // Element k = number of codewords of length k + 1, up to the longest length.
    static QList<int> lengthCounters(QList<SymbolLength> lengths);

private:
    // A node of the code tree: an input symbol (no children) or the join of two nodes, where
    // upper is the node taken second and lower the node taken first.
    struct HuffmanNode
    {
        float probability = 0.0f;
        int upper = -1; // positions in nodes
        int lower = -1;
    };

    explicit HuffmanCoder(const QList<float> &probabilities);
    explicit HuffmanCoder(const QList<SymbolLength> &lengths);

    int takeMin();
    void mergeNodes(int upper, int lower);
    void buildTree();
    void buildRankedTree();
    void computeSymbols(int root);
    void computeLengthCounts();
    void computeCodes();

    static quint64 takeOrder(float probability, int position);
    void enqueue(int position);

    // Nodes in the order they came into being (input symbols first, at their input positions,
    // then merged nodes); a taken node stays in place, so positions keep that order.
    std::vector<HuffmanNode> nodes;
    std::vector<quint64> waiting; // takeOrder of the nodes not yet taken, a min-heap
    // Probabilities most probable first, none negative or NaN (as ranked block types come):
    // buildRankedTree takes the nodes in the same order without the heap.
    bool ranked = false;
    QList<SymbolLength> symbols; // the finished list of (symbol, length), shortest first
    QStringList codes;
    QList<int> lengthCounts;
};
