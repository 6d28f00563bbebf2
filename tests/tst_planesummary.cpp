// SPDX-License-Identifier: GPL-3.0-or-later
// The figures of all planes of a picture, as the comparison tab and the key tool's summary show
// them, against the report of each plane and an independent optimal code cost.

#include "bitplanes.h"
#include "planereport.h"
#include "planestatistics.h"
#include "planesummary.h"
#include "referencehuffman.h"
#include "testpictures.h"

#include <QTest>

using namespace TestPictures;

class tst_PlaneSummary : public QObject
{
    Q_OBJECT

private slots:
    void agreesWithReport_data();
    void agreesWithReport();
    void spreadsheet_data();
    void spreadsheet();
};

void tst_PlaneSummary::agreesWithReport_data()
{
    QTest::addColumn<QImage>("picture");

    const QList<QPair<const char *, QString>> builtIn
        = {{"Лена", "lena"}, {"Барбара", "barbara"}, {"Золотой холм", "goldhill"}};
    for (const auto &[name, file] : builtIn)
        QTest::newRow(name) << QImage(QStringLiteral(":/images/images/%1.bmp").arg(file));
    QTest::newRow("1x1") << picture(Kind::IndexedGrey, 1, 1, Content::Noise, 1);
    QTest::newRow("7x5 noise") << picture(Kind::IndexedGrey, 7, 5, Content::Noise, 2);
    QTest::newRow("100x31 noise") << picture(Kind::IndexedGrey, 100, 31, Content::Noise, 3);
    QTest::newRow("31x100 grey8") << picture(Kind::Grayscale8, 31, 100, Content::Noise, 4);
}

// L and H digit for digit as the plane's report prints them, the type count as its second
// paragraph, and the coded size as the least count x length total over all prefix codes, which
// a Huffman code reaches.
void tst_PlaneSummary::agreesWithReport()
{
    QFETCH(QImage, picture);
    QVERIFY(!picture.isNull() && picture.isGrayscale());
    const QList<QImage> planes = BitPlanes::split(picture);
    const QList<PlaneFigures> summary = PlaneSummary::of(planes);
    QCOMPARE(summary.size(), 8);
    for (int k = 0; k < 8; ++k) {
        const PlaneFigures &figures = summary.at(k);
        const QStringList fields = PlaneSummary::fields(figures);
        QCOMPARE(fields.at(0), QString::number(k + 1));

        const PlaneStatistics stats = PlaneStatistics::of(planes.at(k));
        const QString report = PlaneReport::blockTypesParagraph(stats.types.size())
            + PlaneReport::summaryParagraph(stats);
        QVERIFY2(report.contains(QStringLiteral("найдено %1 типов").arg(fields.at(1))),
            qPrintable(report));
        QVERIFY2(report.contains(QStringLiteral("Средняя длина кода = %1 бит\n").arg(fields.at(2))),
            qPrintable(report));
        QVERIFY2(
            report.contains(QStringLiteral("Энтропия плоскости = %1 бит/блок").arg(fields.at(3))),
            qPrintable(report));

        const ReferenceHistogram literal = referenceHistogram(planes.at(k));
        std::vector<quint64> counts;
        for (const int pattern : literal.firstSeen)
            counts.push_back(quint64(literal.counts[size_t(pattern)]));
        QCOMPARE(fields.at(4), QString::number(ReferenceHuffman::optimalCost(counts)));
        QCOMPARE(figures.blockCount, literal.blocks);
    }
}

void tst_PlaneSummary::spreadsheet_data()
{
    QTest::addColumn<QImage>("picture");
    QTest::newRow("Лена") << QImage(QStringLiteral(":/images/images/lena.bmp"));
    // One block type in every plane: no ratios at all.
    QImage blank(10, 7, QImage::Format_Grayscale8);
    blank.fill(0);
    QTest::newRow("one type") << blank;
}

// The comparison for a spreadsheet: the eight titles on one line each, then per plane the
// figures the tab shows with a decimal comma, as numbers; "-" for a ratio there is none of, as
// words.
void tst_PlaneSummary::spreadsheet()
{
    QFETCH(QImage, picture);
    const QList<PlaneFigures> figures = PlaneSummary::of(BitPlanes::split(picture));
    const QList<SpreadsheetText::Row> rows = PlaneSummary::spreadsheet(figures);
    QCOMPARE(rows.size(), 9);
    QCOMPARE(rows.first().size(), 8);
    for (const SpreadsheetText::Cell &title : rows.first())
        QVERIFY2(!title.text.contains(QLatin1Char('\n')), qPrintable(title.text));
    QCOMPARE(rows.first().at(7).text, QStringLiteral("Сжатие 9/L"));
    for (int plane = 0; plane < 8; ++plane) {
        const PlaneFigures &f = figures.at(plane);
        const QStringList fields = PlaneSummary::fields(f);
        const QStringList shown = {fields.at(0), fields.at(1), fields.at(2), fields.at(3),
            QString::number(f.rawBits), QString::number(f.codedBits),
            PlaneSummary::sizeRatioText(f), PlaneSummary::ratioText(f)};
        const SpreadsheetText::Row &row = rows.at(plane + 1);
        QCOMPARE(row.size(), 8);
        for (int column = 0; column < 8; ++column) {
            const SpreadsheetText::Cell &cell = row.at(column);
            QCOMPARE(cell.text, QString(shown.at(column)).replace('.', ','));
            QCOMPARE(cell.kind,
                cell.text == QLatin1String("-") ? SpreadsheetText::Kind::Label
                                                : SpreadsheetText::Kind::Number);
        }
    }
}

QTEST_GUILESS_MAIN(tst_PlaneSummary)
#include "tst_planesummary.moc"
