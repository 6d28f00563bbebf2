// SPDX-License-Identifier: GPL-3.0-or-later
#include "huffmanconstruction.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

namespace {

QStringList stepLines(const HuffmanConstruction &construction)
{
    QStringList lines;
    for (const HuffmanConstruction::Step &step : construction.steps) {
        lines << construction.nodeText(step.first) + QStringLiteral(" + ")
                + construction.nodeText(step.second) + QStringLiteral(" = ")
                + construction.nodeText(step.merged) + QStringLiteral(" | ")
                + HuffmanConstruction::tieNote(step);
    }
    return lines;
}

} // namespace

class tst_HuffmanConstruction : public QObject
{
    Q_OBJECT

private slots:
    void steps_data();
    void steps();
    void agreesWithTheCoder();
};

void tst_HuffmanConstruction::steps_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("Мама Мыла Раму: merged pair of 1/14 taken before the space")
        << "Мама Мыла Раму"
        << QStringList {
               "«ы» 1/14 + «у» 1/14 = {у, ы} 2/14 | по порядку списка",
               "«р» 1/14 + «л» 1/14 = {л, р} 2/14 | по порядку списка",
               "{л, р} 2/14 + {у, ы} 2/14 = {у, ы, л, р} 4/14 | по порядку списка",
               "« » 2/14 + {у, ы, л, р} 4/14 = {« », у, ы, л, р} 6/14 | по порядку списка",
               "«м» 4/14 + «а» 4/14 = {а, м} 8/14 | по порядку списка",
               "{« », у, ы, л, р} 6/14 + {а, м} 8/14 = {а, м, « », у, ы, л, р} 14/14 | ",
           };
    // 2/27 + 3/27 in floats is one bit above 5/27, so «б» goes before the merged {д, е}.
    QTest::newRow("float sums decide between equal fractions")
        << "Аааааабббббввввгггдддеежжзз"
        << QStringList {
               "«з» 2/27 + «ж» 2/27 = {ж, з} 4/27 | по порядку списка",
               "«е» 2/27 + «д» 3/27 = {д, е} 5/27 | по порядку списка",
               "«г» 3/27 + {ж, з} 4/27 = {г, ж, з} 7/27 | по порядку списка",
               "«в» 4/27 + «б» 5/27 = {б, в} 9/27 | по округлению",
               "{д, е} 5/27 + «а» 6/27 = {а, д, е} 11/27 | ",
               "{г, ж, з} 7/27 + {б, в} 9/27 = {б, в, г, ж, з} 16/27 | ",
               "{а, д, е} 11/27 + {б, в, г, ж, з} 16/27 = {а, б, в, г, д, е, ж, з} 27/27 | ",
           };
    QTest::newRow("letter and space")
        << "Ааа Ааа Ааа" << QStringList {"« » 2/11 + «а» 9/11 = {а, « »} 11/11 | "};
    QTest::newRow("one character: nothing to merge") << "А" << QStringList();
}

void tst_HuffmanConstruction::steps()
{
    QFETCH(QString, name);
    QFETCH(QStringList, lines);

    QCOMPARE(stepLines(HuffmanConstruction::ofName(name)), lines);
}

// The steps must be the coder's own construction: the same lengths for the same symbols, in the
// same order, and every take one of the least counts left, which a student may also choose.
void tst_HuffmanConstruction::agreesWithTheCoder()
{
    const QString alphabet = QStringLiteral(" абвгдежзийклмнопрстуфхцчшщъыьэюяё");
    QRandomGenerator random(2024);
    for (int round = 0; round < 3000; ++round) {
        const int distinct = 1 + int(random.bounded(34));
        QList<int> counts;
        for (int i = 0; i < distinct; ++i)
            counts.append(1 + int(random.bounded(round % 2 ? 3 : 30)));
        std::sort(counts.begin(), counts.end());
        const HuffmanConstruction construction
            = HuffmanConstruction::ofCounts(alphabet.left(distinct), counts);

        QList<float> probabilities;
        for (const int count : std::as_const(counts))
            probabilities.append(float(count) / float(construction.total));
        const QList<SymbolLength> lengths = HuffmanCoder::codeLengths(probabilities);
        QCOMPARE(construction.steps.size(), distinct - 1);
        const QList<SymbolLength> root = construction.nodes.constLast().symbols;
        QCOMPARE(root.size(), lengths.size());
        for (qsizetype i = 0; i < root.size(); ++i) {
            QCOMPARE(root.at(i).symbol, lengths.at(i).symbol);
            QCOMPARE(root.at(i).length, lengths.at(i).length);
        }

        QList<int> live;
        for (int i = 0; i < distinct; ++i)
            live.append(i);
        for (const HuffmanConstruction::Step &step : construction.steps) {
            for (const int taken : {step.first, step.second}) {
                const int least = *std::min_element(live.begin(), live.end(), [&](int a, int b) {
                    return construction.nodes.at(a).count < construction.nodes.at(b).count;
                });
                QCOMPARE(construction.nodes.at(taken).count, construction.nodes.at(least).count);
                QVERIFY(live.removeOne(taken));
            }
            live.append(step.merged);
        }
    }
}

QTEST_GUILESS_MAIN(tst_HuffmanConstruction)
#include "tst_huffmanconstruction.moc"
