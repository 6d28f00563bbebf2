// SPDX-License-Identifier: GPL-3.0-or-later
#include "bitplanes.h"
#include "lab.h"
#include "planestatistics.h"
#include "testpictures.h"
#include "windowtesting.h"

#include <QComboBox>
#include <QLCDNumber>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>

#include <algorithm>
#include <map>

namespace {

using WindowTesting::child;

using Access = MainWidgetTestAccess;

const QRgb black = 0xff000000;
const QRgb red = 0xffff0000;
const QRgb green = 0xff55aa7f;

QImage blankPlane(int width, int height)
{
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable(TestPictures::planeTable());
    image.fill(0);
    return image;
}

QImage lenaPlane(int index)
{
    static const QList<QImage> planes
        = BitPlanes::split(QImage(QStringLiteral(":/images/images/lena.bmp")));
    return planes.value(index);
}

// The block types of a plane read the plain way: every 3 x 3 block cut with QImage::copy, a bit
// set where the pixel is exactly opaque black; most frequent first, equal counts in the order of
// their first block.
struct Reference
{
    std::map<int, int> counts;
    QList<int> ranked;
    int blocks = 0;
};

Reference reference(const QImage &plane)
{
    Reference result;
    QList<int> firstSeen;
    for (int y = 0; y < plane.height(); y += 3) {
        for (int x = 0; x < plane.width(); x += 3) {
            const QImage block = plane.copy(x, y, 3, 3);
            int pattern = 0;
            for (int bit = 0; bit < 9; ++bit) {
                if (block.pixel(bit % 3, bit / 3) == black)
                    pattern |= 1 << bit;
            }
            if (result.counts[pattern]++ == 0)
                firstSeen.append(pattern);
            ++result.blocks;
        }
    }
    result.ranked = firstSeen;
    std::stable_sort(result.ranked.begin(), result.ranked.end(),
        [&](int a, int b) { return result.counts[a] > result.counts[b]; });
    return result;
}

// The 9-bit pattern drawn by a 16 x 16 block icon: black where the bit is set, grey elsewhere;
// -1 for any other picture.
int patternOfIcon(const QIcon &icon)
{
    const QImage image = icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_RGB32);
    if (image.size() != QSize(16, 16))
        return -1;
    int pattern = 0;
    for (int bit = 0; bit < 9; ++bit) {
        const int x = (2 * (bit % 3) + 1) * 16 / 6;
        const int y = (2 * (bit / 3) + 1) * 16 / 6;
        const QRgb pixel = image.pixel(x, y);
        if (pixel == black)
            pattern |= 1 << bit;
        else if (pixel != 0xffc8c8c8)
            return -1;
    }
    return pattern;
}

QVariant background(const QTableWidget *table, int row, int column)
{
    const QTableWidgetItem *item = table->item(row, column);
    return item ? item->data(Qt::BackgroundRole) : QVariant();
}

QRgb backgroundRgb(const QTableWidget *table, int row, int column)
{
    return background(table, row, column).value<QColor>().rgba();
}

// Everything a row shows, for comparing whole tables.
QStringList snapshot(const QTableWidget *table)
{
    QStringList cells;
    for (int column = 0; column < table->columnCount(); ++column)
        cells << table->horizontalHeaderItem(column)->text();
    for (int row = 0; row < table->rowCount(); ++row) {
        for (int column = 0; column < table->columnCount(); ++column) {
            const QTableWidgetItem *item = table->item(row, column);
            if (!item) {
                cells << QStringLiteral("<none>");
                continue;
            }
            cells << item->text() + QLatin1Char('|') + background(table, row, column).toString()
                    + QLatin1Char('|') + QString::number(patternOfIcon(item->icon()));
        }
    }
    return cells;
}

QString separator()
{
    return QString(65, QLatin1Char('_'));
}

} // namespace

class tst_PlaneAnalysis : public QObject
{
    Q_OBJECT

private slots:
    void report_data();
    void report();
    void imageName_data();
    void imageName();
    void table_data();
    void table();
    void runTwice();
    void nullImage_data();
    void nullImage();
    void longCodes();
    void check_data();
    void check();
    void checkBeforeAnalysis();
    void entropyLines_data();
    void entropyLines();
    void entropyLinesOfPicture();
    void entropyLinesOfEmptyTable();

private:
    void addPlanes();
};

void tst_PlaneAnalysis::report_data()
{
    QTest::addColumn<QImage>("plane");
    QTest::addColumn<int>("planeNumber");
    QTest::addColumn<QString>("text");

    const QString types
        = QStringLiteral("Ширина блока= 3\tВысота блока = 3\nВсего найдено %1 типов блоков!");

    // A lone type needs no bits: its code length, and so the average, is 0.
    QTest::newRow("512 x 512 white")
        << blankPlane(512, 512) << 1
        << QStringLiteral("Изображение: Лена. Плоскость №1\n") + types.arg(1)
            + QStringLiteral("\nСредняя длина кода = 0 бит\n"
                             "Количество блоков в плоскости = 29241\n"
                             "Длина списка счетчиков кодов = 1\n"
                             "Исходный размер плоскости = 262144 бит = 32 Кбайт\n"
                             "Энтропия плоскости = 0 бит/блок\n\n\n")
            + separator();

    // The top half's blocks, the edge column's too, have their top-left pixel black.
    QImage half = blankPlane(640, 480);
    for (int y = 0; y < 240; y += 3) {
        for (int x = 0; x < 640; x += 3)
            half.setPixel(x, y, 1);
    }
    QTest::newRow("640 x 480 two halves")
        << half << 8
        << QStringLiteral("Изображение: Лена. Плоскость №8\n") + types.arg(2)
            + QStringLiteral("\nСредняя длина кода = 1 бит\n"
                             "Количество блоков в плоскости = 34240\n"
                             "Длина списка счетчиков кодов = 1\n"
                             "Исходный размер плоскости = 307200 бит = 37.5 Кбайт\n"
                             "Энтропия плоскости = 1 бит/блок\n\n\n")
            + separator();

    // Counts 2, 1, 1: codes of 1, 2 and 2 bits.
    QTest::newRow("12 x 3 three types")
        << TestPictures::planeOfPatterns({0, 0, 1, 2}, 4) << 5
        << QStringLiteral("Изображение: Лена. Плоскость №5\n") + types.arg(3)
            + QStringLiteral("\nСредняя длина кода = 1.5 бит\n"
                             "Количество блоков в плоскости = 4\n"
                             "Длина списка счетчиков кодов = 2\n"
                             "Исходный размер плоскости = 36 бит = 0.00439453 Кбайт\n"
                             "Энтропия плоскости = 1.5 бит/блок\n\n\n")
            + separator();
}

void tst_PlaneAnalysis::report()
{
    QFETCH(QImage, plane);
    QFETCH(int, planeNumber);
    QFETCH(QString, text);

    Lab lab;
    lab.combo->setCurrentIndex(1);
    lab.lcd->display(planeNumber);
    Access::analyse(lab.window, plane);
    // Line by line, so that a failure names the line.
    QCOMPARE(lab.report->toPlainText().split(QLatin1Char('\n')), text.split(QLatin1Char('\n')));
}

void tst_PlaneAnalysis::imageName_data()
{
    QTest::addColumn<int>("comboIndex");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("paragraph");

    QTest::newRow("built-in picture")
        << 1 << QString() << QStringLiteral("Изображение: Лена. Плоскость №3");
    QTest::newRow("file, no built-in chosen")
        << 0 << QStringLiteral("/home/student/кот.bmp")
        << QStringLiteral("Изображение: /home/student/кот.bmp. Плоскость №3");
    QTest::newRow("built-in name wins over a file")
        << 3 << QStringLiteral("/tmp/x.bmp")
        << QStringLiteral("Изображение: Золотой холм. Плоскость №3");
    QTest::newRow("nothing chosen")
        << 0 << QString() << QStringLiteral("Изображение: . Плоскость №3");
}

void tst_PlaneAnalysis::imageName()
{
    QFETCH(int, comboIndex);
    QFETCH(QString, path);
    QFETCH(QString, paragraph);

    Lab lab;
    lab.combo->setCurrentIndex(comboIndex);
    lab.path->setText(path);
    lab.lcd->display(3);
    Access::analyse(lab.window, blankPlane(6, 6));
    QCOMPARE(lab.report->toPlainText().section(QLatin1Char('\n'), 0, 0), paragraph);
}

void tst_PlaneAnalysis::addPlanes()
{
    QTest::addColumn<QImage>("plane");

    QTest::newRow("lena plane 1") << lenaPlane(0);
    QTest::newRow("lena plane 5") << lenaPlane(4);
    QTest::newRow("lena plane 8") << lenaPlane(7);
    QTest::newRow("one type") << blankPlane(7, 5);
    QTest::newRow("three types") << TestPictures::planeOfPatterns({0, 0, 1, 2}, 4);
    // Equal counts must keep the order of the first blocks, whatever a hash would do.
    QTest::newRow("six types, all tied")
        << TestPictures::planeOfPatterns({300, 7, 511, 0, 42, 100, 42, 511, 300, 0, 100, 7}, 5);
    QTest::newRow("edge blocks 10 x 7") << TestPictures::plane({"#.#.#.#.##", "..#...#..#",
        "#.#.#....#", "..........", "###...#..#", "..#......#", "#.#.######"});
}

void tst_PlaneAnalysis::table_data()
{
    addPlanes();
}

void tst_PlaneAnalysis::table()
{
    QFETCH(QImage, plane);

    Lab lab;
    Access::analyse(lab.window, plane);

    const QStringList headers
        = {QStringLiteral("тип блока"), QStringLiteral("количество"), QStringLiteral("вероятность"),
            QStringLiteral("код Хаффмана"), QStringLiteral("длина кода")};
    QCOMPARE(lab.table->columnCount(), 5);
    for (int column = 0; column < 5; ++column)
        QCOMPARE(lab.table->horizontalHeaderItem(column)->text(), headers.at(column));

    const Reference expected = reference(plane);
    const QTableWidget *table = lab.table;
    QCOMPARE(table->rowCount(), int(expected.ranked.size()));

    const QList<QString> codes = Access::blockCodes(lab.window);
    QCOMPARE(codes, PlaneStatistics::of(plane).codes);

    const QHash<BitBlock, int> counts = Access::blockCounts(lab.window);
    QCOMPARE(counts.size(), qsizetype(expected.counts.size()));
    for (const auto &[pattern, count] : expected.counts)
        QCOMPARE(counts.value(BitBlock::fromPattern(pattern)), count);

    int countSum = 0;
    double probabilitySum = 0;
    for (int row = 0; row < table->rowCount(); ++row) {
        const QByteArray where = "row " + QByteArray::number(row);
        const int pattern = expected.ranked.at(row);
        const int count = expected.counts.at(pattern);

        QVERIFY2(table->item(row, 0)->text().isEmpty(), where);
        QCOMPARE(patternOfIcon(table->item(row, 0)->icon()), pattern);
        QCOMPARE(table->item(row, 1)->text(), QString::number(count));
        QCOMPARE(table->item(row, 2)->text(),
            QString::number(double(float(count) / float(expected.blocks)), 'g', 6));
        if (row < 5) {
            QVERIFY2(table->item(row, 3)->text().isEmpty(), where);
            QCOMPARE(backgroundRgb(table, row, 3), red);
        } else {
            QCOMPARE(table->item(row, 3)->text(), codes.at(row));
            QVERIFY2(!background(table, row, 3).isValid(), where);
        }
        // A lone type needs no bits: length 0 beside its code "0".
        const int length = table->rowCount() == 1 ? 0 : int(codes.at(row).size());
        QCOMPARE(table->item(row, 4)->text(), QString::number(length));
        for (const int column : {0, 1, 2, 4})
            QVERIFY2(!background(table, row, column).isValid(), where);

        countSum += table->item(row, 1)->text().toInt();
        probabilitySum += table->item(row, 2)->text().toDouble();
    }
    QCOMPARE(countSum, expected.blocks);
    QVERIFY2(qAbs(probabilitySum - 1.0) < 1e-4, qPrintable(QString::number(probabilitySum)));
}

void tst_PlaneAnalysis::runTwice()
{
    Lab lab;
    lab.combo->setCurrentIndex(2);
    Access::analyse(lab.window, lenaPlane(3));
    const QStringList table = snapshot(lab.table);
    const QString text = lab.report->toPlainText();
    const QList<QString> codes = Access::blockCodes(lab.window);

    Access::analyse(lab.window, lenaPlane(3));
    QCOMPARE(snapshot(lab.table), table);
    QCOMPARE(lab.report->toPlainText(), text + QLatin1Char('\n') + text);
    QCOMPARE(Access::blockCodes(lab.window), codes);

    // A plane with fewer types afterwards leaves no rows of the old one behind.
    Access::analyse(lab.window, TestPictures::planeOfPatterns({0, 0, 1, 2}, 4));
    QCOMPARE(lab.table->rowCount(), 3);
    QCOMPARE(Access::blockCodes(lab.window).size(), 3);
    QCOMPARE(Access::blockCounts(lab.window).size(), 3);
}

void tst_PlaneAnalysis::nullImage_data()
{
    QTest::addColumn<bool>("analysedBefore");
    QTest::newRow("fresh window") << false;
    QTest::newRow("after an analysis") << true;
}

void tst_PlaneAnalysis::nullImage()
{
    QFETCH(bool, analysedBefore);

    Lab lab;
    if (analysedBefore)
        Access::analyse(lab.window, lenaPlane(0));
    const QStringList table = snapshot(lab.table);
    const QString text = lab.report->toPlainText();
    const QList<QString> codes = Access::blockCodes(lab.window);
    const QHash<BitBlock, int> counts = Access::blockCounts(lab.window);

    Access::analyse(lab.window, QImage());
    QCOMPARE(snapshot(lab.table), table);
    // Line by line, so that a failure names the line.
    QCOMPARE(lab.report->toPlainText().split(QLatin1Char('\n')), text.split(QLatin1Char('\n')));
    QCOMPARE(Access::blockCodes(lab.window), codes);
    QCOMPARE(Access::blockCounts(lab.window), counts);
    QCOMPARE(lab.table->rowCount(), analysedBefore ? int(codes.size()) : 0);
}

void tst_PlaneAnalysis::longCodes()
{
    // Fibonacci counts make the deepest Huffman tree there is: codes far past 32 bits.
    BlockHistogram histogram;
    int previous = 1;
    int current = 1;
    for (int pattern = 0; pattern < 40; ++pattern) {
        histogram.counts[size_t(pattern)] = previous;
        histogram.firstSeen.append(pattern);
        const int next = previous + current;
        previous = current;
        current = next;
    }
    const PlaneStatistics stats = PlaneStatistics::fromHistogram(3000, 3000, histogram);
    int longest = 0;
    for (const SymbolLength &entry : stats.lengths)
        longest = qMax(longest, entry.length);
    QVERIFY2(longest > 32, qPrintable(QString::number(longest)));

    Lab lab;
    Access::show(lab.window, stats);
    QCOMPARE(lab.table->rowCount(), 40);
    QCOMPARE(Access::blockCodes(lab.window), stats.codes);
    for (int row = 5; row < 40; ++row) {
        const QString code = lab.table->item(row, 3)->text();
        QCOMPARE(code, stats.codes.at(row));
        QCOMPARE(lab.table->item(row, 4)->text(), QString::number(code.size()));
    }
    QCOMPARE(lab.table->item(39, 3)->text().size(), longest);
}

enum class Typing { Exact, ExtraSpace, MissingDigit, WrongRow, OneEmpty, Untouched };
Q_DECLARE_METATYPE(Typing)

void tst_PlaneAnalysis::check_data()
{
    QTest::addColumn<QImage>("plane");
    QTest::addColumn<Typing>("typing");
    QTest::addColumn<QRgb>("colour");

    const QImage lena = lenaPlane(0);
    const QImage three = TestPictures::planeOfPatterns({0, 0, 1, 2}, 4);
    const QImage one = blankPlane(9, 9);

    QTest::newRow("exact") << lena << Typing::Exact << green;
    QTest::newRow("extra space") << lena << Typing::ExtraSpace << red;
    QTest::newRow("missing digit") << lena << Typing::MissingDigit << red;
    QTest::newRow("codes in the wrong rows") << lena << Typing::WrongRow << red;
    QTest::newRow("last cell empty") << lena << Typing::OneEmpty << red;
    QTest::newRow("nothing typed") << lena << Typing::Untouched << red;
    QTest::newRow("three types, exact") << three << Typing::Exact << green;
    QTest::newRow("three types, wrong rows") << three << Typing::WrongRow << red;
    QTest::newRow("three types, last cell empty") << three << Typing::OneEmpty << red;
    QTest::newRow("one type, exact") << one << Typing::Exact << green;
    QTest::newRow("one type, extra space") << one << Typing::ExtraSpace << red;
}

void tst_PlaneAnalysis::check()
{
    QFETCH(QImage, plane);
    QFETCH(Typing, typing);
    QFETCH(QRgb, colour);

    Lab lab;
    Access::analyse(lab.window, plane);
    const QList<QString> codes = Access::blockCodes(lab.window);
    const int hidden = qMin(5, lab.table->rowCount());
    QCOMPARE(codes.size(), lab.table->rowCount());

    QStringList typed;
    for (int row = 0; row < hidden; ++row)
        typed << codes.at(row);
    switch (typing) {
    case Typing::Exact:
        break;
    case Typing::ExtraSpace:
        typed.last() += QLatin1Char(' ');
        break;
    case Typing::MissingDigit:
        typed.last().chop(1);
        break;
    case Typing::WrongRow:
        std::swap(typed.first(), typed.last());
        break;
    case Typing::OneEmpty:
        typed.last().clear();
        break;
    case Typing::Untouched:
        typed = QStringList(hidden, QString());
        break;
    }
    for (int row = 0; row < hidden; ++row)
        lab.table->item(row, 3)->setText(typed.at(row));
    const QStringList before = snapshot(lab.table);

    for (int press = 0; press < 2; ++press) {
        lab.check->click();
        for (int row = 0; row < hidden; ++row) {
            QCOMPARE(backgroundRgb(lab.table, row, 3), colour);
            QCOMPARE(lab.table->item(row, 3)->text(), typed.at(row));
        }
        for (int row = hidden; row < lab.table->rowCount(); ++row)
            QVERIFY(!background(lab.table, row, 3).isValid());
    }
    QCOMPARE(Access::blockCodes(lab.window), codes);

    // Only the colours of the hidden cells changed.
    const QStringList after = snapshot(lab.table);
    QCOMPARE(after.size(), before.size());
    int changed = 0;
    for (int i = 0; i < after.size(); ++i)
        changed += after.at(i) != before.at(i);
    QCOMPARE(changed, colour == red ? 0 : hidden);

    // Another plane's analysis hides the codes again.
    lab.lcd->display(lab.lcd->intValue() % 8 + 1);
    Access::analyse(lab.window, plane);
    for (int row = 0; row < hidden; ++row) {
        QVERIFY(lab.table->item(row, 3)->text().isEmpty());
        QCOMPARE(backgroundRgb(lab.table, row, 3), red);
    }
}

void tst_PlaneAnalysis::checkBeforeAnalysis()
{
    // Cells that did not come from an analysis are never judged.
    Lab lab;
    lab.table->setRowCount(5);
    for (int row = 0; row < 5; ++row)
        lab.table->setItem(row, 3, new QTableWidgetItem(QString()));
    lab.check->click();
    for (int row = 0; row < 5; ++row)
        QVERIFY(!background(lab.table, row, 3).isValid());
    QVERIFY(lab.report->toPlainText().isEmpty());
}

void tst_PlaneAnalysis::entropyLines_data()
{
    QTest::addColumn<QImage>("plane");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("0.5") << TestPictures::planeOfPatterns({0, 511}, 2)
                         << QStringList {"0,5", "0,5"};

    // 22 of 615 blocks black.
    QImage blocks615 = blankPlane(123, 45);
    for (int i = 0; i < 22; ++i) {
        const int x = 3 * (i * 7 % 41);
        const int y = 3 * (i % 15);
        blocks615.setPixel(x + 1, y + 1, 1);
    }
    QTest::newRow("0.0357724") << blocks615 << QStringList {"0,964228", "0,0357724"};

    // One odd block of 29241: 'g' writes 3.41986e-05.
    QImage odd = blankPlane(513, 513);
    odd.setPixel(256, 256, 1);
    QTest::newRow("3.41986e-05") << odd << QStringList {"0,999966", "0,0000341986"};

    QTest::newRow("one type, 1") << blankPlane(512, 512) << QStringList {"1"};
}

void tst_PlaneAnalysis::entropyLines()
{
    QFETCH(QImage, plane);
    QFETCH(QStringList, lines);

    Lab lab;
    Access::analyse(lab.window, plane);
    QCOMPARE(lab.table->rowCount(), int(lines.size()));
    const QString analysis = lab.report->toPlainText();

    lab.output->click();
    QCOMPARE(lab.report->toPlainText(), analysis + QLatin1Char('\n') + lines.join('\n'));
    lab.output->click();
    QCOMPARE(lab.report->toPlainText(),
        analysis + QLatin1Char('\n') + lines.join('\n') + QLatin1Char('\n') + lines.join('\n'));
}

void tst_PlaneAnalysis::entropyLinesOfPicture()
{
    // Every line is the probability cell's number, in plain decimals with a comma.
    Lab lab;
    Access::analyse(lab.window, lenaPlane(7));
    const QString analysis = lab.report->toPlainText();
    lab.output->click();
    const QStringList lines = lab.report->toPlainText().mid(analysis.size() + 1).split('\n');
    QCOMPARE(lines.size(), lab.table->rowCount());
    const QRegularExpression plain(QStringLiteral("^[01](,[0-9]*[1-9])?$"));
    for (int row = 0; row < lines.size(); ++row) {
        const QString line = lines.at(row);
        QVERIFY2(plain.match(line).hasMatch(), qPrintable(line));
        QCOMPARE(
            QString(line).replace(',', '.').toDouble(), lab.table->item(row, 2)->text().toDouble());
    }
}

void tst_PlaneAnalysis::entropyLinesOfEmptyTable()
{
    Lab lab;
    lab.report->setPlainText(QStringLiteral("заметки"));
    lab.output->click();
    QCOMPARE(lab.report->toPlainText(), QStringLiteral("заметки"));
}

QTEST_MAIN(tst_PlaneAnalysis)
#include "tst_planeanalysis.moc"
