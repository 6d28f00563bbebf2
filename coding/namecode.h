// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// The homework answer for a full name: Huffman code length counters of its characters.
struct NameStatistics
{
    QHash<QChar, int> letterCounts; // lower-cased printable characters (spaces included)
    QList<float> letterProbabilities; // count / total, ascending by count
    QString letters; // the characters in the order of letterProbabilities
    QList<int> counters; // element k = number of codewords of length k + 1
    QString countersText; // counters joined with ',' as the student types them
    // The same rule worked in exact arithmetic, as a student works it by hand: counts over the
    // common total compared as integers, so that equal fractions tie and the order of the list
    // decides. The 32-bit floats above may split such a tie the other way (their sums of equal
    // fractions can differ in the last bit); then both answers are right.
    QList<int> exactCounters;
    QString exactCountersText;

    // Every answer the check calls right: countersText first, then exactCountersText where it
    // differs.
    QStringList answers() const;
    bool answersDiffer() const { return exactCountersText != countersText; }
};

class NameCode
{
public:
    // What the name field accepts as a whole: NameRule's pattern.
    static QString fullNamePattern();
    static bool acceptable(const QString &fullName);

    static NameStatistics analyse(const QString &fullName);
    static QString countersText(const QString &fullName) { return analyse(fullName).countersText; }
    // Counters joined with ',': "0,3,0,4".
    static QString joined(const QList<int> &counters);
    // One more occurrence of a character, inserted with 1 when it is new.
    static void addLetter(QHash<QChar, int> &letterCounts, QChar letter) { ++letterCounts[letter]; }
};
