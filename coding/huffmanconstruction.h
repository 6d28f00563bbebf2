// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "huffmancoder.h"

#include <QList>
#include <QString>
#include <QStringList>

// The Huffman code of a name's characters built step by step, the way the homework check builds
// it: which two nodes each step takes, and where nodes of equal probability were decided by the
// order of the list. The code lengths and codewords are the coder's own.
//
// The rule: take the node of least probability; among nodes of equal probability the one
// standing last in the list, where every merged node is appended. Worked with the lab's 32-bit
// floats (count / total and float sums), two fractions that are equal can differ in the last
// bit and the smaller float is taken, whatever the list says. Worked exactly, as a student does
// with fractions, equal fractions always tie and the list decides. The homework check accepts
// the counters of either construction.
class HuffmanConstruction
{
public:
    enum class Arithmetic {
        Float32, // the lab's own: probabilities and their sums as 32-bit floats
        Exact, // counts over the common total, compared as whole numbers
    };

    // How a take among nodes of equal count was decided.
    enum class Tie {
        None, // no other node had the same count
        ByPosition, // the node furthest down the list, as the rule says
        ByRounding, // the float sums of equal fractions differ in the last bit and chose otherwise
    };

    struct Node
    {
        int count = 0; // occurrences of the node's characters together
        float probability = 0.0f; // as the coder holds it: count / total, or a sum of those
        QList<SymbolLength> symbols; // characters below (index into letters), depth below this node
        int step = 0; // the merge step that made it, counted from 1; 0 for a character
        int upper = -1; // the node taken second
        int lower = -1; // the node taken first
    };

    struct Step
    {
        int first = -1; // node taken first
        int second = -1; // node taken second
        int merged = -1; // the new node
        Tie firstTie = Tie::None;
        Tie secondTie = Tie::None;
        bool tie() const { return firstTie != Tie::None || secondTie != Tie::None; }
    };

    static HuffmanConstruction ofName(
        const QString &fullName, Arithmetic arithmetic = Arithmetic::Float32);
    // letters.at(i) occurs counts.at(i) times; the list must be ordered as the coder receives it.
    static HuffmanConstruction ofCounts(const QString &letters, const QList<int> &counts,
        Arithmetic arithmetic = Arithmetic::Float32);
    // The first step (from 1) at which two constructions of the same name take other nodes; 0
    // when they take the same nodes throughout.
    static int partingStep(const HuffmanConstruction &one, const HuffmanConstruction &other);

    // "«а»", "« »" for the space, "{у, ы}" for a merged node.
    QString nodeLabel(int node) const;
    // "2/14"
    QString fractionText(int count) const;
    // nodeLabel and fractionText: "{у, ы} 2/14"
    QString nodeText(int node) const;
    // How the step's takes among equal counts were decided: "по порядку списка",
    // "по округлению" or empty when no node had an equal.
    static QString tieNote(const Step &step);
    // Total of count x code length over all characters.
    qint64 cost() const;

    Arithmetic arithmetic = Arithmetic::Float32;
    QString letters; // ascending by count, equal counts by character code
    int total = 0; // number of characters of the name
    QList<Node> nodes; // the characters first, at their positions in letters, then merged nodes
    QList<Step> steps;
    QList<SymbolLength> lengths; // HuffmanCoder::codeLengths
    QStringList codes; // HuffmanCoder::canonicalCodes, aligned with lengths
    QList<int> counters; // HuffmanCoder::lengthCounters
};
