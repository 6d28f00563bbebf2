// SPDX-License-Identifier: GPL-3.0-or-later
#include "planereport.h"
#include "planestatistics.h"
#include "testpictures.h"

#include <QTest>

class tst_PlaneReport : public QObject
{
    Q_OBJECT

private slots:
    void imageParagraph_data();
    void imageParagraph();
    void blockTypesParagraph();
    void summaryParagraph_data();
    void summaryParagraph();
    void summaryOfStatistics();
    void probabilityText_data();
    void probabilityText();
    void entropyLine_data();
    void entropyLine();
    void entropyLineOfProbability_data();
    void entropyLineOfProbability();
};

void tst_PlaneReport::imageParagraph_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("plane");
    QTest::addColumn<QString>("text");

    QTest::newRow("lena plane 1") << QStringLiteral("Лена") << 1.0
                                  << QStringLiteral("Изображение: Лена. Плоскость №1");
    QTest::newRow("file plane 8") << QStringLiteral("/home/student/кот.bmp") << 8.0
                                  << QStringLiteral(
                                         "Изображение: /home/student/кот.bmp. Плоскость №8");
}

void tst_PlaneReport::imageParagraph()
{
    QFETCH(QString, name);
    QFETCH(double, plane);
    QFETCH(QString, text);
    QCOMPARE(PlaneReport::imageParagraph(name, plane), text);
}

void tst_PlaneReport::blockTypesParagraph()
{
    QCOMPARE(PlaneReport::blockTypesParagraph(187),
        QStringLiteral("Ширина блока= 3\tВысота блока = 3\nВсего найдено 187 типов блоков!"));
    QCOMPARE(PlaneReport::blockTypesParagraph(1),
        QStringLiteral("Ширина блока= 3\tВысота блока = 3\nВсего найдено 1 типов блоков!"));
}

void tst_PlaneReport::summaryParagraph_data()
{
    QTest::addColumn<float>("averageLength");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("counters");
    QTest::addColumn<qint64>("bits");
    QTest::addColumn<float>("entropy");
    QTest::addColumn<QString>("numbers"); // the five numbers as they are printed

    QTest::newRow("512x512") << 2.4567891f << 29241 << 14 << qint64(262144) << 2.4312f
                             << "2.45679|29241|14|262144|32|2.4312";
    QTest::newRow("640x480") << 1.0f << 34240 << 1 << qint64(307200) << 0.0f
                             << "1|34240|1|307200|37.5|0";
    QTest::newRow("10x7") << 1.75f << 12 << 3 << qint64(70) << 1.75f
                          << "1.75|12|3|70|0.00854492|1.75";
    // The largest size a float holds exactly, and the first it does not.
    QTest::newRow("4096x4096") << 1.0f << 1865956 << 1 << qint64(16777216) << 0.0f
                               << "1|1865956|1|16777216|2048|0";
    QTest::newRow("4097x4097") << 1.0f << 1865956 << 1 << qint64(16785409) << 0.0f
                               << "1|1865956|1|16785409|2049|0";
    QTest::newRow("100000x50000") << 1.0f << 555561112 << 1 << qint64(5000000000) << 0.0f
                                  << "1|555561112|1|5000000000|610352|0";
}

void tst_PlaneReport::summaryParagraph()
{
    QFETCH(float, averageLength);
    QFETCH(int, blocks);
    QFETCH(int, counters);
    QFETCH(qint64, bits);
    QFETCH(float, entropy);
    QFETCH(QString, numbers);

    const QStringList n = numbers.split('|');
    const QString expected = QStringLiteral("Средняя длина кода = ") + n[0]
        + QStringLiteral(" бит\n") + QStringLiteral("Количество блоков в плоскости = ") + n[1]
        + QStringLiteral("\n") + QStringLiteral("Длина списка счетчиков кодов = ") + n[2]
        + QStringLiteral("\n") + QStringLiteral("Исходный размер плоскости = ") + n[3]
        + QStringLiteral(" бит = ") + n[4] + QStringLiteral(" Кбайт\n")
        + QStringLiteral("Энтропия плоскости = ") + n[5] + QStringLiteral(" бит/блок\n\n\n")
        + QStringLiteral("_________________________________________________________________");
    const QString text
        = PlaneReport::summaryParagraph(averageLength, blocks, counters, bits, entropy);
    QCOMPARE(text, expected);
    QVERIFY(text.endsWith(QStringLiteral("\n\n\n") + QString(65, '_')));
    QVERIFY(!text.endsWith(QString(66, '_')));
}

void tst_PlaneReport::summaryOfStatistics()
{
    // Counts 4, 2, 1, 1 of eight blocks: avg = entropy = 1.75, three counters, 24 x 3 pixels.
    const QImage image = TestPictures::planeOfPatterns({7, 7, 0, 0, 7, 511, 7, 1}, 8);
    const PlaneStatistics stats = PlaneStatistics::of(image);
    QCOMPARE(PlaneReport::summaryParagraph(stats),
        PlaneReport::summaryParagraph(1.75f, 8, 3, 72, 1.75f));
    QVERIFY(PlaneReport::summaryParagraph(stats).contains(
        QStringLiteral("= 72 бит = 0.00878906 Кбайт")));
}

void tst_PlaneReport::probabilityText_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("total");
    QTest::addColumn<QString>("text");

    QTest::newRow("half") << 1 << 2 << "0.5";
    QTest::newRow("one") << 7 << 7 << "1";
    QTest::newRow("once in 512x512") << 1 << 29241 << "3.41986e-05";
    QTest::newRow("1046 of 29241") << 1046 << 29241 << "0.0357717";
    QTest::newRow("third") << 1 << 3 << "0.333333";
}

void tst_PlaneReport::probabilityText()
{
    QFETCH(int, count);
    QFETCH(int, total);
    QFETCH(QString, text);
    QCOMPARE(PlaneReport::probabilityText(float(count) / float(total)), text);
}

void tst_PlaneReport::entropyLine_data()
{
    QTest::addColumn<QString>("probability");
    QTest::addColumn<QString>("line");

    QTest::newRow("0.0357724") << "0.0357724"
                               << "0,0357724";
    QTest::newRow("0.5") << "0.5"
                         << "0,5";
    QTest::newRow("exponent") << "3.41986e-05"
                              << "0,0000341986";
    QTest::newRow("exponent one digit") << "1e-05"
                                        << "0,00001";
    QTest::newRow("exponent e-04 boundary") << "9.99999e-05"
                                            << "0,0000999999";
    QTest::newRow("one") << "1"
                         << "1";
    QTest::newRow("zero") << "0"
                          << "0";
    QTest::newRow("positive exponent") << "1.5e+06"
                                       << "1500000";
    QTest::newRow("not a number stays") << "abc"
                                        << "abc";
}

void tst_PlaneReport::entropyLine()
{
    QFETCH(QString, probability);
    QFETCH(QString, line);
    QCOMPARE(PlaneReport::entropyLine(probability), line);
}

void tst_PlaneReport::entropyLineOfProbability_data()
{
    QTest::addColumn<float>("probability");
    QTest::addColumn<QString>("line");

    QTest::newRow("0.5") << 0.5f << "0,5";
    QTest::newRow("0.0357724") << 0.0357724f << "0,0357724";
    QTest::newRow("1/29241") << 1.0f / 29241.0f << "0,0000341986";
    QTest::newRow("1") << 1.0f << "1";
    QTest::newRow("1/34240") << 1.0f / 34240.0f << "0,0000292056";
}

void tst_PlaneReport::entropyLineOfProbability()
{
    QFETCH(float, probability);
    QFETCH(QString, line);
    QCOMPARE(PlaneReport::entropyLine(probability), line);
    // Same digits as the table cell.
    QString digits = PlaneReport::probabilityText(probability);
    digits = digits.left(digits.indexOf('e')).remove('.');
    while (digits.startsWith('0'))
        digits.remove(0, 1);
    QVERIFY(line.contains(digits));
}

QTEST_GUILESS_MAIN(tst_PlaneReport)
#include "tst_planereport.moc"
