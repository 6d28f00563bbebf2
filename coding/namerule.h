// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Which full names the homework takes, written as a passport writes them: two or three words
// (the patronymic may be absent) one space apart; each word a capital and small Russian letters,
// or two such parts joined by one hyphen (Салтыков-Щедрин, Анна-Мария); Ё is a capital like the
// others; each part at most 20 letters. The window's name field and every command of the key
// tool judge names by this one rule, so a teacher never hands out an answer that a student
// cannot type. The hyphen, like the space, is a character of the name and is coded with it.
class NameRule
{
public:
    // The whole rule as a regular expression; a validator built on it also tells a name still
    // being typed ("Салтыков-") from one that can never fit.
    static QString pattern();
    static bool acceptable(const QString &fullName);
    // What the rule accepts, as messages and the key tool say it, to follow "Поле принимает " or
    // "нужны ": "два или три слова ...".
    static QString description();
    // The same in one short line, for the red line over the field: "два-три слова ...".
    static QString briefDescription();
    // Why this finished name is refused, in a few words ("слово «иванов» начинается со строчной
    // буквы"); empty when it is acceptable.
    static QString problem(const QString &fullName);

    static constexpr int maxWords = 3;
    static constexpr int minWords = 2;
    static constexpr int maxSmallLetters = 19; // after the capital of each part
};
