// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// A class's file for the teacher's key: one student a line, in UTF-8 (a byte-order mark and
// Windows line ends are fine); empty lines and lines starting with # are skipped. Names and
// counters are shaped as the window's fields shape pasted text (FieldText), and a name counts
// when the window's name field would then take it.
class ClassList
{
public:
    struct Entry
    {
        int line = 0; // from 1
        QString name;
        QString answer; // the counters after the tab, for a file of answers
    };
    struct Problem
    {
        int line = 0;
        QString text; // what is wrong, in Russian
    };
    struct Parsed
    {
        QList<Entry> entries;
        QList<Problem> problems;
    };

    // One full name a line.
    static Parsed names(const QByteArray &contents);
    // "full name<TAB>counters" a line: the answers a class handed in.
    static Parsed answers(const QByteArray &contents);
};
