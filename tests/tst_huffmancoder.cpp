// SPDX-License-Identifier: GPL-3.0-or-later
#include "huffmancoder.h"
#include "referencehuffman.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <queue>
#include <random>
#include <tuple>

namespace {

QList<int> symbolsOf(const QList<SymbolLength> &list)
{
    QList<int> result;
    for (const SymbolLength &entry : list)
        result.append(entry.symbol);
    return result;
}

QList<int> lengthsOf(const QList<SymbolLength> &list)
{
    QList<int> result;
    for (const SymbolLength &entry : list)
        result.append(entry.length);
    return result;
}

QList<SymbolLength> withLengths(const QList<int> &lengths)
{
    QList<SymbolLength> result;
    for (int i = 0; i < lengths.size(); ++i)
        result.append({i, lengths.at(i)});
    return result;
}

QList<float> fromCounts(const QList<quint32> &counts)
{
    quint64 total = 0;
    for (const quint32 count : counts)
        total += count;
    QList<float> result;
    for (const quint32 count : counts)
        result.append(float(count) / float(total));
    return result;
}

// Everything a code for n >= 2 symbols must be, checked without trusting lengthCounters.
void verifyCode(const QList<SymbolLength> &list, int symbolCount)
{
    QCOMPARE(list.size(), symbolCount);
    QList<int> symbols = symbolsOf(list);
    std::sort(symbols.begin(), symbols.end());
    for (int i = 0; i < symbolCount; ++i)
        QCOMPARE(symbols.at(i), i);

    const QList<int> lengths = lengthsOf(list);
    QVERIFY(std::is_sorted(lengths.cbegin(), lengths.cend()));
    QVERIFY(lengths.constFirst() >= 1);

    QList<int> histogram(lengths.constLast(), 0);
    for (const int length : lengths)
        ++histogram[length - 1];
    QCOMPARE(HuffmanCoder::lengthCounters(list), histogram);

    // Kraft sum exactly 1: pairs of codewords join into their parent up to the root.
    int carry = 0;
    for (qsizetype k = histogram.size() - 1; k >= 0; --k) {
        const int nodesAtLevel = histogram.at(k) + carry;
        QVERIFY2(nodesAtLevel % 2 == 0, "Kraft sum is not 1");
        carry = nodesAtLevel / 2;
    }
    QCOMPARE(carry, 1);

    // Strictly increasing, no codeword a prefix of the next: prefix-free, and with a Kraft sum of
    // 1 this is exactly the canonical code for these lengths.
    const QStringList codes = HuffmanCoder::canonicalCodes(list);
    QCOMPARE(codes.size(), list.size());
    for (int i = 0; i < codes.size(); ++i) {
        const QString &code = codes.at(i);
        QCOMPARE(code.size(), lengths.at(i));
        QVERIFY(code.count(QLatin1Char('0')) + code.count(QLatin1Char('1')) == code.size());
        if (i > 0) {
            QVERIFY2(codes.at(i - 1) < code, qPrintable(code));
            QVERIFY2(!code.startsWith(codes.at(i - 1)), qPrintable(code));
        }
    }
}

// Wherever the literal construction terminates, the coder must give exactly its list.
void compareWithHandConstruction(const QList<float> &probabilities, const QList<SymbolLength> &list)
{
    QList<SymbolLength> byHand;
    if (ReferenceHuffman::listMergingLengths(probabilities, &byHand)) {
        QCOMPARE(symbolsOf(list), symbolsOf(byHand));
        QCOMPARE(lengthsOf(list), lengthsOf(byHand));
    }
}

} // namespace

class tst_HuffmanCoder : public QObject
{
    Q_OBJECT

private slots:
    void knownCodes_data();
    void knownCodes();
    void codesFromLengths_data();
    void codesFromLengths();
    void codesLongerThanMachineWords();
    void everyCodewordOfOneLength_data();
    void everyCodewordOfOneLength();
    void generatedCounts_data();
    void generatedCounts();
    void unusualProbabilities_data();
    void unusualProbabilities();
    void arbitraryFloats();
};

void tst_HuffmanCoder::knownCodes_data()
{
    QTest::addColumn<QList<float>>("probabilities");
    QTest::addColumn<QList<int>>("symbols");
    QTest::addColumn<QList<int>>("lengths");
    QTest::addColumn<QList<int>>("counters");
    QTest::addColumn<QStringList>("codes");

    const float fourteenth = 1.0f / 14.0f;
    QTest::newRow("0.4 0.3 0.2 0.1: merged 0.3 taken before symbol 0.3")
        << QList<float> {0.4f, 0.3f, 0.2f, 0.1f} << QList<int> {0, 1, 2, 3}
        << QList<int> {1, 2, 3, 3} << QList<int> {1, 1, 2} << QStringList {"0", "10", "110", "111"};
    QTest::newRow("five times 0.2")
        << QList<float>(5, 0.2f) << QList<int> {0, 3, 4, 1, 2} << QList<int> {2, 2, 2, 3, 3}
        << QList<int> {0, 3, 2} << QStringList {"00", "01", "10", "110", "111"};
    QTest::newRow("two halves") << QList<float> {0.5f, 0.5f} << QList<int> {0, 1}
                                << QList<int> {1, 1} << QList<int> {2} << QStringList {"0", "1"};
    QTest::newRow("four quarters: later symbols taken first")
        << QList<float>(4, 0.25f) << QList<int> {2, 3, 0, 1} << QList<int> {2, 2, 2, 2}
        << QList<int> {0, 4} << QStringList {"00", "01", "10", "11"};
    QTest::newRow("0.6 and four 0.1: zero inside the counters")
        << QList<float> {0.6f, 0.1f, 0.1f, 0.1f, 0.1f} << QList<int> {0, 3, 4, 1, 2}
        << QList<int> {1, 3, 3, 3, 3} << QList<int> {1, 0, 4}
        << QStringList {"0", "100", "101", "110", "111"};
    QTest::newRow("0.1 0.1 0.2 0.6")
        << QList<float> {0.1f, 0.1f, 0.2f, 0.6f} << QList<int> {3, 2, 0, 1}
        << QList<int> {1, 2, 3, 3} << QList<int> {1, 1, 2} << QStringList {"0", "10", "110", "111"};
    QTest::newRow("fourteenths: merged node tied with a symbol is taken first")
        << QList<float> {fourteenth, fourteenth, fourteenth, fourteenth, 2.0f / 14.0f, 4.0f / 14.0f,
               4.0f / 14.0f}
        << QList<int> {5, 6, 4, 2, 3, 0, 1} << QList<int> {2, 2, 2, 4, 4, 4, 4}
        << QList<int> {0, 3, 0, 4}
        << QStringList {"00", "01", "10", "1100", "1101", "1110", "1111"};
    QTest::newRow("single symbol") << QList<float> {1.0f} << QList<int> {0} << QList<int> {0}
                                   << QList<int> {1} << QStringList {"0"};
    QTest::newRow("empty") << QList<float>() << QList<int>() << QList<int>() << QList<int>()
                           << QStringList();
}

void tst_HuffmanCoder::knownCodes()
{
    QFETCH(QList<float>, probabilities);
    QFETCH(QList<int>, symbols);
    QFETCH(QList<int>, lengths);
    QFETCH(QList<int>, counters);
    QFETCH(QStringList, codes);

    const QList<SymbolLength> list = HuffmanCoder::codeLengths(probabilities);
    QCOMPARE(symbolsOf(list), symbols);
    QCOMPARE(lengthsOf(list), lengths);
    QCOMPARE(HuffmanCoder::lengthCounters(list), counters);
    QCOMPARE(HuffmanCoder::canonicalCodes(list), codes);
}

void tst_HuffmanCoder::codesFromLengths_data()
{
    QTest::addColumn<QList<int>>("lengths");
    QTest::addColumn<QList<int>>("counters");
    QTest::addColumn<QStringList>("codes");

    QTest::newRow("starting at length 2") << QList<int> {2, 2, 2, 3, 3} << QList<int> {0, 3, 2}
                                          << QStringList {"00", "01", "10", "110", "111"};
    QTest::newRow("skipping length 3") << QList<int> {1, 2, 4, 4, 4, 4} << QList<int> {1, 1, 0, 4}
                                       << QStringList {"0", "10", "1100", "1101", "1110", "1111"};
    QTest::newRow("not sorted: coded shortest first, codewords stay in place")
        << QList<int> {3, 1, 3, 2} << QList<int> {1, 1, 2} << QStringList {"110", "0", "111", "10"};
}

void tst_HuffmanCoder::codesFromLengths()
{
    QFETCH(QList<int>, lengths);
    QFETCH(QList<int>, counters);
    QFETCH(QStringList, codes);

    QCOMPARE(HuffmanCoder::lengthCounters(withLengths(lengths)), counters);
    QCOMPARE(HuffmanCoder::canonicalCodes(withLengths(lengths)), codes);
}

// Probabilities 1/2, 1/4, ..., 2^-99, 2^-99 are exact in float and give a chain 99 deep:
// symbol i gets i ones and a zero, the last symbol 99 ones.
void tst_HuffmanCoder::codesLongerThanMachineWords()
{
    QList<float> probabilities;
    for (int i = 0; i < 99; ++i)
        probabilities.append(std::ldexp(1.0f, -(i + 1)));
    probabilities.append(std::ldexp(1.0f, -99));

    const QList<SymbolLength> list = HuffmanCoder::codeLengths(probabilities);
    const QStringList codes = HuffmanCoder::canonicalCodes(list);
    QCOMPARE(list.size(), 100);
    for (int i = 0; i < 100; ++i) {
        QCOMPARE(list.at(i).symbol, i);
        const QString expected = QString(i, QLatin1Char('1')) + (i < 99 ? "0" : "");
        QCOMPARE(codes.at(i), expected);
    }
    QList<int> counters(99, 1);
    counters.last() = 2;
    QCOMPARE(HuffmanCoder::lengthCounters(list), counters);
}

void tst_HuffmanCoder::everyCodewordOfOneLength_data()
{
    QTest::addColumn<int>("length");
    for (const int length : {1, 2, 5, 13, 14, 15, 16})
        QTest::newRow(qPrintable(QStringLiteral("length %1").arg(length))) << length;
}

// 2^n codewords of length n are every n-digit binary number in order: each one, however its
// text is kept, must read as that number.
void tst_HuffmanCoder::everyCodewordOfOneLength()
{
    QFETCH(int, length);
    const QStringList codes
        = HuffmanCoder::canonicalCodes(withLengths(QList<int>(1 << length, length)));
    QCOMPARE(codes.size(), 1 << length);
    for (int i = 0; i < codes.size(); ++i) {
        const QString expected = QString::number(i, 2).rightJustified(length, QLatin1Char('0'));
        if (codes.at(i) != expected)
            QFAIL(qPrintable(QStringLiteral("codeword %1 is %2").arg(expected, codes.at(i))));
    }
}

void tst_HuffmanCoder::generatedCounts_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("counts 1 to 4, many ties") << 0;
    QTest::newRow("counts 1 to 100000") << 1;
    QTest::newRow("geometric, like a bit plane's block types") << 2;
    QTest::newRow("Fibonacci-like, deeper than 31") << 3;
}

// Thousands of lists of counts, as the callers produce them: the code must be a valid canonical
// prefix code of least average length, and the same as the list-merging construction by hand.
void tst_HuffmanCoder::generatedCounts()
{
    QFETCH(int, kind);
    std::mt19937 random(20240 + kind);
    const auto uniform = [&random](quint32 low, quint32 high) {
        return std::uniform_int_distribution<quint32>(low, high)(random);
    };

    int longest = 0;
    for (int round = 0; round < 500; ++round) {
        QList<quint32> counts;
        if (kind == 3) {
            quint64 a = uniform(1, 3), b = uniform(1, 3);
            while (a + b < 1u << 30 && counts.size() < 60) {
                counts.append(quint32(a));
                std::tie(a, b) = std::make_pair(b, a + b + uniform(0, 1));
            }
        } else {
            const int size = int(uniform(2, 512));
            const double ratio = 0.5 + 0.499 * std::generate_canonical<double, 32>(random);
            for (int i = 0; i < size; ++i) {
                if (kind == 0)
                    counts.append(uniform(1, 4));
                else if (kind == 1)
                    counts.append(uniform(1, 100000));
                else
                    counts.append(1 + quint32(29000 * std::pow(ratio, i)));
            }
        }
        switch (uniform(0, 2)) { // callers rank by count; the coder must not depend on that
        case 0:
            std::shuffle(counts.begin(), counts.end(), random);
            break;
        case 1:
            std::sort(counts.begin(), counts.end(), std::greater<>());
            break;
        default:
            std::sort(counts.begin(), counts.end());
        }

        const QList<float> probabilities = fromCounts(counts);
        const QList<SymbolLength> list = HuffmanCoder::codeLengths(probabilities);
        verifyCode(list, int(counts.size()));
        if (QTest::currentTestFailed())
            return;
        longest = std::max(longest, list.constLast().length);

        quint64 cost = 0;
        for (const SymbolLength &entry : list)
            cost += quint64(counts.at(entry.symbol)) * quint64(entry.length);
        const quint64 optimal = ReferenceHuffman::optimalCost(counts);
        // Float sums may break a near tie the other way; that costs next to nothing.
        QVERIFY2(cost >= optimal && double(cost - optimal) <= 1e-6 * double(optimal),
            qPrintable(QStringLiteral("%1 against %2").arg(cost).arg(optimal)));

        compareWithHandConstruction(probabilities, list);
        if (QTest::currentTestFailed())
            return;
    }
    if (kind == 3)
        QVERIFY2(longest > 31, qPrintable(QString::number(longest)));
}

void tst_HuffmanCoder::unusualProbabilities_data()
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    QTest::addColumn<QList<float>>("probabilities");
    QTest::newRow("all but one of 20 million blocks: rounds to 1.0") << fromCounts({19999999, 1});
    QTest::newRow("1.0 beside others") << QList<float> {1.0f, 1e-8f, 0.25f};
    QTest::newRow("all 1.0") << QList<float>(5, 1.0f);
    QTest::newRow("above 1") << QList<float> {2.0f, 0.5f, 3.0f, 0.75f};
    QTest::newRow("sums reach 1 early") << QList<float> {0.6f, 0.5f, 0.4f, 0.3f};
    QTest::newRow("zeros") << QList<float>(7, 0.0f);
    QTest::newRow("signed zeros") << QList<float> {-0.0f, 0.0f, -0.0f, 0.5f};
    QTest::newRow("negatives") << QList<float> {-1.0f, 0.5f, -0.25f, 0.1f, -3e38f, -3e38f};
    QTest::newRow("NaN") << QList<float> {nan, 0.5f, nan, 0.25f, nan};
    QTest::newRow("only NaN") << QList<float>(4, nan);
    QTest::newRow("infinities") << QList<float> {inf, -inf, 0.5f, inf, -inf};
    QTest::newRow("overflowing sums") << QList<float> {3e38f, 3e38f, 3e38f, 0.5f};
}

void tst_HuffmanCoder::unusualProbabilities()
{
    QFETCH(QList<float>, probabilities);
    const QList<SymbolLength> list = HuffmanCoder::codeLengths(probabilities);
    verifyCode(list, int(probabilities.size()));
    compareWithHandConstruction(probabilities, list);
}

void tst_HuffmanCoder::arbitraryFloats()
{
    std::mt19937 random(77);
    const float specials[] = {0.0f, -0.0f, 1.0f, 0.5f, -1.0f, 1e-45f,
        std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
        std::numeric_limits<float>::quiet_NaN(), 3e38f};
    for (int round = 0; round < 300; ++round) {
        const int size = std::uniform_int_distribution<int>(1, 600)(random);
        QList<float> probabilities;
        for (int i = 0; i < size; ++i) {
            float value;
            if (random() % 4 == 0) {
                value = specials[random() % std::size(specials)];
            } else {
                // Every other list only below 1.0 (the exponent's top bit cleared), where the
                // hand construction applies.
                const quint32 bits = quint32(random()) & (round % 2 ? 0xbfffffffu : 0xffffffffu);
                std::memcpy(&value, &bits, sizeof value);
            }
            if (round % 2 && !(value < 1.0f))
                value = std::isnan(value) ? 0.0f : -value;
            probabilities.append(value);
        }
        const QList<SymbolLength> list = HuffmanCoder::codeLengths(probabilities);
        if (size == 1) {
            QCOMPARE(list.size(), 1);
            QCOMPARE(HuffmanCoder::canonicalCodes(list), QStringList {"0"});
        } else {
            verifyCode(list, size);
            compareWithHandConstruction(probabilities, list);
        }
        if (QTest::currentTestFailed())
            return;
    }
}

QTEST_GUILESS_MAIN(tst_HuffmanCoder)
#include "tst_huffmancoder.moc"
