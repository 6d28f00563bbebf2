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
    void exactSteps();
    void agreesWithTheCoder_data();
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

// The name whose floats decide by rounding, worked with fractions: at step 4 «б» 5/27 and the
// merged {д, е} 5/27 tie, and the merged node, last in the list, is taken; the two constructions
// part there.
void tst_HuffmanConstruction::exactSteps()
{
    const QString name = QStringLiteral("Аааааабббббввввгггдддеежжзз");
    const HuffmanConstruction exact
        = HuffmanConstruction::ofName(name, HuffmanConstruction::Arithmetic::Exact);
    QCOMPARE(stepLines(exact).mid(3, 2),
        QStringList({"«в» 4/27 + {д, е} 5/27 = {в, д, е} 9/27 | по порядку списка",
            "«б» 5/27 + «а» 6/27 = {а, б} 11/27 | "}));
    QCOMPARE(exact.counters, QList<int>({0, 2, 2, 4}));
    const HuffmanConstruction lab = HuffmanConstruction::ofName(name);
    QCOMPARE(lab.counters, QList<int>({0, 1, 5, 2}));
    QCOMPARE(HuffmanConstruction::partingStep(lab, exact), 4);
    QCOMPARE(HuffmanConstruction::partingStep(lab, lab), 0);
}

void tst_HuffmanConstruction::agreesWithTheCoder_data()
{
    QTest::addColumn<bool>("exact");
    QTest::newRow("32-bit floats") << false;
    QTest::newRow("exact fractions") << true;
}

// The steps must be the coder's own construction: the same lengths for the same symbols, in the
// same order, and every take one of the least counts left, which a student may also choose.
// Worked exactly, every take is the last of the least counts in the list: the rule decides alone.
void tst_HuffmanConstruction::agreesWithTheCoder()
{
    QFETCH(bool, exact);
    using Arithmetic = HuffmanConstruction::Arithmetic;
    const QString alphabet = QStringLiteral(" абвгдежзийклмнопрстуфхцчшщъыьэюяё");
    QRandomGenerator random(2024);
    for (int round = 0; round < 3000; ++round) {
        const int distinct = 1 + int(random.bounded(34));
        QList<int> counts;
        for (int i = 0; i < distinct; ++i)
            counts.append(1 + int(random.bounded(round % 2 ? 3 : 30)));
        std::sort(counts.begin(), counts.end());
        const HuffmanConstruction construction = HuffmanConstruction::ofCounts(
            alphabet.left(distinct), counts, exact ? Arithmetic::Exact : Arithmetic::Float32);

        QList<float> probabilities;
        for (const int count : std::as_const(counts))
            probabilities.append(float(count) / float(construction.total));
        const QList<SymbolLength> lengths = exact ? HuffmanCoder::codeLengthsOfCounts(counts)
                                                  : HuffmanCoder::codeLengths(probabilities);
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
                const auto fewer = [&](int a, int b) {
                    return construction.nodes.at(a).count < construction.nodes.at(b).count;
                };
                const int least = *std::min_element(live.begin(), live.end(), fewer);
                QCOMPARE(construction.nodes.at(taken).count, construction.nodes.at(least).count);
                if (exact) {
                    // the last of the least: no node after it in the list has its count
                    const qsizetype at = live.indexOf(taken);
                    for (qsizetype later = at + 1; later < live.size(); ++later)
                        QVERIFY(fewer(taken, live.at(later)));
                }
                QVERIFY(live.removeOne(taken));
            }
            live.append(step.merged);
        }
    }
}

QTEST_GUILESS_MAIN(tst_HuffmanConstruction)
#include "tst_huffmanconstruction.moc"
