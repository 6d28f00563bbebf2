// SPDX-License-Identifier: GPL-3.0-or-later
#include "namecode.h"

#include "huffmancoder.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <utility>
#include <vector>

QString NameCode::fullNamePattern()
{
    // {0,19} rather than {,19}: PCRE2 reads "{,19}" as literal text, not as a repeat count.
    // The capitals А-Я do not include Ё; ё is listed apart, as it lies outside а-я.
    return QStringLiteral("[А-Я][а-яё]{0,19} [А-Я][а-яё]{0,19} [А-Я][а-яё]{0,19}");
}

bool NameCode::acceptable(const QString &fullName)
{
    static const QRegularExpression whole(QRegularExpression::anchoredPattern(fullNamePattern()));
    return whole.match(fullName).hasMatch();
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
    for (const auto &entry : byCount) {
        statistics.letterProbabilities.append(float(entry.first) / float(total));
        statistics.letters.append(QChar(entry.second));
    }

    statistics.counters
        = HuffmanCoder::lengthCounters(HuffmanCoder::codeLengths(statistics.letterProbabilities));
    QStringList texts;
    for (const int counter : std::as_const(statistics.counters))
        texts.append(QString::number(counter));
    statistics.countersText = texts.join(QLatin1Char(','));
    return statistics;
}
