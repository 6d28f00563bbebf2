// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "huffmanconstruction.h"
#include "tiesearch.h"

#include <QList>
#include <QString>

#include <optional>

// Why a homework answer (the code length counters of a name) differs from the lab's, told in a
// way that helps the student find the mistake without giving the answer away: never the
// expected counters, never a codeword.
class HomeworkDiagnosis
{
public:
    // In the order they are decided: the first that holds is the diagnosis.
    enum class Kind {
        Right, // the text is one of the right answers (NameStatistics::answers)
        Format, // not numbers without leading zeros, single commas, the last one not 0
        Count, // not as many codewords as distinct characters
        Kraft, // the lengths do not make a complete prefix code
        Suboptimal, // a complete code, but longer on average than the lab's
        Tie, // just as short; another choice among equal probabilities gives it
        // Just as short, but no choice among equal probabilities gives it. Never met so far:
        // reducing the two rarest characters of an optimal code leaves an optimal code, so by
        // induction every optimal list has a construction; the search still says what it finds.
        Unreachable,
    };

    // stateBudget bounds the search among equal probabilities; beyond it a tie is told without
    // its step.
    static HomeworkDiagnosis of(const QString &fullName, const QString &countersText,
        qint64 stateBudget = TieSearch::defaultBudget);
    // "right", "format", ... as the key tool prints them.
    static QString kindName(Kind kind);

    // Would another choice among equal probabilities give other counters (of the same cost) than
    // the right answers? nullopt when the search ran out of its budget first.
    static std::optional<bool> otherCountersPossible(const QString &fullName);

    Kind kind = Kind::Right;
    QString text; // Russian, one or two sentences; empty when right

    // The numbers behind it.
    int characters = 0; // distinct characters of the name
    qint64 codewords = 0; // sum of the student's counters (Count and later)
    bool countsRight = false; // Format: read as integers, the numbers are the expected ones
    int kraftSign = 0; // Kraft: the sum is above (+1) or below (-1) one
    qint64 cost = 0; // Suboptimal and later: count x length summed for the student's lengths
    qint64 optimalCost = 0; // the same for the lab's code
    // Tie: the merge step (from 1; 0 when the search was cut short), the lab's node(s) at that
    // step and the equal node(s) that give the student's counters instead, index for index.
    int tieStep = 0;
    QList<int> labNodes;
    QList<int> otherNodes;
    qint64 statesSearched = 0; // Tie and Unreachable: multisets of nodes the search looked at

    HuffmanConstruction construction; // worked exactly (Arithmetic::Exact)
};
