// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QList>
#include <QString>

// The homework answer for a full name: Huffman code length counters of its characters.
struct NameStatistics
{
    QHash<QChar, int> letterCounts; // lower-cased printable characters (spaces included)
    QList<float> letterProbabilities; // count / total, ascending by count
    QString letters; // the characters in the order of letterProbabilities
    QList<int> counters; // element k = number of codewords of length k + 1
    QString countersText; // counters joined with ',' as the student types them
};

class NameCode
{
public:
    // What the name field accepts as a whole: three capitalised Russian words of up to 20
    // letters, one space apart.
    static QString fullNamePattern();
    static bool acceptable(const QString &fullName);

    static NameStatistics analyse(const QString &fullName);
    static QString countersText(const QString &fullName) { return analyse(fullName).countersText; }
    // One more occurrence of a character, inserted with 1 when it is new.
    static void addLetter(QHash<QChar, int> &letterCounts, QChar letter) { ++letterCounts[letter]; }
};
