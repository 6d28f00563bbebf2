// SPDX-License-Identifier: GPL-3.0-or-later
#include "namecode.h"

#include <QTest>

using LetterCounts = QHash<QChar, int>;

class tst_NameCode : public QObject
{
    Q_OBJECT

private slots:
    void countersText_data();
    void countersText();
    void letterStatistics_data();
    void letterStatistics();
};

void tst_NameCode::countersText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    // The merged pair of 1/14 characters ties with the space and is taken first; the other way
    // would give 0,2,3,2.
    QTest::newRow("Мама Мыла Раму")
        << QStringLiteral("Мама Мыла Раму") << QStringLiteral("0,3,0,4");
    QTest::newRow("Иванов Иван Иванович")
        << QStringLiteral("Иванов Иван Иванович") << QStringLiteral("0,2,3,2");
    QTest::newRow("three symbols") << QStringLiteral("Ааа Ааа Ааб") << QStringLiteral("1,2");
    QTest::newRow("letter and space") << QStringLiteral("Ааа Ааа Ааа") << QStringLiteral("2");
    QTest::newRow("one letter") << QStringLiteral("А") << QStringLiteral("1");
    QTest::newRow("tab is not printable") << QStringLiteral("Аб\tв") << QStringLiteral("1,2");
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("nothing printable") << QStringLiteral("\n\t") << QString();
}

void tst_NameCode::countersText()
{
    QFETCH(QString, name);
    QFETCH(QString, text);

    const NameStatistics statistics = NameCode::analyse(name);
    QCOMPARE(statistics.countersText, text);
    QCOMPARE(NameCode::countersText(name), text);
}

void tst_NameCode::letterStatistics_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<LetterCounts>("counts");
    QTest::addColumn<QList<float>>("probabilities");
    QTest::addColumn<QList<int>>("counters");

    const float fourteenth = 1.0f / 14.0f;
    QTest::newRow("capitals fold into small letters")
        << QStringLiteral("Мама Мыла Раму")
        << LetterCounts {{u'м', 4}, {u'а', 4}, {u' ', 2}, {u'ы', 1}, {u'л', 1}, {u'р', 1},
               {u'у', 1}}
        << QList<float> {fourteenth, fourteenth, fourteenth, fourteenth, 2.0f / 14.0f, 4.0f / 14.0f,
               4.0f / 14.0f}
        << QList<int> {0, 3, 0, 4};
    QTest::newRow("eleven characters")
        << QStringLiteral("Ааа Ааа Ааб") << LetterCounts {{u'а', 8}, {u' ', 2}, {u'б', 1}}
        << QList<float> {1.0f / 11.0f, 2.0f / 11.0f, 8.0f / 11.0f} << QList<int> {1, 2};
    QTest::newRow("one character")
        << QStringLiteral("Ё") << LetterCounts {{u'ё', 1}} << QList<float> {1.0f} << QList<int> {1};
    QTest::newRow("empty") << QString() << LetterCounts() << QList<float>() << QList<int>();
}

void tst_NameCode::letterStatistics()
{
    QFETCH(QString, name);
    QFETCH(LetterCounts, counts);
    QFETCH(QList<float>, probabilities);
    QFETCH(QList<int>, counters);

    const NameStatistics statistics = NameCode::analyse(name);
    QCOMPARE(statistics.letterCounts, counts);
    QCOMPARE(statistics.letterProbabilities, probabilities);
    QCOMPARE(statistics.counters, counters);
}

QTEST_GUILESS_MAIN(tst_NameCode)
#include "tst_namecode.moc"
