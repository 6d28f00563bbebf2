// SPDX-License-Identifier: GPL-3.0-or-later
#include "namecode.h"

#include "huffmancoder.h"
#include "namerule.h"

#include <QStringList>

#include <algorithm>
#include <utility>
#include <vector>

QStringList NameStatistics::answers() const
{
    QStringList texts {countersText};
    if (answersDiffer())
        texts.append(exactCountersText);
    return texts;
}

QString NameCode::fullNamePattern()
{
    return NameRule::pattern();
}

bool NameCode::acceptable(const QString &fullName)
{
    return NameRule::acceptable(fullName);
}

QString NameCode::joined(const QList<int> &counters)
{
    QStringList texts;
    for (const int counter : counters)
        texts.append(QString::number(counter));
    return texts.join(QLatin1Char(','));
}

NameStatistics NameCode::analyse(const QString &fullName)
{
    NameStatistics statistics;
    int total = 0;
    for (const QChar c : fullName) {
        if (!c.isPrint())
            continue;
        addLetter(statistics.letterCounts, c.toLower());
        ++total;
    }
    if (total == 0)
        return statistics;

    // Equal counts carry equal probabilities; ordering them by character keeps the list the
    // same on every run, whatever the hash order.
    std::vector<std::pair<int, char16_t>> byCount;
    byCount.reserve(statistics.letterCounts.size());
    for (auto it = statistics.letterCounts.cbegin(); it != statistics.letterCounts.cend(); ++it)
        byCount.emplace_back(it.value(), it.key().unicode());
    std::sort(byCount.begin(), byCount.end());
    QList<int> counts;
    for (const auto &entry : byCount) {
        statistics.letterProbabilities.append(float(entry.first) / float(total));
        statistics.letters.append(QChar(entry.second));
        counts.append(entry.first);
    }

    statistics.counters
        = HuffmanCoder::lengthCounters(HuffmanCoder::codeLengths(statistics.letterProbabilities));
    statistics.countersText = joined(statistics.counters);
    statistics.exactCounters = HuffmanCoder::lengthCounters(HuffmanCoder::codeLengthsOfCounts(counts));
    statistics.exactCountersText = joined(statistics.exactCounters);
    return statistics;
}
