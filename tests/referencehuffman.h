// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Huffman codes worked out the way a student does by hand, kept apart from the program's coder so
// tests can compare against it.

#include "huffmancoder.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <queue>
#include <vector>

namespace ReferenceHuffman {

// The hand-worked construction taken literally: search the least node from the end, merge the
// two length-sorted lists entry by entry. False when it finds no node below 1.0 while two or more
// are left, which it cannot handle.
inline bool listMergingLengths(const QList<float> &probabilities, QList<SymbolLength> *result)
{
    struct Node
    {
        QList<SymbolLength> symbols;
        float probability;
    };
    QList<Node> nodes;
    for (int i = 0; i < probabilities.size(); ++i)
        nodes.append({{{i, 0}}, probabilities.at(i)});
    const auto takeMin = [&nodes](Node *taken) {
        float least = 1.0f;
        qsizetype chosen = -1;
        for (qsizetype i = nodes.size() - 1; i >= 0; --i) {
            if (least > nodes.at(i).probability) {
                least = nodes.at(i).probability;
                chosen = i;
            }
        }
        if (chosen < 0)
            return false;
        *taken = nodes.takeAt(chosen);
        return true;
    };
    while (nodes.size() >= 2) {
        Node lower, upper;
        if (!takeMin(&lower) || !takeMin(&upper))
            return false;
        upper.probability += lower.probability;
        for (qsizetype j = 0; j < upper.symbols.size(); ++j) {
            if (!lower.symbols.isEmpty()
                && lower.symbols.constFirst().length < upper.symbols.at(j).length) {
                SymbolLength entry = lower.symbols.takeFirst();
                ++entry.length;
                upper.symbols.insert(j, entry);
            } else {
                ++upper.symbols[j].length;
            }
        }
        for (SymbolLength entry : std::as_const(lower.symbols)) {
            ++entry.length;
            upper.symbols.append(entry);
        }
        nodes.append(upper);
    }
    *result = nodes.isEmpty() ? QList<SymbolLength>() : nodes.constFirst().symbols;
    return true;
}

// Canonical codewords for lengths sorted ascending: the first of the shortest length is all
// zeros, each next one is the previous plus one, a longer length appends zeros. Strings, so any
// length works.
inline QStringList canonicalCodes(const QList<SymbolLength> &lengths)
{
    QStringList codes;
    QString code;
    for (const SymbolLength &entry : lengths) {
        if (!codes.isEmpty()) {
            // add one, carrying from the right
            int i = code.size() - 1;
            while (i >= 0 && code.at(i) == QLatin1Char('1'))
                code[i--] = QLatin1Char('0');
            if (i >= 0)
                code[i] = QLatin1Char('1');
        }
        while (code.size() < qMax(entry.length, 1))
            code.append(QLatin1Char('0'));
        codes.append(code);
    }
    return codes;
}

// Least total of count x length over all prefix codes: plain Huffman on the integer counts.
template<typename Counts>
quint64 optimalCost(const Counts &counts)
{
    std::priority_queue<quint64, std::vector<quint64>, std::greater<>> queue(
        counts.begin(), counts.end());
    quint64 cost = 0;
    while (queue.size() > 1) {
        const quint64 a = queue.top();
        queue.pop();
        const quint64 b = queue.top();
        queue.pop();
        cost += a + b;
        queue.push(a + b);
    }
    return cost;
}

} // namespace ReferenceHuffman
