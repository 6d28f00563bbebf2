#pragma once

#include <QList>
#include <QStringList>

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
        QList<SymbolLength> symbols;
        float probability = 0.0f;
    };

    explicit HuffmanCoder(const QList<float> &probabilities);
    explicit HuffmanCoder(const QList<SymbolLength> &lengths);

    HuffmanNode takeMin();
    static HuffmanNode mergeNodes(HuffmanNode upper, HuffmanNode lower);
    void buildTree();
    void computeLengthCounts();
    void computeCodes();

    QList<HuffmanNode> nodes;
    QStringList codes;
    QList<int> lengthCounts;
};
