// SPDX-License-Identifier: GPL-3.0-or-later
#include "spreadsheettext.h"

#include <QTest>

using Cell = SpreadsheetText::Cell;
using Kind = SpreadsheetText::Kind;
using Rows = QList<SpreadsheetText::Row>;

Q_DECLARE_METATYPE(SpreadsheetText::Cell)

class tst_SpreadsheetText : public QObject
{
    Q_OBJECT

private slots:
    void csvField_data();
    void csvField();
    void tsv_data();
    void tsv();
    void html();
};

void tst_SpreadsheetText::csvField_data()
{
    QTest::addColumn<Cell>("cell");
    QTest::addColumn<QString>("field");

    QTest::newRow("code with leading zeros as a text formula")
        << Cell {QStringLiteral("0010"), Kind::Digits} << QStringLiteral("\"=\"\"0010\"\"\"");
    QTest::newRow("empty code cell stays empty") << Cell {QString(), Kind::Digits} << QString();
    QTest::newRow("decimal comma quoted")
        << Cell {QStringLiteral("0,5"), Kind::Number} << QStringLiteral("\"0,5\"");
    QTest::newRow("whole number bare")
        << Cell {QStringLiteral("12607"), Kind::Number} << QStringLiteral("12607");
    QTest::newRow("header bare") << Cell {QStringLiteral("код Хаффмана"), Kind::Label}
                                 << QStringLiteral("код Хаффмана");
    QTest::newRow("semicolon quoted")
        << Cell {QStringLiteral("а;б"), Kind::Label} << QStringLiteral("\"а;б\"");
    QTest::newRow("quote doubled")
        << Cell {QStringLiteral("a\"b"), Kind::Label} << QStringLiteral("\"a\"\"b\"");
    QTest::newRow("typed quote inside a text formula")
        << Cell {QStringLiteral("1\"0"), Kind::Digits} << QStringLiteral("\"=\"\"1\"\"\"\"0\"\"\"");
    QTest::newRow("surrounding space quoted")
        << Cell {QStringLiteral(" 01"), Kind::Label} << QStringLiteral("\" 01\"");
    QTest::newRow("line break quoted")
        << Cell {QStringLiteral("a\nb"), Kind::Label} << QStringLiteral("\"a\nb\"");
}

void tst_SpreadsheetText::csvField()
{
    QFETCH(Cell, cell);
    QFETCH(QString, field);
    const QByteArray csv = SpreadsheetText::csv({{{QStringLiteral("x"), Kind::Label}, cell}});
    QCOMPARE(csv, QByteArray("\xEF\xBB\xBF") + "x;" + field.toUtf8() + '\n');
}

void tst_SpreadsheetText::tsv_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("text");

    QTest::newRow("one cell alone, no line break")
        << Rows {{{QStringLiteral("0010"), Kind::Digits}}} << QStringLiteral("0010");
    QTest::newRow("rows end in line breaks")
        << Rows {{{QStringLiteral("a"), Kind::Label}, {QStringLiteral("0,5"), Kind::Number}},
               {{QString(), Kind::Digits}, {QStringLiteral("1"), Kind::Number}}}
        << QStringLiteral("a\t0,5\n\t1\n");
    QTest::newRow("tab and line break inside a cell become spaces")
        << Rows {{{QStringLiteral("0\t1\n"), Kind::Digits}, {QStringLiteral("2"), Kind::Number}}}
        << QStringLiteral("0 1 \t2\n");
}

void tst_SpreadsheetText::tsv()
{
    QFETCH(Rows, rows);
    QFETCH(QString, text);
    QCOMPARE(SpreadsheetText::tsv(rows), text);
}

void tst_SpreadsheetText::html()
{
    const QString html = SpreadsheetText::html({{{QStringLiteral("0010"), Kind::Digits},
        {QStringLiteral("0,5"), Kind::Number}, {QStringLiteral("<a&b>"), Kind::Label}}});
    QVERIFY2(html.contains(QStringLiteral("<td sdnum=\"1049;0;@\">0010</td>")), qPrintable(html));
    QVERIFY2(html.contains(QStringLiteral("<td>0,5</td>")), qPrintable(html));
    QVERIFY2(html.contains(QStringLiteral("<td>&lt;a&amp;b&gt;</td>")), qPrintable(html));
    QVERIFY(html.contains(QStringLiteral("charset=\"utf-8\"")));
}

QTEST_GUILESS_MAIN(tst_SpreadsheetText)
#include "tst_spreadsheettext.moc"
