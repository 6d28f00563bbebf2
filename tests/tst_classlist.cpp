// SPDX-License-Identifier: GPL-3.0-or-later
#include "classlist.h"

#include <QTest>

class tst_ClassList : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
    void answers_data();
    void answers();
};

void tst_ClassList::names_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("entries"); // "line:name"
    QTest::addColumn<QList<int>>("problemLines");

    QTest::newRow("comments, empty lines and spaces around")
        << QByteArray("# группа 101\n\n  Мама Мыла Раму  \n\t\n   # и ещё\nИванов Иван Иванович")
        << QStringList {"3:Мама Мыла Раму", "6:Иванов Иван Иванович"} << QList<int> {};
    QTest::newRow("byte-order mark and Windows line ends")
        << QByteArray("\xEF\xBB\xBFМама Мыла Раму\r\nИванов Иван Иванович\r\n")
        << QStringList {"1:Мама Мыла Раму", "2:Иванов Иван Иванович"} << QList<int> {};
    QTest::newRow("doubled space, a no-break space, ё as е and a combining diaeresis")
        << QByteArray("Петров  Пе\xCC\x88тр\xC2\xA0Петрович\n")
        << QStringList {"1:Петров Пётр Петрович"} << QList<int> {};
    QTest::newRow("bad line in the middle, the rest still read")
        << QByteArray("Мама Мыла Раму\nиванов иван\nИванов Иван Иванович\n")
        << QStringList {"1:Мама Мыла Раму", "3:Иванов Иван Иванович"} << QList<int> {2};
    QTest::newRow("refused as the window's field refuses") << QByteArray(
        "Ivanov Ivan Ivanovich\nМама\nМама Мыла Раму Ещё\nМама Мыла Раму1\n"
        "Ааааааааааааааааааааа Б В\n") << QStringList {} << QList<int> {1, 2, 3, 4, 5};
    QTest::newRow("not UTF-8") << QByteArray("\xCC\xE0\xEC\xE0 \xCC\xfb\xeb\xe0 \xD0\xe0\xec\xf3\n")
                               << QStringList {} << QList<int> {1};
    QTest::newRow("empty file") << QByteArray() << QStringList {} << QList<int> {};
}

void tst_ClassList::names()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, entries);
    QFETCH(QList<int>, problemLines);

    const ClassList::Parsed parsed = ClassList::names(file);
    QStringList read;
    for (const ClassList::Entry &entry : parsed.entries)
        read << QString::number(entry.line) + QLatin1Char(':') + entry.name;
    QCOMPARE(read, entries);
    QList<int> lines;
    for (const ClassList::Problem &problem : parsed.problems) {
        lines << problem.line;
        QVERIFY(!problem.text.isEmpty());
    }
    QCOMPARE(lines, problemLines);
}

void tst_ClassList::answers_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("entries"); // "line:name:answer"
    QTest::addColumn<QList<int>>("problemLines");

    QTest::newRow("name, tab, counters")
        << QByteArray("Мама Мыла Раму\t0,3,0,4\n Иванов Иван Иванович \t 0, 2,3 ,2 \n")
        << QStringList {"1:Мама Мыла Раму:0,3,0,4", "2:Иванов Иван Иванович:0,2,3,2"}
        << QList<int> {};
    QTest::newRow("no tab, bad name")
        << QByteArray("Мама Мыла Раму 0,3,0,4\nмама\t1\n") << QStringList {} << QList<int> {1, 2};
    QTest::newRow("empty answer kept for the diagnosis")
        << QByteArray("Мама Мыла Раму\t\n") << QStringList {"1:Мама Мыла Раму:"} << QList<int> {};
}

void tst_ClassList::answers()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, entries);
    QFETCH(QList<int>, problemLines);

    const ClassList::Parsed parsed = ClassList::answers(file);
    QStringList read;
    for (const ClassList::Entry &entry : parsed.entries)
        read << QString::number(entry.line) + QLatin1Char(':') + entry.name + QLatin1Char(':')
                + entry.answer;
    QCOMPARE(read, entries);
    QList<int> lines;
    for (const ClassList::Problem &problem : parsed.problems)
        lines << problem.line;
    QCOMPARE(lines, problemLines);
}

QTEST_GUILESS_MAIN(tst_ClassList)
#include "tst_classlist.moc"
