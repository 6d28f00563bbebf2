// SPDX-License-Identifier: GPL-3.0-or-later
#include "huffmanconstruction.h"

#include "namecode.h"

#include <algorithm>
#include <vector>

namespace {

// The stable merge of two depth-sorted lists, every depth one more; at equal depth the entries
// of upper stay ahead. This is the order in which a student lists a node's characters.
QList<SymbolLength> mergedSymbols(
    const QList<SymbolLength> &upper, const QList<SymbolLength> &lower)
{
    QList<SymbolLength> merged;
    merged.reserve(upper.size() + lower.size());
    qsizetype u = 0, l = 0;
    while (u < upper.size() || l < lower.size()) {
        const bool takeLower
            = u == upper.size() || (l < lower.size() && lower.at(l).length < upper.at(u).length);
        SymbolLength entry = takeLower ? lower.at(l++) : upper.at(u++);
        ++entry.length;
        merged.append(entry);
    }
    return merged;
}

} // namespace

HuffmanConstruction HuffmanConstruction::ofName(const QString &fullName, Arithmetic arithmetic)
{
    const NameStatistics statistics = NameCode::analyse(fullName);
    QList<int> counts;
    counts.reserve(statistics.letters.size());
    for (const QChar letter : statistics.letters)
        counts.append(statistics.letterCounts.value(letter));
    return ofCounts(statistics.letters, counts, arithmetic);
}

HuffmanConstruction HuffmanConstruction::ofCounts(
    const QString &letters, const QList<int> &counts, Arithmetic arithmetic)
{
    HuffmanConstruction construction;
    construction.arithmetic = arithmetic;
    construction.letters = letters;
    for (const int count : counts)
        construction.total += count;

    QList<float> probabilities;
    for (qsizetype i = 0; i < counts.size(); ++i) {
        const float probability = float(counts.at(i)) / float(construction.total);
        probabilities.append(probability);
        construction.nodes.append(Node {counts.at(i), probability, {{int(i), 0}}});
    }
    const bool exact = arithmetic == Arithmetic::Exact;
    construction.lengths = exact ? HuffmanCoder::codeLengthsOfCounts(counts)
                                 : HuffmanCoder::codeLengths(probabilities);
    construction.codes = HuffmanCoder::canonicalCodes(construction.lengths);
    construction.counters = HuffmanCoder::lengthCounters(construction.lengths);

    // Nodes still in the list, in list order; merged nodes go to its end, so that order is also
    // the order of their indices.
    std::vector<int> waiting(size_t(counts.size()));
    for (size_t i = 0; i < waiting.size(); ++i)
        waiting[i] = int(i);
    const auto &nodes = construction.nodes;
    const auto take = [&waiting, &nodes, exact](Tie *tie) {
        // The coder's rule: least probability (a float, or exactly the count), then the last in
        // the list.
        auto chosen = waiting.begin();
        for (auto it = waiting.begin(); it != waiting.end(); ++it) {
            const Node &node = nodes.at(*it);
            const Node &least = nodes.at(*chosen);
            if (exact ? node.count <= least.count : node.probability <= least.probability)
                chosen = it;
        }
        const int node = *chosen;
        // What the rule says for exact fractions: among the least counts, the last in the list.
        int lastOfCount = -1;
        int equals = 0;
        for (const int other : waiting) {
            if (nodes.at(other).count == nodes.at(node).count) {
                ++equals;
                lastOfCount = other;
            }
        }
        *tie = equals < 2 ? Tie::None : lastOfCount == node ? Tie::ByPosition : Tie::ByRounding;
        waiting.erase(chosen);
        return node;
    };

    while (waiting.size() >= 2) {
        Step step;
        step.first = take(&step.firstTie);
        step.second = take(&step.secondTie);
        const Node &upper = nodes.at(step.second);
        const Node &lower = nodes.at(step.first);
        Node merged {upper.count + lower.count, upper.probability + lower.probability,
            mergedSymbols(upper.symbols, lower.symbols), int(construction.steps.size()) + 1,
            step.second, step.first};
        step.merged = int(nodes.size());
        construction.nodes.append(merged);
        construction.steps.append(step);
        waiting.push_back(step.merged);
    }
    return construction;
}

int HuffmanConstruction::partingStep(
    const HuffmanConstruction &one, const HuffmanConstruction &other)
{
    // Both start from the same characters and append merged nodes in step order, so a node has
    // the same index in both as long as the steps before it agree.
    const qsizetype common = std::min(one.steps.size(), other.steps.size());
    for (qsizetype s = 0; s < common; ++s) {
        const Step &a = one.steps.at(s);
        const Step &b = other.steps.at(s);
        if (a.first != b.first || a.second != b.second)
            return int(s) + 1;
    }
    return 0;
}

QString HuffmanConstruction::nodeLabel(int node) const
{
    const auto letterText = [this](int symbol) {
        return QStringLiteral("«") + letters.at(symbol) + QStringLiteral("»");
    };
    const QList<SymbolLength> &symbols = nodes.at(node).symbols;
    if (symbols.size() == 1)
        return letterText(symbols.constFirst().symbol);
    QStringList texts;
    for (const SymbolLength &entry : symbols) {
        const QChar letter = letters.at(entry.symbol);
        texts.append(letter == QLatin1Char(' ') ? letterText(entry.symbol) : QString(letter));
    }
    return QLatin1Char('{') + texts.join(QStringLiteral(", ")) + QLatin1Char('}');
}

QString HuffmanConstruction::fractionText(int count) const
{
    return QString::number(count) + QLatin1Char('/') + QString::number(total);
}

QString HuffmanConstruction::nodeText(int node) const
{
    return nodeLabel(node) + QLatin1Char(' ') + fractionText(nodes.at(node).count);
}

QString HuffmanConstruction::tieNote(const Step &step)
{
    if (step.firstTie == Tie::ByRounding || step.secondTie == Tie::ByRounding)
        return QStringLiteral("по округлению");
    if (step.tie())
        return QStringLiteral("по порядку списка");
    return {};
}

qint64 HuffmanConstruction::cost() const
{
    qint64 sum = 0;
    for (const SymbolLength &entry : lengths)
        sum += qint64(nodes.at(entry.symbol).count) * std::max(entry.length, 1);
    return sum;
}
