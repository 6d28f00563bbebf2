// SPDX-License-Identifier: GPL-3.0-or-later
#include "plaincsv.h"
#include "planestatistics.h"
#include "resultstable.h"
#include "testpictures.h"

#include <QTest>

class tst_ResultsTable : public QObject
{
    Q_OBJECT

private slots:
    void patternText_data();
    void patternText();
    void cells_data();
    void cells();
    void csvRoundTrip();
};

void tst_ResultsTable::patternText_data()
{
    QTest::addColumn<int>("pattern");
    QTest::addColumn<QString>("text");

    QTest::newRow("top left pixel is the first bit") << 1 << QStringLiteral("100000000");
    QTest::newRow("top row") << 7 << QStringLiteral("111000000");
    QTest::newRow("middle row, left pixel") << 8 << QStringLiteral("000100000");
    QTest::newRow("bottom right pixel is the last bit") << 256 << QStringLiteral("000000001");
    QTest::newRow("all black") << 511 << QStringLiteral("111111111");
}

void tst_ResultsTable::patternText()
{
    QFETCH(int, pattern);
    QFETCH(QString, text);
    QCOMPARE(ResultsTable::patternText(pattern), text);
}

void tst_ResultsTable::cells_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");
    QTest::addColumn<SpreadsheetText::Kind>("kind");

    using K = SpreadsheetText::Kind;
    QTest::newRow("block as its bits, text") << 2 << 0 << QStringLiteral("110000000") << K::Digits;
    QTest::newRow("count, number") << 0 << 1 << QStringLiteral("6") << K::Number;
    // 6/22 is 0.272727 in the table.
    QTest::newRow("probability with a decimal comma")
        << 0 << 2 << QStringLiteral("0,272727") << K::Number;
    QTest::newRow("hidden row: the typed text") << 1 << 3 << QStringLiteral("011") << K::Digits;
    QTest::newRow("hidden row, nothing typed: empty, not the code")
        << 4 << 3 << QString() << K::Digits;
    QTest::newRow("length, number") << 6 << 4 << QStringLiteral("5") << K::Number;
    QTest::newRow("past the last row: empty") << 7 << 1 << QString() << K::Label;
}

void tst_ResultsTable::cells()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    QFETCH(SpreadsheetText::Kind, kind);
    const PlaneStatistics stats = PlaneStatistics::of(TestPictures::sevenTypes());
    QCOMPARE(stats.types.size(), 7);
    const ResultsTable table(stats, {QStringLiteral("00"), QStringLiteral("011"), QString()});
    QCOMPARE(table.cell(row, column).text, text);
    QCOMPARE(table.cell(row, column).kind, kind);
}

// What a spreadsheet reads from the saved file: the titles, numbers with decimal commas that
// are the table's values, codes and bits with their leading zeros.
void tst_ResultsTable::csvRoundTrip()
{
    // 1 block in 29241: a probability the table writes in exponent form.
    QList<int> patterns(29241, 0);
    for (int i = 0; i < 8; ++i)
        patterns[i] = 1 << i;
    const PlaneStatistics stats = PlaneStatistics::of(TestPictures::planeOfPatterns(patterns, 171));
    QCOMPARE(stats.total, 29241);
    // Whatever the student typed comes back as typed, quotes and semicolons included.
    const QStringList typed {QStringLiteral("0"), QStringLiteral("0010"), QStringLiteral("=1+1"),
        QStringLiteral("\"0\";1")};
    const PlainCsv::Table csv
        = PlainCsv::parse(SpreadsheetText::csv(ResultsTable(stats, typed).all()));

    QVERIFY(csv.byteOrderMark);
    QCOMPARE(csv.records.size(), stats.types.size() + 1);
    QCOMPARE(csv.records.first(), ResultsTable::columnTitles());
    for (qsizetype row = 0; row < stats.types.size(); ++row) {
        const QStringList &fields = csv.records.at(row + 1);
        QCOMPARE(fields.size(), 5);
        QCOMPARE(
            PlainCsv::textOf(fields.at(0)), ResultsTable::patternText(stats.types.at(row).pattern));
        bool ok = false;
        QCOMPARE(PlainCsv::numberOf(fields.at(1), &ok), double(stats.types.at(row).count));
        QVERIFY(ok);
        const double probability = PlainCsv::numberOf(fields.at(2), &ok);
        QVERIFY2(ok, qPrintable(fields.at(2)));
        QCOMPARE(float(probability), stats.probabilities.at(row));
        const QString code
            = row < ResultsTable::hiddenRows ? typed.value(row) : stats.codes.at(row);
        QCOMPARE(PlainCsv::textOf(fields.at(3)), code);
        QCOMPARE(PlainCsv::numberOf(fields.at(4), &ok), double(stats.lengths.at(row).length));
    }
    // The last rows hold the blocks seen once.
    QCOMPARE(csv.records.last().at(2), QStringLiteral("0,0000341986"));
}

QTEST_GUILESS_MAIN(tst_ResultsTable)
#include "tst_resultstable.moc"
