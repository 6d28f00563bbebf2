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

// Huffman code construction by merging length-sorted symbol lists.
// Tie rules are fixed (see takeMin/mergeNodes) so that students can reproduce every code by hand.
class HuffmanCoder
{
public:
    // One entry per symbol, ordered by code length ascending.
    static QList<SymbolLength> codeLengths(QList<float> probabilities);
    // Canonical codewords for the list returned by codeLengths, aligned by position.
    static QStringList canonicalCodes(QList<SymbolLength> lengths);
    // Element k = number of codewords of length k + 1, up to the longest length.
    static QList<int> lengthCounters(QList<SymbolLength> lengths);

private:
    struct HuffmanNode
    {
        QList<SymbolLength> symbols; // ordered by non-decreasing length
        float probability = 0.0f;
    };

    // A node not yet taken: its probability and its position in nodes.
    struct Waiting
    {
        float probability;
        int position;
    };

    explicit HuffmanCoder(const QList<float> &probabilities);
    explicit HuffmanCoder(const QList<SymbolLength> &lengths);

    HuffmanNode takeMin();
    static HuffmanNode mergeNodes(HuffmanNode upper, HuffmanNode lower);
    void buildTree();
    void computeLengthCounts();
    void computeCodes();

    static bool takenLater(const Waiting &a, const Waiting &b);
    void enqueue(int position);

    // Nodes in the order they came into being (input symbols first, then merged nodes);
    // a taken node stays in place, emptied, so positions keep that order.
    QList<HuffmanNode> nodes;
    std::vector<Waiting> waiting; // heap: the node takeMin returns next is at the front
    QStringList codes;
    QList<int> lengthCounts;
};
