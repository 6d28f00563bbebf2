// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One table of names for every place that judges a name by NameRule: the rule itself, the
// window's name field typed key by key, and the key tool. Columns "name" (QString) and
// "accepted" (bool).

#include <QString>
#include <QTest>

namespace NameTable {

inline void addColumns()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
}

inline void addRows()
{
    const auto row = [](const char *title, const char *name, bool accepted) {
        QTest::newRow(title) << QString::fromUtf8(name) << accepted;
    };
    row("three words", "Иванов Иван Иванович", true);
    row("hyphenated surname", "Салтыков-Щедрин Михаил Евграфович", true);
    row("Ё capital, hyphenated first name", "Ёлкина Анна-Мария Петровна", true);
    row("two words", "Ли Вэй", true);
    row("two hyphenated words", "Петров-Водкин Кузьма-Сергей", true);
    row("parts of 20 letters", "Аааааааааааааааааааа-Бббббббббббббббббббб Вв", true);
    row("one word", "Иванов", false);
    row("four words", "Иванов Иван Иванович Младший", false);
    row("part of 21 letters", "Иванов-Ааааааааааааааааааааа Иван", false);
    row("small letter after the hyphen", "Салтыков-щедрин Михаил", false);
    row("two hyphens in a row", "Салтыков--Щедрин Михаил", false);
    row("three parts", "Анна-Мария-Луиза Петрова", false);
    row("hyphen ending a word", "Иванов- Иван", false);
    row("capital inside a part", "МакДональд Рональд", false);
    row("small first letter", "иванов Иван", false);
    row("Latin", "Ivanov Ivan", false);
}

} // namespace NameTable
