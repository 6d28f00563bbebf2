// SPDX-License-Identifier: GPL-3.0-or-later
// A whole lab session driven the way a student drives it: keys, clicks and the file dialog only.
// Every expected value is worked out here from the picture itself, by the plain literal reading
// and the hand construction of the Huffman code, never taken from the window.
#include "lab.h"
#include "referencehuffman.h"
#include "testpictures.h"

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>

namespace {

using WindowTesting::typeKeys;

// What a student should find for one plane, computed from scratch.
struct Expected
{
    QList<int> counts; // most frequent first
    QList<float> probabilities;
    QList<SymbolLength> lengths;
    QStringList codes;
    int blocks = 0;
    QString summary; // the report's third paragraph
};

QString number(float value)
{
    return QString::number(double(value), 'g', 6);
}

Expected expectedFor(const QImage &plane)
{
    const TestPictures::ReferenceHistogram histogram = TestPictures::referenceHistogram(plane);
    QList<int> order = histogram.firstSeen; // first appearance breaks ties
    std::stable_sort(order.begin(), order.end(), [&histogram](int a, int b) {
        return histogram.counts[size_t(a)] > histogram.counts[size_t(b)];
    });

    Expected expected;
    expected.blocks = histogram.blocks;
    for (const int pattern : std::as_const(order)) {
        const int count = histogram.counts[size_t(pattern)];
        expected.counts << count;
        expected.probabilities << float(count) / float(histogram.blocks);
    }
    if (!ReferenceHuffman::listMergingLengths(expected.probabilities, &expected.lengths))
        qFatal("the hand construction does not terminate for this plane");
    expected.codes = ReferenceHuffman::canonicalCodes(expected.lengths);

    float average = 0;
    float entropy = 0;
    int longest = 0;
    for (int i = 0; i < expected.probabilities.size(); ++i) {
        const float p = expected.probabilities.at(i);
        average = average + p * float(expected.lengths.at(i).length);
        entropy = float(entropy + std::log(double(p)) * p / -0.6931471805599453);
        longest = std::max(longest, expected.lengths.at(i).length);
    }
    const float bits = float(plane.width() * plane.height());
    expected.summary = QStringLiteral("Средняя длина кода = %1 бит\n"
                                      "Количество блоков в плоскости = %2\n"
                                      "Длина списка счетчиков кодов = %3\n"
                                      "Исходный размер плоскости = %4 бит = %5 Кбайт\n"
                                      "Энтропия плоскости = %6 бит/блок\n\n\n")
                           .arg(number(average))
                           .arg(histogram.blocks)
                           .arg(std::max(longest, 1))
                           .arg(QString::number(double(bits), 'f', 0))
                           .arg(number(bits * 0.0001220703125f))
                           .arg(number(entropy))
        + QString(65, QLatin1Char('_'));
    return expected;
}

// The report's paragraphs, as the document holds them.
QStringList paragraphs(const QTextEdit *report)
{
    return report->toPlainText().split(QLatin1Char('\n'));
}

QImage asPlane(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void studentSession();
};

void TestEndToEnd::studentSession()
{
    Lab lab(Lab::AtHomework);
    lab.showActive();

    // Homework: name and counters typed, CHECK chosen, the button pressed.
    typeKeys(lab.name, "Мама Мыла Раму");
    QTest::keyClicks(lab.counters, "0,3,0,4");
    QTest::mouseClick(lab.lever, Qt::LeftButton);
    QTest::mouseClick(lab.lever, Qt::LeftButton);
    QVERIFY(!lab.lever->value());
    QTest::mouseClick(lab.homeworkButton, Qt::LeftButton);
    QVERIFY(lab.verdict->text().contains("55aa7f"));
    QVERIFY(lab.labTab->isEnabled());

    // The lab tab, "Лена" picked in the combo box with the keyboard.
    lab.goToLab();
    QCOMPARE(lab.tabs->currentIndex(), 1);
    QVERIFY(lab.combo->isVisible());
    lab.chooseLena();
    QCOMPARE(lab.combo->currentText(), "Лена");

    const QImage lena(":/images/images/lena.bmp");
    const QList<QImage> planes = TestPictures::referencePlanes(lena);
    QTableWidget *table = lab.table;
    QTextEdit *report = lab.report;
    QDial *dial = lab.dial;
    QVERIFY(!lab.preview->pixmap().isNull());

    // The dial through all eight planes: each shown, counted and reported.
    Expected expected;
    for (int planeNumber = 1; planeNumber <= 8; ++planeNumber) {
        if (planeNumber > 1) {
            dial->setFocus();
            QTest::keyClick(dial, Qt::Key_Right);
        }
        QCOMPARE(dial->value(), planeNumber);
        QCOMPARE(lab.lcd->intValue(), planeNumber);
        QCOMPARE(asPlane(lab.viewer->image()), asPlane(planes.at(planeNumber - 1)));

        expected = expectedFor(planes.at(planeNumber - 1));
        QCOMPARE(table->rowCount(), expected.counts.size());
        for (int row = 0; row < table->rowCount(); ++row) {
            QCOMPARE(table->item(row, 1)->text(), QString::number(expected.counts.at(row)));
            QCOMPARE(table->item(row, 2)->text(), number(expected.probabilities.at(row)));
            QCOMPARE(table->item(row, 4)->text(), QString::number(expected.lengths.at(row).length));
            QCOMPARE(table->item(row, 3)->text(), row < 5 ? QString() : expected.codes.at(row));
        }
        const QStringList lines = paragraphs(report);
        const QStringList summary = expected.summary.split(QLatin1Char('\n'));
        const QStringList last = lines.mid(lines.size() - summary.size() - 3);
        QCOMPARE(
            last.value(0), QStringLiteral("Изображение: Лена. Плоскость №%1").arg(planeNumber));
        QCOMPARE(last.value(1), "Ширина блока= 3\tВысота блока = 3");
        QCOMPARE(last.value(2),
            QStringLiteral("Всего найдено %1 типов блоков!").arg(expected.counts.size()));
        QCOMPARE(last.mid(3), summary);
    }
    QCOMPARE(paragraphs(report).filter(QStringLiteral("Изображение: ")).size(), 8);

    // The five hidden codes, typed and checked: green; one changed: all red.
    for (int row = 0; row < 5; ++row)
        QVERIFY(lab.typeIntoCell(row, 3, expected.codes.at(row)));
    QTest::mouseClick(lab.check, Qt::LeftButton);
    for (int row = 0; row < 5; ++row)
        QCOMPARE(table->item(row, 3)->background().color(), QColor(0x55, 0xaa, 0x7f));
    QVERIFY(lab.typeIntoCell(2, 3, expected.codes.at(2) + QLatin1Char('0')));
    QTest::mouseClick(lab.check, Qt::LeftButton);
    for (int row = 0; row < 5; ++row)
        QCOMPARE(table->item(row, 3)->background().color(), QColor(0xff, 0x00, 0x00));

    // The probabilities for the entropy, one line per row with a decimal comma.
    const int before = paragraphs(report).size();
    QTest::mouseClick(lab.output, Qt::LeftButton);
    const QStringList output = paragraphs(report).mid(before);
    QCOMPARE(output.size(), expected.probabilities.size());
    for (int row = 0; row < output.size(); ++row) {
        QString line = output.at(row);
        QVERIFY2(!line.contains('e') && !line.contains('.'), qPrintable(line));
        QCOMPARE(line.replace(QLatin1Char(','), QLatin1Char('.')).toFloat(),
            expected.probabilities.at(row));
    }

    // SKIP: the student's own picture through the file dialog.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QImage own(10, 7, QImage::Format_Grayscale8);
    for (int y = 0; y < own.height(); ++y) {
        for (int x = 0; x < own.width(); ++x)
            own.setPixelColor(x, y, QColor::fromHsv(0, 0, (x * 37 + y * 91) % 256));
    }
    const QString file = dir.filePath("моя картинка.bmp");
    QVERIFY(own.save(file));
    lab.tabs->setCurrentIndex(0);
    QTest::mouseClick(lab.lever, Qt::LeftButton);
    QVERIFY(lab.lever->value());
    QTest::mouseClick(lab.homeworkButton, Qt::LeftButton);
    QVERIFY(lab.verdict->text().contains("0055ff"));
    lab.goToLab();
    QVERIFY(!lab.combo->isVisible());
    lab.open(file);
    QVERIFY(lab.messages.isEmpty());
    QCOMPARE(lab.path->text(), file);

    const QImage ownPlane = TestPictures::referencePlanes(QImage(file)).at(7);
    QCOMPARE(asPlane(lab.viewer->image()), asPlane(ownPlane));
    expected = expectedFor(ownPlane);
    QCOMPARE(table->rowCount(), expected.counts.size());
    const QStringList lines = paragraphs(report);
    const QStringList summary = expected.summary.split(QLatin1Char('\n'));
    const QStringList last = lines.mid(lines.size() - summary.size() - 3);
    QCOMPARE(last.value(0), QStringLiteral("Изображение: %1. Плоскость №8").arg(file));
    QCOMPARE(last.mid(3), summary);
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
