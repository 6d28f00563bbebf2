// SPDX-License-Identifier: GPL-3.0-or-later
#include "bitblock.h"
#include "testpictures.h"

#include <QTest>

using TestPictures::plane;

class tst_BitBlock : public QObject
{
    Q_OBJECT

private slots:
    void imageConstructor_data();
    void imageConstructor();
    void onlyOpaqueBlackIsSet_data();
    void onlyOpaqueBlackIsSet();
    void filledConstructor();
    void fromPatternMatchesImage();
    void equalityIgnoresSize();
    void hashFollowsEquality();
    void countSameTypeThrice();
    void countDistinctTypes();
    void toImage_data();
    void toImage();
    void toImageTopLeftSquare();
};

void tst_BitBlock::imageConstructor_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QList<int>>("setBits");

    QTest::newRow("all white") << QStringList {"...", "...", "..."} << QList<int> {};
    QTest::newRow("all black") << QStringList {"###", "###", "###"}
                               << QList<int> {0, 1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("diagonal") << QStringList {"#..", ".#.", "..#"} << QList<int> {0, 4, 8};
    QTest::newRow("top left") << QStringList {"#..", "...", "..."} << QList<int> {0};
    QTest::newRow("bottom right") << QStringList {"...", "...", "..#"} << QList<int> {8};
    QTest::newRow("row order 4x2") << QStringList {"#..#", ".#.."} << QList<int> {0, 3, 5};
}

void tst_BitBlock::imageConstructor()
{
    QFETCH(QStringList, rows);
    QFETCH(QList<int>, setBits);

    const QImage image = plane(rows);
    const BitBlock block(image);
    QCOMPARE(block.width, image.width());
    QCOMPARE(block.height, image.height());
    QCOMPARE(block.size(), qsizetype(image.width()) * image.height());
    for (int i = 0; i < block.size(); ++i)
        QCOMPARE(block.testBit(i), setBits.contains(i));
}

void tst_BitBlock::onlyOpaqueBlackIsSet_data()
{
    QTest::addColumn<QImage::Format>("format");
    QTest::addColumn<QRgb>("color");
    QTest::addColumn<bool>("set");

    QTest::newRow("argb32 opaque black") << QImage::Format_ARGB32 << QRgb(0xff000000) << true;
    QTest::newRow("argb32 transparent black") << QImage::Format_ARGB32 << QRgb(0x00000000) << false;
    QTest::newRow("argb32 half transparent") << QImage::Format_ARGB32 << QRgb(0x80000000) << false;
    QTest::newRow("argb32 almost black") << QImage::Format_ARGB32 << QRgb(0xff000001) << false;
    QTest::newRow("rgb32 black") << QImage::Format_RGB32 << QRgb(0xff000000) << true;
    QTest::newRow("rgb32 dark red") << QImage::Format_RGB32 << QRgb(0xff010000) << false;
}

void tst_BitBlock::onlyOpaqueBlackIsSet()
{
    QFETCH(QImage::Format, format);
    QFETCH(QRgb, color);
    QFETCH(bool, set);

    QImage image(2, 1, format);
    image.fill(0xffffffff);
    image.setPixel(1, 0, color);
    const BitBlock block(image);
    QCOMPARE(block.testBit(0), false);
    QCOMPARE(block.testBit(1), set);
}

void tst_BitBlock::filledConstructor()
{
    const BitBlock ones(true, QSize(3, 2));
    QCOMPARE(ones.width, 3);
    QCOMPARE(ones.height, 2);
    QCOMPARE(ones.size(), 6);
    QCOMPARE(ones.count(true), 6);

    const BitBlock zeros(false, QSize(3, 3));
    QCOMPARE(zeros.size(), 9);
    QCOMPARE(zeros.count(true), 0);
    QCOMPARE(BitBlock(plane({"...", "...", "..."})), zeros);
    QCOMPARE(BitBlock(plane({"###", "###", "###"})), BitBlock(true, QSize(3, 3)));
}

void tst_BitBlock::fromPatternMatchesImage()
{
    for (int pattern = 0; pattern < 512; ++pattern) {
        QStringList rows;
        for (int y = 0; y < 3; ++y) {
            QString row;
            for (int x = 0; x < 3; ++x)
                row += pattern & (1 << (3 * y + x)) ? QLatin1Char('#') : QLatin1Char('.');
            rows.append(row);
        }
        const BitBlock expected(plane(rows));
        const BitBlock block = BitBlock::fromPattern(pattern);
        QCOMPARE(block, expected);
        QCOMPARE(block.width, 3);
        QCOMPARE(block.height, 3);
    }
}

void tst_BitBlock::equalityIgnoresSize()
{
    // 3 x 2 and 2 x 3 blocks with the same six bits are one type.
    const BitBlock wide(plane({"#..", ".#."}));
    const BitBlock tall(plane({"#.", "..", "#."}));
    QCOMPARE(wide.width, 3);
    QCOMPARE(tall.width, 2);
    QVERIFY(wide == tall);

    QVERIFY(BitBlock::fromPattern(1) != BitBlock::fromPattern(256));
    QVERIFY(BitBlock(true, QSize(3, 3)) != BitBlock(true, QSize(2, 2))); // bit counts differ
    QVERIFY(BitBlock() == BitBlock(false, QSize(0, 0)));
}

void tst_BitBlock::hashFollowsEquality()
{
    const BitBlock wide(plane({"#..", ".#."}));
    const BitBlock tall(plane({"#.", "..", "#."}));
    QCOMPARE(qHash(wide, 7), qHash(tall, 7));
    QCOMPARE(qHash(wide, 7), qHash(static_cast<const QBitArray &>(wide), 7));
}

void tst_BitBlock::countSameTypeThrice()
{
    QHash<BitBlock, int> counts;
    const QImage image = plane({"#..#..#..", ".#..#..#.", "..#..#..#"});
    for (int c = 0; c < 3; ++c)
        countBlock(counts, BitBlock(image.copy(3 * c, 0, 3, 3)));
    QCOMPARE(counts.size(), 1);
    QCOMPARE(counts.value(BitBlock::fromPattern(1 | 16 | 256)), 3);
}

void tst_BitBlock::countDistinctTypes()
{
    QHash<BitBlock, int> counts;
    countBlock(counts, BitBlock::fromPattern(0));
    countBlock(counts, BitBlock::fromPattern(511));
    countBlock(counts, BitBlock::fromPattern(0));
    QCOMPARE(counts.size(), 2);
    QCOMPARE(counts.value(BitBlock::fromPattern(0)), 2);
    QCOMPARE(counts.value(BitBlock::fromPattern(511)), 1);
}

void tst_BitBlock::toImage_data()
{
    QTest::addColumn<int>("pattern");

    QTest::newRow("all zero") << 0;
    QTest::newRow("top left alone") << 1;
    QTest::newRow("centre alone") << 16;
    QTest::newRow("bottom right alone") << 256;
    QTest::newRow("all one") << 511;
    QTest::newRow("checker") << (1 | 4 | 16 | 64 | 256);
}

void tst_BitBlock::toImage()
{
    QFETCH(int, pattern);

    const QImage image = BitBlock::fromPattern(pattern).toImage();
    QCOMPARE(image.size(), QSize(16, 16));
    int black = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const QRgb pixel = image.pixel(x, y);
            QVERIFY(pixel == 0xff000000 || pixel == 0xffc8c8c8);
            black += pixel == 0xff000000;
        }
    }
    // Each cell is a square of about 16 / 3 pixels; its middle shows the bit.
    for (int bit = 0; bit < 9; ++bit) {
        const int x = (bit % 3) * 16 / 3 + 2;
        const int y = (bit / 3) * 16 / 3 + 2;
        const QRgb expected = pattern & (1 << bit) ? 0xff000000 : 0xffc8c8c8;
        QCOMPARE(image.pixel(x, y), expected);
    }
    const int setBits = qPopulationCount(quint32(pattern));
    QVERIFY(black >= setBits * 25 && black <= setBits * 36);
}

void tst_BitBlock::toImageTopLeftSquare()
{
    // The top-left bit alone: a black square in the top-left corner, a third of the side.
    const QImage image = BitBlock::fromPattern(1).toImage();
    int side = 0;
    while (side < 16 && image.pixel(side, 0) == 0xff000000)
        ++side;
    QVERIFY(side == 5 || side == 6);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            QCOMPARE(image.pixel(x, y), x < side && y < side ? 0xff000000 : 0xffc8c8c8);
    }
}

QTEST_GUILESS_MAIN(tst_BitBlock)
#include "tst_bitblock.moc"
