// SPDX-License-Identifier: GPL-3.0-or-later
#include "fieldtext.h"

#include <QTest>

class tst_FieldText : public QObject
{
    Q_OBJECT

private slots:
    void name_data();
    void name();
    void counters_data();
    void counters();
};

void tst_FieldText::name_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("keepSpace");
    QTest::addColumn<QString>("result");

    const QString ivanov = QStringLiteral("Иванов Иван Иванович");
    QTest::newRow("already fine") << ivanov << false << ivanov;
    QTest::newRow("trailing line break") << ivanov + "\n" << false << ivanov;
    QTest::newRow("no-break spaces")
        << QStringLiteral("Иванов\u00a0Иван\u00a0Иванович") << false << ivanov;
    QTest::newRow("tab between words")
        << QStringLiteral("Иванов\tИван Иванович") << false << ivanov;
    QTest::newRow("two spaces") << QStringLiteral("Иванов  Иван   Иванович") << false << ivanov;
    QTest::newRow("spaces at both ends") << "  " + ivanov + "  " << false << ivanov;
    QTest::newRow("е with combining diaeresis")
        << QStringLiteral("Семе\u0308нов Пе\u0308тр Фе\u0308дорович") << false
        << QStringLiteral("Семёнов Пётр Фёдорович");
    QTest::newRow("non-breaking hyphen")
        << QStringLiteral("Салтыков\u2011Щедрин Михаил") << false
        << QStringLiteral("Салтыков-Щедрин Михаил");
    QTest::newRow("empty") << QString() << false << QString();
    // While typing, the space after a word is the start of the next word.
    QTest::newRow("typing: trailing space kept")
        << QStringLiteral("Иванов\u00a0") << true << QStringLiteral("Иванов ");
    QTest::newRow("typing: trailing run becomes one space")
        << QStringLiteral("Иванов \n ") << true << QStringLiteral("Иванов ");
}

void tst_FieldText::name()
{
    QFETCH(QString, text);
    QFETCH(bool, keepSpace);
    QFETCH(QString, result);
    QCOMPARE(FieldText::name(
                 text, keepSpace ? FieldText::Ending::KeepSpace : FieldText::Ending::Trimmed),
        result);
}

void tst_FieldText::counters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");

    QTest::newRow("already fine") << "0,3,0,4"
                                  << "0,3,0,4";
    QTest::newRow("space after commas") << "0, 3, 0, 4"
                                        << "0,3,0,4";
    QTest::newRow("spaces around commas") << "0 , 3  ,0 ,  4"
                                          << "0,3,0,4";
    QTest::newRow("trailing line break") << "0,3,0,4\n"
                                         << "0,3,0,4";
    QTest::newRow("no-break space after comma") << "0,\u00a03"
                                                << "0,3";
    // A space between digits is not a comma: the rule must still refuse it.
    QTest::newRow("space inside a list") << "0 3"
                                         << "0 3";
}

void tst_FieldText::counters()
{
    QFETCH(QString, text);
    QFETCH(QString, result);
    QCOMPARE(FieldText::counters(text), result);
}

QTEST_GUILESS_MAIN(tst_FieldText)
#include "tst_fieldtext.moc"
