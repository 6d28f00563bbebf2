// SPDX-License-Identifier: GPL-3.0-or-later
#include "bitplanes.h"
#include "blockmap.h"
#include "planestatistics.h"
#include "testpictures.h"

#include <QTest>

#include <algorithm>
#include <cmath>

using namespace TestPictures;

class tst_PlaneStatistics : public QObject
{
    Q_OBJECT

private slots:
    void histogramMatchesLiteralReading_data();
    void histogramMatchesLiteralReading();
    void blockMapMatchesLiteralReading_data();
    void blockMapMatchesLiteralReading();
    void rankingMatchesLiteralReading_data();
    void rankingMatchesLiteralReading();
    void builtInPlanes();
    void gridSize_data();
    void gridSize();
    void edgeBlocksAreZeroFilled();
    void indexPastColorTable();
    void singleType_data();
    void singleType();
    void tiesInOrderOfFirstAppearance();
    void knownCode_data();
    void knownCode();
    void sumsAndCoderOutput();
    void repeatable();
    void blockCounts();
    void longCodeSurvives();
};

namespace {

void compareHistogram(const QImage &image)
{
    const ReferenceHistogram expected = referenceHistogram(image);
    const BlockHistogram actual = BlockHistogram::of(image);
    QCOMPARE(actual.blockColumns * actual.blockRows, expected.blocks);
    QCOMPARE(actual.firstSeen, expected.firstSeen);
    for (int pattern = 0; pattern < 512; ++pattern) {
        if (actual.counts[size_t(pattern)] != expected.counts[size_t(pattern)]) {
            QFAIL(qPrintable(QStringLiteral("pattern %1: %2 blocks, expected %3")
                                 .arg(pattern)
                                 .arg(actual.counts[size_t(pattern)])
                                 .arg(expected.counts[size_t(pattern)])));
        }
    }
}

// Block statistics of a plane given as pattern rows, e.g. {"#..", ".#.", "..#"}.
PlaneStatistics statsOf(const QStringList &rows)
{
    return PlaneStatistics::of(plane(rows));
}

} // namespace

void tst_PlaneStatistics::histogramMatchesLiteralReading_data()
{
    QTest::addColumn<QImage>("image");

    const QList<QSize> sizes
        = {{1, 1}, {2, 2}, {3, 3}, {1, 7}, {7, 1}, {4, 5}, {8, 8}, {10, 7}, {16, 3}, {24, 6},
            {25, 9}, {17, 11}, {31, 33}, {40, 40}, {48, 2}, {50, 4}, {96, 6}, {145, 10}, {200, 7}};
    quint32 seed = 100;
    for (const Kind kind : allKinds()) {
        const QByteArray name(kindName(kind));
        for (const QSize &size : sizes) {
            QTest::newRow((name + " noise " + QByteArray::number(size.width()) + "x"
                + QByteArray::number(size.height()))
                              .constData())
                << picture(kind, size.width(), size.height(), Content::Noise, seed++);
        }
        QTest::newRow((name + " white 10x7").constData())
            << picture(kind, 10, 7, Content::White, seed++);
        QTest::newRow((name + " black 10x7").constData())
            << picture(kind, 10, 7, Content::Black, seed++);
        QTest::newRow((name + " black 9x9").constData())
            << picture(kind, 9, 9, Content::Black, seed++);
    }
    // Random sizes of planes as the split makes them.
    QRandomGenerator random(7);
    for (int i = 0; i < 40; ++i) {
        const int w = 1 + int(random.bounded(40));
        const int h = 1 + int(random.bounded(40));
        const QImage grey = picture(Kind::IndexedGrey, w, h, Content::Noise, seed++);
        const int k = int(random.bounded(8));
        QTest::newRow(qPrintable(QStringLiteral("split plane %1 of %2x%3").arg(k).arg(w).arg(h)))
            << BitPlanes::split(grey).at(k);
    }
}

void tst_PlaneStatistics::histogramMatchesLiteralReading()
{
    QFETCH(QImage, image);
    compareHistogram(image);
}

void tst_PlaneStatistics::blockMapMatchesLiteralReading_data()
{
    histogramMatchesLiteralReading_data();
}

// Every block's pattern where it lies, and a mask of every other type seen marking exactly the
// blocks of those types.
void tst_PlaneStatistics::blockMapMatchesLiteralReading()
{
    QFETCH(QImage, image);
    const BlockMap map = BlockMap::of(image);
    const ReferenceHistogram expected = referenceHistogram(image);
    QCOMPARE(qsizetype(map.patterns.size()), qsizetype(expected.blocks));

    BlockMap::TypeSet types;
    qint64 expectedMarked = 0;
    for (qsizetype i = 0; i < expected.firstSeen.size(); i += 2) {
        types.set(size_t(expected.firstSeen.at(i)));
        expectedMarked += expected.counts[size_t(expected.firstSeen.at(i))];
    }
    qint64 marked = -1;
    const QImage mask = map.mask(types, &marked);
    QCOMPARE(mask.size(), QSize(map.blockColumns, map.blockRows));
    QCOMPARE(marked, expectedMarked);
    for (int r = 0; r < map.blockRows; ++r) {
        for (int c = 0; c < map.blockColumns; ++c) {
            const int pattern = patternOf(BitBlock(image.copy(3 * c, 3 * r, 3, 3)));
            QCOMPARE(map.patternAt(c, r), pattern);
            QCOMPARE(mask.constScanLine(r)[c] != 0, types.test(size_t(pattern)));
        }
    }
}

void tst_PlaneStatistics::rankingMatchesLiteralReading_data()
{
    histogramMatchesLiteralReading_data();
}

void tst_PlaneStatistics::rankingMatchesLiteralReading()
{
    QFETCH(QImage, image);

    // Literal: count BitBlocks of QImage::copy in a hash, rank by count, ties by first block.
    QHash<BitBlock, int> counts;
    QHash<BitBlock, int> firstBlock;
    const int columns = (image.width() + 2) / 3;
    const int rows = (image.height() + 2) / 3;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const BitBlock block(image.copy(3 * c, 3 * r, 3, 3));
            countBlock(counts, block);
            if (!firstBlock.contains(block))
                firstBlock.insert(block, r * columns + c);
        }
    }
    QList<BitBlock> expected = counts.keys();
    std::sort(expected.begin(), expected.end(), [&](const BitBlock &a, const BitBlock &b) {
        if (counts.value(a) != counts.value(b))
            return counts.value(a) > counts.value(b);
        return firstBlock.value(a) < firstBlock.value(b);
    });

    const PlaneStatistics stats = PlaneStatistics::of(image);
    QCOMPARE(stats.types.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(stats.types.at(i).block, expected.at(i));
        QCOMPARE(stats.types.at(i).pattern, patternOf(expected.at(i)));
        QCOMPARE(stats.types.at(i).count, counts.value(expected.at(i)));
    }
    QCOMPARE(stats.blockCounts(), counts);
}

void tst_PlaneStatistics::builtInPlanes()
{
    const QList<QImage> planes
        = BitPlanes::split(QImage(QStringLiteral(":/images/images/lena.bmp")));
    QCOMPARE(planes.size(), 8);
    for (const int k : {0, 3, 7}) {
        compareHistogram(planes.at(k));
        if (QTest::currentTestFailed())
            QFAIL(qPrintable(QStringLiteral("plane index %1").arg(k)));
        const PlaneStatistics stats = PlaneStatistics::of(planes.at(k));
        QCOMPARE(stats.total, 29241);
        QCOMPARE(stats.bits, qint64(262144));
        QCOMPARE(stats.kilobytes(), 32.0);
    }
}

void tst_PlaneStatistics::gridSize_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("kilobytes");

    QTest::newRow("512x512") << QSize(512, 512) << 171 << 171 << 32.0;
    QTest::newRow("640x480") << QSize(640, 480) << 214 << 160 << 37.5;
    QTest::newRow("10x7") << QSize(10, 7) << 4 << 3 << 70.0 / 8192;
    QTest::newRow("1x1") << QSize(1, 1) << 1 << 1 << 1.0 / 8192;
    QTest::newRow("3x3") << QSize(3, 3) << 1 << 1 << 9.0 / 8192;
    // 2^24 + 1 pixels and more: a float would lose the last bit.
    QTest::newRow("4097x4097") << QSize(4097, 4097) << 1366 << 1366 << 16785409.0 / 8192;
}

void tst_PlaneStatistics::gridSize()
{
    QFETCH(QSize, size);
    QFETCH(int, columns);
    QFETCH(int, rows);
    QFETCH(double, kilobytes);

    QImage image = picture(Kind::MonoPlane, size.width(), size.height(), Content::Noise, 3);
    const PlaneStatistics stats = PlaneStatistics::of(image);
    QCOMPARE(stats.width, size.width());
    QCOMPARE(stats.height, size.height());
    QCOMPARE(stats.blockColumns, columns);
    QCOMPARE(stats.blockRows, rows);
    QCOMPARE(stats.total, columns * rows);
    QCOMPARE(stats.bits, qint64(size.width()) * size.height());
    QCOMPARE(stats.kilobytes(), kilobytes);
}

void tst_PlaneStatistics::edgeBlocksAreZeroFilled()
{
    // 10 x 7 all black: full blocks are all ones; the last column keeps one real pixel column,
    // the last row one real pixel row.
    const QImage image = picture(Kind::MonoPlane, 10, 7, Content::Black, 1);
    const PlaneStatistics stats = PlaneStatistics::of(image);
    QCOMPARE(stats.total, 12);
    QList<QPair<int, int>> types;
    for (const BlockType &type : stats.types)
        types.append({type.pattern, type.count});
    const int column = 1 | 8 | 64;
    const int row = 1 | 2 | 4;
    QCOMPARE(types, (QList<QPair<int, int>> {{511, 6}, {row, 3}, {column, 2}, {1, 1}}));
}

void tst_PlaneStatistics::indexPastColorTable()
{
    // Entry 0 is black, so the edge fill is black; index 250 lies past the table and reads as 0.
    QImage image(2, 1, QImage::Format_Indexed8);
    image.setColorTable({0xff000000});
    image.scanLine(0)[0] = 0;
    image.scanLine(0)[1] = 250;
    const PlaneStatistics stats = PlaneStatistics::of(image);
    QCOMPARE(stats.types.size(), 1);
    QCOMPARE(stats.types.first().pattern, 511 & ~2);
}

void tst_PlaneStatistics::singleType_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("pattern");

    QTest::newRow("all zero") << QStringList {"......", "......", "......"} << 0;
    QTest::newRow("all one") << QStringList {"######", "######", "######"} << 511;
}

void tst_PlaneStatistics::singleType()
{
    QFETCH(QStringList, rows);
    QFETCH(int, pattern);

    const PlaneStatistics stats = statsOf(rows);
    QCOMPARE(stats.types.size(), 1);
    QCOMPARE(stats.types.first().pattern, pattern);
    QCOMPARE(stats.types.first().count, 2);
    QCOMPARE(stats.types.first().block, BitBlock(pattern == 511, QSize(3, 3)));
    QCOMPARE(stats.probabilities, QList<float> {1.0f});
    QCOMPARE(stats.codes, QStringList {"0"});
    QCOMPARE(stats.counters, QList<int> {1});
    QCOMPARE(stats.averageLength, 0.0f);
    QCOMPARE(stats.entropy, 0.0f);
    QVERIFY(!std::signbit(stats.entropy));
}

void tst_PlaneStatistics::tiesInOrderOfFirstAppearance()
{
    // Patterns 5, 3, 9 twice each and 7 once, first seen in the order 9, 5, 7, 3.
    const QImage image = planeOfPatterns({9, 5, 7, 5, 3, 9, 3}, 3);
    const PlaneStatistics stats = PlaneStatistics::of(image);
    // Two zero-filled blocks finish the last block row.
    QList<int> patterns;
    for (const BlockType &type : stats.types)
        patterns.append(type.pattern);
    QCOMPARE(patterns, (QList<int> {9, 5, 3, 0, 7}));
}

void tst_PlaneStatistics::knownCode_data()
{
    QTest::addColumn<QList<int>>("patterns");
    QTest::addColumn<QList<float>>("probabilities");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QList<int>>("counters");
    QTest::addColumn<float>("averageLength");
    QTest::addColumn<float>("entropy");

    QTest::newRow("two equal") << QList<int> {1, 2} << QList<float> {0.5f, 0.5f}
                               << QStringList {"0", "1"} << QList<int> {2} << 1.0f << 1.0f;
    QTest::newRow("dyadic 4 2 1 1")
        << QList<int> {7, 7, 0, 0, 7, 511, 7, 1} << QList<float> {0.5f, 0.25f, 0.125f, 0.125f}
        << QStringList {"0", "10", "110", "111"} << QList<int> {1, 1, 2} << 1.75f << 1.75f;
}

void tst_PlaneStatistics::knownCode()
{
    QFETCH(QList<int>, patterns);
    QFETCH(QList<float>, probabilities);
    QFETCH(QStringList, codes);
    QFETCH(QList<int>, counters);
    QFETCH(float, averageLength);
    QFETCH(float, entropy);

    const PlaneStatistics stats
        = PlaneStatistics::of(planeOfPatterns(patterns, int(patterns.size())));
    QCOMPARE(stats.probabilities, probabilities);
    QCOMPARE(stats.codes, codes);
    QCOMPARE(stats.counters, counters);
    QCOMPARE(stats.averageLength, averageLength);
    QCOMPARE(stats.entropy, entropy);
}

void tst_PlaneStatistics::sumsAndCoderOutput()
{
    const QImage grey = picture(Kind::IndexedGrey, 200, 150, Content::Noise, 11);
    const QList<QImage> planes = BitPlanes::split(grey);
    for (const QImage &plane : planes) {
        const PlaneStatistics stats = PlaneStatistics::of(plane);
        QCOMPARE(stats.total, 67 * 50);
        int counted = 0;
        double probabilitySum = 0;
        for (int i = 0; i < stats.types.size(); ++i) {
            const BlockType &type = stats.types.at(i);
            counted += type.count;
            if (i > 0)
                QVERIFY(type.count <= stats.types.at(i - 1).count);
            QCOMPARE(stats.probabilities.at(i), float(type.count) / float(stats.total));
            probabilitySum += stats.probabilities.at(i);
        }
        QCOMPARE(counted, stats.total);
        QVERIFY(qAbs(probabilitySum - 1.0) < 1e-5);
        QVERIFY(stats.types.size() <= 512);

        // Rows are aligned with the coder's output.
        QCOMPARE(stats.lengths.size(), stats.types.size());
        QCOMPARE(stats.codes, HuffmanCoder::canonicalCodes(stats.lengths));
        QCOMPARE(stats.counters, HuffmanCoder::lengthCounters(stats.lengths));
        for (int i = 0; i < stats.codes.size(); ++i)
            QCOMPARE(stats.codes.at(i).size(), stats.lengths.at(i).length);

        // Running sums rounded to float at every row, the logarithm in double: the printed
        // digits depend on it.
        float average = 0;
        float entropy = 0;
        for (int i = 0; i < stats.types.size(); ++i) {
            const float p = stats.probabilities.at(i);
            average = average + p * float(stats.lengths.at(i).length);
            entropy = float(entropy + std::log(double(p)) * p / -0.6931471805599453);
        }
        QCOMPARE(stats.averageLength, average);
        QVERIFY(stats.entropy == entropy);

        // Average length of a Huffman code: entropy <= avg < entropy + 1.
        QVERIFY(stats.averageLength >= stats.entropy - 1e-4f);
        QVERIFY(stats.averageLength < stats.entropy + 1.0f);
    }
}

void tst_PlaneStatistics::repeatable()
{
    const QImage image = picture(Kind::MonoPlane, 61, 47, Content::Noise, 5);
    const PlaneStatistics first = PlaneStatistics::of(image);
    const PlaneStatistics second = PlaneStatistics::of(image);
    QCOMPARE(second.types.size(), first.types.size());
    for (int i = 0; i < first.types.size(); ++i) {
        QCOMPARE(second.types.at(i).pattern, first.types.at(i).pattern);
        QCOMPARE(second.types.at(i).count, first.types.at(i).count);
    }
    QCOMPARE(second.probabilities, first.probabilities);
    QCOMPARE(second.codes, first.codes);
    QCOMPARE(second.counters, first.counters);
    QCOMPARE(second.averageLength, first.averageLength);
    QCOMPARE(second.entropy, first.entropy);
}

void tst_PlaneStatistics::blockCounts()
{
    const QImage image = planeOfPatterns({9, 5, 7, 5}, 2);
    const QHash<BitBlock, int> counts = PlaneStatistics::of(image).blockCounts();
    QCOMPARE(counts.size(), 3);
    QCOMPARE(counts.value(BitBlock::fromPattern(5)), 2);
    QCOMPARE(counts.value(BitBlock::fromPattern(9)), 1);
    QCOMPARE(counts.value(BitBlock::fromPattern(7)), 1);
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        QCOMPARE(it.key().width, 3);
        QCOMPARE(it.key().height, 3);
    }
}

void tst_PlaneStatistics::longCodeSurvives()
{
    // Fibonacci counts make the most lopsided Huffman tree: 40 types give codes of up to 39
    // bits, too long for a 32-bit integer.
    BlockHistogram histogram;
    int a = 1;
    int b = 1;
    for (int pattern = 0; pattern < 40; ++pattern) {
        histogram.counts[size_t(pattern)] = a;
        histogram.firstSeen.append(pattern);
        const int next = a + b;
        a = b;
        b = next;
    }
    const PlaneStatistics stats = PlaneStatistics::fromHistogram(30000, 30000, histogram);
    QCOMPARE(stats.types.size(), 40);
    QCOMPARE(stats.codes.size(), 40);
    int longest = 0;
    for (int i = 0; i < stats.codes.size(); ++i) {
        const QString &code = stats.codes.at(i);
        QCOMPARE(code.size(), stats.lengths.at(i).length);
        QVERIFY(
            std::all_of(code.cbegin(), code.cend(), [](QChar c) { return c == '0' || c == '1'; }));
        longest = qMax(longest, int(code.size()));
    }
    QVERIFY2(longest > 31, qPrintable(QString::number(longest)));
    // A prefix code: no codeword starts another.
    for (int i = 0; i < stats.codes.size(); ++i) {
        for (int j = 0; j < stats.codes.size(); ++j) {
            if (i != j)
                QVERIFY(!stats.codes.at(j).startsWith(stats.codes.at(i)));
        }
    }
}

QTEST_GUILESS_MAIN(tst_PlaneStatistics)
#include "tst_planestatistics.moc"
