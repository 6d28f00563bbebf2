// SPDX-License-Identifier: GPL-3.0-or-later
// The teacher's key tool, run as a process: its output is what teachers compare with.

#include "bitplanes.h"
#include "fieldtext.h"
#include "handedin.h"
#include "homeworkdiagnosis.h"
#include "lab.h"
#include "namecode.h"
#include "nametable.h"
#include "plaincsv.h"
#include "planestatistics.h"
#include "resultstable.h"
#include "variants.h"

#include <QBuffer>
#include <QColor>
#include <QComboBox>
#include <QDial>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTableWidget>
#include <QTemporaryDir>

#include <QTest>
#include <QTextEdit>

namespace {

struct Run
{
    int exitCode = -1;
    QString out; // stdout decoded as UTF-8
    QByteArray err;
};

// LC_ALL=C checks that the answers come out as UTF-8 whatever the teacher's locale.
Run runTool(const QStringList &arguments, bool cLocale = false)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (cLocale) {
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        environment.insert(QStringLiteral("LANG"), QStringLiteral("C"));
    }
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KEYTOOL_PATH), arguments);
    Run run;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = process.readAllStandardError();
    return run;
}

const QString separator = QString(65, QLatin1Char('_'));

// An 18 x 3 greyscale picture of six 3 x 3 blocks. Marked pixels are level 200 (bits 7, 6 and
// 3 set), the others level 1 (bit 0 only). In plane 1 the blocks have the patterns
// 0, 1, 0, 3, 7, 511 (bit i = pixel (i % 3, i / 3)); plane 8 is the inverse.
QImage greyPicture()
{
    const int patterns[6] = {0, 1, 0, 3, 7, 511};
    QImage image(18, 3, QImage::Format_Indexed8);
    QList<QRgb> grey;
    for (int level = 0; level < 256; ++level)
        grey.append(qRgb(level, level, level));
    image.setColorTable(grey);
    for (int block = 0; block < 6; ++block) {
        for (int bit = 0; bit < 9; ++bit) {
            const bool marked = patterns[block] & (1 << bit);
            image.setPixel(3 * block + bit % 3, bit / 3, marked ? 200 : 1);
        }
    }
    return image;
}

// 6 x 3: an opaque black block, then a red one.
QImage blackAndRedPicture()
{
    QImage image(6, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 3; ++x)
            image.setPixel(x, y, qRgb(0, 0, 0));
    }
    return image;
}

QString paragraphs(const QString &first, int types, const QString &summaryNumbers)
{
    const QStringList n = summaryNumbers.split(QLatin1Char('|'));
    return first + QStringLiteral("\n") + QStringLiteral("Ширина блока= 3\tВысота блока = 3\n")
        + QStringLiteral("Всего найдено ") + QString::number(types)
        + QStringLiteral(" типов блоков!\n") + QStringLiteral("Средняя длина кода = ") + n[0]
        + QStringLiteral(" бит\nКоличество блоков в плоскости = ") + n[1]
        + QStringLiteral("\nДлина списка счетчиков кодов = ") + n[2]
        + QStringLiteral("\nИсходный размер плоскости = ") + n[3] + QStringLiteral(" бит = ") + n[4]
        + QStringLiteral(" Кбайт\nЭнтропия плоскости = ") + n[5] + QStringLiteral(" бит/блок\n\n\n")
        + separator + QStringLiteral("\n");
}

// Worked by hand. Plane 1: counts 2, 1, 1, 1, 1 of six blocks; Huffman on 1/3, 1/6 x 4 merges the
// last two sixths first, so lengths 1, 3, 3, 3, 3 and codes 0, 100, 101, 110, 111. Average
// 1/3 + 4/6 * 3 = 2.33333, entropy 1/3 log2 3 + 2/3 log2 6 = 2.25163; 54 bits = 0.0065918 KiB.
const QString plane1Rows = QStringLiteral("1\t000000000\t2\t0.333333\t0\t1\n"
                                          "2\t100000000\t1\t0.166667\t100\t3\n"
                                          "3\t110000000\t1\t0.166667\t101\t3\n"
                                          "4\t111000000\t1\t0.166667\t110\t3\n"
                                          "5\t111111111\t1\t0.166667\t111\t3\n");
const QString plane8Rows = QStringLiteral("1\t111111111\t2\t0.333333\t0\t1\n"
                                          "2\t011111111\t1\t0.166667\t100\t3\n"
                                          "3\t001111111\t1\t0.166667\t101\t3\n"
                                          "4\t000111111\t1\t0.166667\t110\t3\n"
                                          "5\t000000000\t1\t0.166667\t111\t3\n");
const QString mixedNumbers = QStringLiteral("2.33333|6|3|54|0.0065918|2.25163");
// Planes 3, 4, 6 and 7: every block white, one type of probability 1, the one-symbol code.
const QString whiteRows = QStringLiteral("1\t000000000\t6\t1\t0\t0\n");
const QString whiteNumbers = QStringLiteral("0|6|1|54|0.0065918|0");

QString planeSection(int plane, const QString &path)
{
    const bool mixed = plane == 1 || plane == 2 || plane == 5;
    const QString rows = plane == 8 ? plane8Rows : mixed ? plane1Rows : whiteRows;
    const bool white = rows == whiteRows;
    return QStringLiteral("# plane ") + QString::number(plane) + QStringLiteral("\n") + rows
        + QStringLiteral("\n")
        + paragraphs(QStringLiteral("Изображение: ") + path + QStringLiteral(". Плоскость №")
                + QString::number(plane),
            white ? 1 : 5, white ? whiteNumbers : mixedNumbers);
}

} // namespace

class tst_KeyTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void name_data();
    void name();
    void picturePlane_data();
    void picturePlane();
    void pictureAllPlanes();
    void formatFromContents();
    void colourPicture_data();
    void colourPicture();
    void summary_data();
    void summary();
    void unreadable_data();
    void unreadable();
    void badArguments_data();
    void badArguments();
    void help_data();
    void help();
    void matchesTheWindow_data();
    void matchesTheWindow();
    void greyMatchesTheWindow();
    void check_data();
    void check();
    void nameSteps();
    void helpNamesHomeworkCommands();
    void names();
    void namesCsv();
    void checkAll();
    void checkAllSpreadsheet();
    void namesSpreadsheetColumns();
    void spreadsheetWorkbook();
    void summaryCsv();
    void toolkitWarningsKept();
    void nameRule_data();
    void nameRule();
    void twoRightAnswers();
    void report();
    void reportNotWritten();
    void reportOfAVariant();
    void variantsTable();
    void variantsOfAClass();
    void variantsCsv();
    void variantsOfAnEmptyClass();
    void variantsInHelp();
    void checkResultsMoodleFolder();
    void modelReportReadsBackPerfect();

private:
    QTemporaryDir dir;
    QString greyPath;
};

void tst_KeyTool::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(QFile::exists(QStringLiteral(KEYTOOL_PATH)));
    greyPath = dir.filePath(QStringLiteral("серый.bmp"));
    QVERIFY(greyPicture().save(greyPath, "BMP"));
    const QImage back(greyPath);
    QVERIFY(back.isGrayscale());
    QCOMPARE(back.pixelIndex(3, 0), 200);
}

void tst_KeyTool::name_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("cLocale");
    QTest::addColumn<QString>("out");

    QTest::newRow("Мама Мыла Раму")
        << QStringList {"name", "Мама Мыла Раму"} << false << "0,3,0,4\n";
    QTest::newRow("words as separate arguments")
        << QStringList {"name", "Мама", "Мыла", "Раму"} << false << "0,3,0,4\n";
    QTest::newRow("C locale") << QStringList {"name", "Мама Мыла Раму"} << true << "0,3,0,4\n";
    QTest::newRow("Иванов Иван Иванович")
        << QStringList {"name", "Иванов Иван Иванович"} << false << "0,2,3,2\n";
    // Where exact fractions give other counters, they follow on a line of their own.
    QTest::newRow("two right answers") << QStringList {"name", "Андреева Вероника Аркадьевна"}
                                       << false << "0,1,3,5,2\n0,1,4,3,1,2\n";
    QTest::newRow("letter and space") << QStringList {"name", "Ааа Ааа Ааа"} << false << "2\n";
    // Read as the window's name field takes a paste: the key must be the window's answer.
    QTest::newRow("line break and spaces as pasted")
        << QStringList {"name", " Мама  Мыла\u00a0Раму\n"} << false << "0,3,0,4\n";
    QTest::newRow("е with a combining diaeresis")
        << QStringList {"name", "Се\u0308мин Пётр Фёдорович"} << false
        << NameCode::countersText(QStringLiteral("Сёмин Пётр Фёдорович")) + "\n";
}

void tst_KeyTool::name()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, cLocale);
    QFETCH(QString, out);

    const Run run = runTool(arguments, cLocale);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, out);
}

void tst_KeyTool::picturePlane_data()
{
    QTest::addColumn<int>("plane");
    QTest::addColumn<bool>("cLocale");

    QTest::newRow("plane 1") << 1 << false;
    QTest::newRow("plane 2 (bit 6)") << 2 << false;
    QTest::newRow("plane 3 (white)") << 3 << false;
    QTest::newRow("plane 5 (bit 3)") << 5 << false;
    QTest::newRow("plane 7 (white)") << 7 << false;
    QTest::newRow("plane 8 (bit 0)") << 8 << false;
    QTest::newRow("plane 1, C locale") << 1 << true;
}

void tst_KeyTool::picturePlane()
{
    QFETCH(int, plane);
    QFETCH(bool, cLocale);

    const Run run = runTool(
        {QStringLiteral("picture"), greyPath, QStringLiteral("--plane"), QString::number(plane)},
        cLocale);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, planeSection(plane, greyPath));

    const Run joined = runTool(
        {QStringLiteral("picture"), QStringLiteral("--plane=") + QString::number(plane), greyPath});
    QCOMPARE(joined.out, run.out);
}

void tst_KeyTool::pictureAllPlanes()
{
    const Run run = runTool({QStringLiteral("picture"), greyPath});
    QCOMPARE(run.exitCode, 0);
    QStringList sections;
    for (int plane = 1; plane <= 8; ++plane)
        sections << planeSection(plane, greyPath);
    QCOMPARE(run.out, sections.join(QLatin1Char('\n')));
}

// A BMP under a .jpg name is still read: the contents decide, not the name.
void tst_KeyTool::formatFromContents()
{
    const QString path = dir.filePath(QStringLiteral("bmp-inside.jpg"));
    QVERIFY(QFile::copy(greyPath, path));
    const Run run = runTool(
        {QStringLiteral("picture"), path, QStringLiteral("--plane"), QStringLiteral("8")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, planeSection(8, path));
}

void tst_KeyTool::colourPicture_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("planeText");

    QTest::newRow("bmp") << "BMP" << QStringList() << QString();
    QTest::newRow("png") << "PNG" << QStringList() << QString();
    QTest::newRow("bmp, --plane changes nothing")
        << "BMP" << QStringList {"--plane", "3"} << QString();
}

void tst_KeyTool::colourPicture()
{
    QFETCH(QString, format);
    QFETCH(QStringList, options);
    QFETCH(QString, planeText);

    const QString path = dir.filePath(QStringLiteral("colour.") + format.toLower());
    QVERIFY(blackAndRedPicture().save(path, format.toLatin1().constData()));
    QVERIFY(!QImage(path).isGrayscale());

    const Run run = runTool(QStringList {QStringLiteral("picture"), path} + options);
    QCOMPARE(run.exitCode, 0);
    // Only exactly opaque black counts as a set bit; the two types tie and keep their order.
    const QString expected = QStringLiteral("# picture\n"
                                            "1\t111111111\t1\t0.5\t0\t1\n"
                                            "2\t000000000\t1\t0.5\t1\t1\n"
                                            "\n")
        + paragraphs(QStringLiteral("Изображение: ") + path + planeText, 2,
            QStringLiteral("1|2|1|18|0.00219727|1"));
    QCOMPARE(run.out, expected);
}

// Worked by hand from the same pictures: the mixed planes code 2 x 1 + 4 x 3 = 14 bits, 9 / L =
// 9 / 2.33333 = 3.857; a white plane codes its blocks in 0 bits and has no ratio.
void tst_KeyTool::summary_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("colour");
    QTest::addColumn<QString>("out");

    const QString mixed = QStringLiteral("\t5\t2.33333\t2.25163\t14\t3.857\n");
    const QString white = QStringLiteral("\t1\t0\t0\t0\t-\n");
    QString all;
    for (int plane = 1; plane <= 8; ++plane)
        all += QString::number(plane)
            + (plane == 1 || plane == 2 || plane == 5 || plane == 8 ? mixed : white);
    QTest::newRow("all eight planes") << QStringList {"--summary"} << false << all;
    QTest::newRow("one plane") << QStringList {"--summary", "--plane", "2"} << false
                               << QStringLiteral("2") + mixed;
    QTest::newRow("a white plane")
        << QStringList {"--plane=4", "--summary"} << false << QStringLiteral("4") + white;
    QTest::newRow("colour picture, not split")
        << QStringList {"--summary"} << true << QStringLiteral("0\t2\t1\t1\t2\t9.000\n");
}

void tst_KeyTool::summary()
{
    QFETCH(QStringList, options);
    QFETCH(bool, colour);
    QFETCH(QString, out);

    QString path = greyPath;
    if (colour) {
        path = dir.filePath(QStringLiteral("summary-colour.bmp"));
        QVERIFY(blackAndRedPicture().save(path, "BMP"));
    }
    const Run run = runTool(QStringList {QStringLiteral("picture"), path} + options);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, out);
}

void tst_KeyTool::unreadable_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("contents"); // empty with no file name: no file at all

    QTest::newRow("missing file") << "missing.bmp" << QByteArray();
    QTest::newRow("empty file") << "empty.bmp" << QByteArray("");
    QTest::newRow("text") << "notes.bmp" << QByteArray("not a picture at all\n");
    QTest::newRow("bmp header only") << "header.bmp" << QByteArray("BM\x36\x00\x00\x00", 6);
    QTest::newRow("directory") << "." << QByteArray();
    // Qt alone would hand out the missing rows as whatever memory held: the key would be random.
    QFile grey(greyPath);
    QVERIFY(grey.open(QIODevice::ReadOnly));
    QTest::newRow("bmp cut off in the pixels") << "cut.bmp" << grey.readAll().chopped(20);
    QTest::newRow("gif, which students cannot open")
        << "one.gif"
        << QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff!\xf9\x04\x01"
                      "\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;",
               43);
}

void tst_KeyTool::unreadable()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, contents);

    const QString path = dir.filePath(fileName);
    if (!contents.isNull()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    const Run run = runTool({QStringLiteral("picture"), path});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY(QString::fromUtf8(run.err).contains(path));
}

void tst_KeyTool::badArguments_data()
{
    QTest::addColumn<QStringList>("arguments");

    QTest::newRow("nothing") << QStringList();
    QTest::newRow("unknown mode") << QStringList {"answers"};
    QTest::newRow("name without a name") << QStringList {"name"};
    QTest::newRow("name of nothing printable") << QStringList {"name", "\t"};
    QTest::newRow("name the field refuses") << QStringList {"name", "А"};
    QTest::newRow("check of a name the field refuses") << QStringList {"check", "иванов Иван", "1"};
    QTest::newRow("picture without a file") << QStringList {"picture"};
    QTest::newRow("plane 0") << QStringList {"picture", "x.bmp", "--plane", "0"};
    QTest::newRow("plane 9") << QStringList {"picture", "x.bmp", "--plane", "9"};
    QTest::newRow("plane -1") << QStringList {"picture", "x.bmp", "--plane=-1"};
    QTest::newRow("plane not a number") << QStringList {"picture", "x.bmp", "--plane", "один"};
    QTest::newRow("plane without a value") << QStringList {"picture", "x.bmp", "--plane"};
    QTest::newRow("plane twice") << QStringList {"picture", "x.bmp", "--plane", "1", "--plane=2"};
    QTest::newRow("two files") << QStringList {"picture", "x.bmp", "y.bmp"};
    QTest::newRow("unknown option") << QStringList {"picture", "x.bmp", "--planes", "1"};
    QTest::newRow("names without a file") << QStringList {"names", "--csv"};
    QTest::newRow("names of two files") << QStringList {"names", "a.txt", "b.txt"};
    QTest::newRow("names, unknown option") << QStringList {"names", "a.txt", "--tsv"};
    QTest::newRow("check-all without a file") << QStringList {"check-all"};
    QTest::newRow("check without anything") << QStringList {"check"};
    QTest::newRow("check without counters") << QStringList {"check", "Мама Мыла Раму"};
    QTest::newRow("check of nothing printable") << QStringList {"check", "\t", "1"};
    QTest::newRow("check with an option") << QStringList {"check", "Мама", "--steps", "1"};
    QTest::newRow("name with an unknown option") << QStringList {"name", "Мама", "--step"};
    QTest::newRow("report without a file to write")
        << QStringList {"report", "Мама Мыла Раму", "Лена"};
    QTest::newRow("report without a picture")
        << QStringList {"report", "Мама Мыла Раму", "-o", "x.odt"};
    QTest::newRow("report of plane 9")
        << QStringList {"report", "Мама Мыла Раму", "Лена", "--plane", "1,9", "-o", "x.odt"};
    QTest::newRow("report, unknown field")
        << QStringList {"report", "Мама Мыла Раму", "Лена", "-o", "x.odt", "--field", "вуз=УрФУ"};
    QTest::newRow("report, field without a value")
        << QStringList {"report", "Мама Мыла Раму", "Лена", "-o", "x.odt", "--field", "группа"};
    QTest::newRow("report of a variant past the table") << QStringList {"report", "Мама Мыла Раму",
        "--variant", QString::number(Variants::count() + 1), "-o", "x.odt"};
    QTest::newRow("report of a variant with another plane")
        << QStringList {"report", "Мама Мыла Раму", "--variant", "1", "--plane",
               QString::number(Variants::variant(1)->plane % 8 + 1), "-o", "x.odt"};
    QTest::newRow("report for a name the field refuses")
        << QStringList {"report", "мама", "Лена", "-o", "x.odt"};
    QTest::newRow("variant 0") << QStringList {"variants", "--variant", "0"};
    QTest::newRow("variant past the table")
        << QStringList {"variants", QStringLiteral("--variant=%1").arg(Variants::count() + 1)};
    QTest::newRow("variant not a number") << QStringList {"variants", "--variant", "пять"};
    QTest::newRow("variant without a number") << QStringList {"variants", "--variant"};
    QTest::newRow("variant twice") << QStringList {"variants", "--variant", "1", "--variant", "2"};
    QTest::newRow("variant and a class") << QStringList {"variants", "a.txt", "--variant", "1"};
    QTest::newRow("variants, columns without a class")
        << QStringList {"variants", "--columns", "2"};
    QTest::newRow("variants of two classes") << QStringList {"variants", "a.txt", "b.txt"};
    QTest::newRow("check-results without a folder") << QStringList {"check-results", "--csv"};
    QTest::newRow("check-results, columns without a class")
        << QStringList {"check-results", "работы", "--columns", "2"};
    QTest::newRow("check-results, class without a file")
        << QStringList {"check-results", "работы", "--class"};
}

// Bad arguments are rejected before any file is touched: x.bmp need not exist.
void tst_KeyTool::badArguments()
{
    QFETCH(QStringList, arguments);

    const Run run = runTool(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.out.isEmpty());
    QVERIFY(QString::fromUtf8(run.err).contains(QStringLiteral("Использование:")));
}

void tst_KeyTool::help_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("cLocale");

    QTest::newRow("--help") << QStringList {"--help"} << false;
    QTest::newRow("-h") << QStringList {"-h"} << false;
    QTest::newRow("after the mode") << QStringList {"picture", "--help"} << false;
    QTest::newRow("C locale") << QStringList {"--help"} << true;
}

void tst_KeyTool::help()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, cLocale);

    const Run run = runTool(arguments, cLocale);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains(QStringLiteral("Использование:")));
    QVERIFY(run.out.contains(QStringLiteral("# picture")));
    QVERIFY(run.out.contains(QStringLiteral("Плоскость №N")));
}

void tst_KeyTool::matchesTheWindow_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("plane");

    QTest::newRow("Лена, plane 1") << "Лена"
                                   << ":/images/images/lena.bmp" << 1;
    QTest::newRow("Барбара, plane 8") << "Барбара"
                                      << ":/images/images/barbara.bmp" << 8;
    QTest::newRow("Золотой холм, plane 4") << "Золотой холм"
                                           << ":/images/images/goldhill.bmp" << 4;
}

// The key is only worth having if it is what the student's window computes, hidden codes
// included: the same picture in the window and through the tool.
void tst_KeyTool::matchesTheWindow()
{
    QFETCH(QString, name);
    QFETCH(QString, resource);
    QFETCH(int, plane);

    Lab lab(Lab::AtHomework);
    lab.dial->setValue(plane);
    lab.choose(name);
    QCOMPARE(lab.combo->currentText(), name);
    const QTableWidget *table = lab.table;
    const QList<QString> codes = MainWidgetTestAccess::blockCodes(lab.window);
    QVERIFY(table->rowCount() > 5);
    QCOMPARE(codes.size(), table->rowCount());

    const QString path = dir.filePath(QFileInfo(resource).fileName());
    QVERIFY(QFile::exists(path) || QFile::copy(resource, path));
    const Run run = runTool(
        {QStringLiteral("picture"), path, QStringLiteral("--plane"), QString::number(plane)});
    QCOMPARE(run.exitCode, 0);

    const qsizetype blank = run.out.indexOf(QStringLiteral("\n\n"));
    QVERIFY(blank > 0);
    const QStringList lines = run.out.left(blank).split(QLatin1Char('\n'));
    QCOMPARE(lines.first(), QStringLiteral("# plane ") + QString::number(plane));
    QCOMPARE(lines.size() - 1, table->rowCount());
    for (int row = 0; row < table->rowCount(); ++row) {
        const QStringList fields = lines.at(row + 1).split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 6);
        QCOMPARE(fields.at(0), QString::number(row + 1));
        QCOMPARE(fields.at(2), table->item(row, 1)->text());
        QCOMPARE(fields.at(3), table->item(row, 2)->text());
        QCOMPARE(fields.at(4), codes.at(row));
        if (row >= 5)
            QCOMPARE(fields.at(4), table->item(row, 3)->text());
        QCOMPARE(fields.at(5), table->item(row, 4)->text());
    }

    // The window names a built-in picture by its combo text, the tool by the file's path.
    QString report = run.out.mid(blank + 2);
    report.replace(path, name);
    const QString windowReport = lab.report->toPlainText();
    QVERIFY(windowReport.startsWith(
        QStringLiteral("Изображение: ") + name + QStringLiteral(". Плоскость №")));
    QCOMPARE(report, windowReport + QLatin1Char('\n'));
}

// A colour photo converted in the window and split there, plane by plane, is what `picture FILE
// --grey` prints: the same levels, tables, hidden codes and report, under the same name.
void tst_KeyTool::greyMatchesTheWindow()
{
    QImage photo(47, 35, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y) {
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb(5 * x + y % 3, 7 * y, (x * 13 + y * 29) % 256));
    }
    const QString path = dir.filePath(QStringLiteral("цветной снимок.png"));
    QVERIFY(photo.save(path, "PNG"));

    Lab lab;
    lab.open(path);
    QString before = lab.report->toPlainText();
    QTest::mouseClick(WindowTesting::child<QPushButton>(lab.window, "greyButton"), Qt::LeftButton);
    QStringList sections;
    for (int plane = 1; plane <= 8; ++plane) {
        if (plane > 1) {
            before = lab.report->toPlainText();
            lab.dial->setValue(plane);
        }
        const QList<BlockType> types = MainWidgetTestAccess::planeTypes(lab.window);
        const QList<QString> codes = MainWidgetTestAccess::blockCodes(lab.window);
        QString section = QStringLiteral("# plane %1\n").arg(plane);
        for (int row = 0; row < lab.table->rowCount(); ++row) {
            section += QStringList {QString::number(row + 1),
                           ResultsTable::patternText(types.at(row).pattern),
                           lab.table->item(row, 1)->text(), lab.table->item(row, 2)->text(),
                           codes.at(row), lab.table->item(row, 4)->text()}
                           .join(QLatin1Char('\t'))
                + QLatin1Char('\n');
        }
        const QString report = lab.report->toPlainText();
        QVERIFY(report.startsWith(before + QLatin1Char('\n')));
        sections << section + QLatin1Char('\n') + report.mid(before.size() + 1) + QLatin1Char('\n');
    }
    QVERIFY(sections.first().contains(QStringLiteral("Изображение: ") + path
        + QStringLiteral(" (оттенки серого). Плоскость №1")));

    const Run run = runTool({QStringLiteral("picture"), path, QStringLiteral("--grey")});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, sections.join(QLatin1Char('\n')));
}

void tst_KeyTool::check_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("kind");

    QTest::newRow("right") << QStringList {"check", "Мама Мыла Раму", "0,3,0,4"} << 0 << "right";
    QTest::newRow("tie") << QStringList {"check", "Мама Мыла Раму", "0,2,3,2"} << 1 << "tie";
    QTest::newRow("words as separate arguments")
        << QStringList {"check", "Мама", "Мыла", "Раму", "0,3,0,3"} << 1 << "count";
    QTest::newRow("counters shaped as the field would")
        << QStringList {"check", "Мама Мыла Раму", " 0, 2,3 ,2"} << 1 << "tie";
    QTest::newRow("empty counters") << QStringList {"check", "Мама Мыла Раму", ""} << 1 << "format";
    QTest::newRow("suboptimal") << QStringList {"check", "Мама Мыла Раму", "1,1,0,3,2"} << 1
                                << "suboptimal";
}

// The kind, then exactly the text the window shows under the verdict.
void tst_KeyTool::check()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, kind);

    const Run run = runTool(arguments, true);
    QCOMPARE(run.exitCode, exitCode);
    const QString counters = arguments.takeLast();
    const QString text = HomeworkDiagnosis::of(
        arguments.mid(1).join(QLatin1Char(' ')), FieldText::counters(counters))
                             .text;
    QCOMPARE(
        run.out, kind + QLatin1Char('\n') + (text.isEmpty() ? text : text + QLatin1Char('\n')));
}

void tst_KeyTool::nameSteps()
{
    const Run run = runTool({"name", "Мама Мыла Раму", "--steps"});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'));
    QCOMPARE(lines.mid(0, 2), QStringList({"0,3,0,4", ""}));
    QCOMPARE(lines.size(), 2 + 6 + 1);
    QCOMPARE(lines.at(4), "3\t{л, р} 2/14\t{у, ы} 2/14\t{у, ы, л, р} 4/14\tпо порядку списка");
    QCOMPARE(
        lines.at(7), "6\t{« », у, ы, л, р} 6/14\t{а, м} 8/14\t{а, м, « », у, ы, л, р} 14/14\t");
    QCOMPARE(lines.last(), "");
}

void tst_KeyTool::helpNamesHomeworkCommands()
{
    const Run run = runTool({"--help"});
    for (const char *phrase : {"check \"Фамилия Имя [Отчество]\" СЧЕТЧИКИ", "[--steps]",
             "по округлению", "right (верно", "unreachable", "для check —", "второй строкой",
             "Салтыков-Щедрин", "все ответы, которые проверка засчитывает"})
        QVERIFY2(run.out.contains(QString::fromUtf8(phrase)), phrase);
}

namespace {

// A class of three with a line the window would refuse between them.
QString classFile(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("группа.txt"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("# группа 101\n  Мама Мыла Раму\nиванов иван\n\nИванов Иван Иванович\n");
    return path;
}

} // namespace

void tst_KeyTool::names()
{
    const QString path = classFile(dir);
    const Run run = runTool({QStringLiteral("names"), path}, true);
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out,
        QStringLiteral("Мама Мыла Раму\t0,3,0,4\t7\t*\t0,3,0,4\n"
                       "Иванов Иван Иванович\t0,2,3,2\t7\t\t0,2,3,2\n"));
    const QString err = QString::fromUtf8(run.err);
    QVERIFY2(
        err.startsWith(QStringLiteral("huffman-lab-key: ") + path + QStringLiteral(", строка 3: ")),
        qPrintable(err));
    QCOMPARE(err.count(QLatin1Char('\n')), 1);

    const Run missing = runTool({QStringLiteral("names"), dir.filePath(QStringLiteral("нет.txt"))});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(missing.out.isEmpty());
    QVERIFY(QString::fromUtf8(missing.err).contains(QStringLiteral("файл не найден")));
}

void tst_KeyTool::namesCsv()
{
    QProcess process;
    process.start(QStringLiteral(KEYTOOL_PATH),
        {QStringLiteral("names"), classFile(dir), QStringLiteral("--csv")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 1);
    const PlainCsv::Table csv = PlainCsv::parse(process.readAllStandardOutput());
    QVERIFY(csv.byteOrderMark);
    QCOMPARE(csv.records.size(), 3);
    QCOMPARE(csv.records.first().size(), 5);
    QCOMPARE(csv.records.at(1).at(0), QStringLiteral("Мама Мыла Раму"));
    QCOMPARE(PlainCsv::textOf(csv.records.at(1).at(1)), QStringLiteral("0,3,0,4"));
    QCOMPARE(csv.records.at(2).at(2), QStringLiteral("7"));
}

// A class's answers with a line without its tab in the middle: every other line judged, in order.
void tst_KeyTool::checkAll()
{
    const QString path = dir.filePath(QStringLiteral("ответы.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Мама Мыла Раму\t0,3,0,4\nМама Мыла Раму\t0,2,3,2\nИванов Иван 0,2,3,2\n"
               "Иванов Иван Иванович\t0,3,1,3\nИванов Иван Иванович\t02,3\n");
    file.close();

    const Run run = runTool({QStringLiteral("check-all"), path});
    QCOMPARE(run.exitCode, 1);
    QStringList kinds;
    for (const QString &line : run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 4);
        kinds << fields.at(2);
        QCOMPARE(fields.at(3).isEmpty(), fields.at(2) == QStringLiteral("right"));
    }
    QCOMPARE(kinds, QStringList({"right", "tie", "kraft", "format"}));
    QVERIFY2(QString::fromUtf8(run.err).contains(QStringLiteral(", строка 3, столбец 2 (B): нет "
                                                                "табуляции")),
        run.err.constData());
}

namespace {

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

// Cyrillic and ASCII in Windows-1251, as old Excel saves them.
QByteArray windows1251(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        bytes += u < 0x80 ? char(u) : u == 0x0451 ? char(0xB8) : char(0xC0 + (u - 0x0410));
    }
    return bytes;
}

} // namespace

// Old Excel's "CSV (разделители — запятые)": Windows-1251, semicolons, CRLF, a header and a
// group column. check-all says the same as for the plain list, and the encoding once.
void tst_KeyTool::checkAllSpreadsheet()
{
    const QString plain = writeFile(dir, QStringLiteral("plain.txt"),
        "Мама Мыла Раму\t0,3,0,4\nМама Мыла Раму\t0,2,3,2\nСёмин Пётр Фёдорович\t1,2\n");
    const QString excel = writeFile(dir, QStringLiteral("excel.csv"),
        windows1251(QStringLiteral("Группа;Студент;Ответ\r\n101;Мама Мыла Раму;0,3,0,4\r\n"
                                   "101;Мама Мыла Раму;\"0, 2, 3, 2\"\r\n"
                                   "102;Сёмин Пётр Фёдорович;1,2\r\n")));
    const Run expected = runTool({QStringLiteral("check-all"), plain});
    QCOMPARE(expected.exitCode, 0);
    QCOMPARE(expected.out.count(QLatin1Char('\n')), 3);
    const Run run = runTool({QStringLiteral("check-all"), excel}, true);
    QCOMPARE(run.out, expected.out);
    QCOMPARE(run.exitCode, 0);
    const QString err = QString::fromUtf8(run.err);
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QVERIFY2(err.contains(QStringLiteral("Windows-1251")), qPrintable(err));
}

// --columns where the guess would take the wrong column of names.
void tst_KeyTool::namesSpreadsheetColumns()
{
    const QString path = writeFile(dir, QStringLiteral("columns.csv"),
        "Преподаватель Петр Петрович,Мама Мыла Раму\nПреподаватель Петр Петрович,Иванов Иван "
        "Иванович\n");
    const QString plain
        = writeFile(dir, QStringLiteral("columns.txt"), "Мама Мыла Раму\nИванов Иван Иванович\n");
    const Run expected = runTool({QStringLiteral("names"), plain});
    QCOMPARE(expected.exitCode, 0);
    QCOMPARE(expected.out.count(QLatin1Char('\n')), 2);
    const Run run = runTool(
        {QStringLiteral("names"), QStringLiteral("--columns"), QStringLiteral("B"), path});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, expected.out);
    QVERIFY(run.err.isEmpty());
    const Run bad = runTool({QStringLiteral("names"), QStringLiteral("--columns=2-3"), path});
    QCOMPARE(bad.exitCode, 2);
    QVERIFY(QString::fromUtf8(bad.err).contains(QStringLiteral("--columns")));
}

void tst_KeyTool::spreadsheetWorkbook()
{
    const QString path = writeFile(
        dir, QStringLiteral("группа.xlsx"), QByteArray("PK\x03\x04\x14\x00\x06\x00", 8));
    const Run run = runTool({QStringLiteral("check-all"), path});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.isEmpty());
    const QString err = QString::fromUtf8(run.err);
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QVERIFY2(err.contains(QStringLiteral("сохраните ее как CSV")), qPrintable(err));
}

// As the window's save writes a table: a mark, the column titles, semicolons, decimal commas.
void tst_KeyTool::summaryCsv()
{
    QProcess process;
    process.start(QStringLiteral(KEYTOOL_PATH),
        {QStringLiteral("picture"), greyPath, QStringLiteral("--summary"),
            QStringLiteral("--csv")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray bytes = process.readAllStandardOutput();
    const PlainCsv::Table csv = PlainCsv::parse(bytes);
    QVERIFY(csv.byteOrderMark);
    QCOMPARE(csv.records.size(), 9);
    QCOMPARE(csv.records.first(),
        QStringList({"Плоскость", "Типов блоков", "L, бит/блок", "H, бит/блок",
            "После кодирования, бит", "Сжатие 9/L"}));
    QCOMPARE(csv.records.at(1), QStringList({"1", "5", "2,33333", "2,25163", "14", "3,857"}));
    QCOMPARE(csv.records.at(3), QStringList({"3", "1", "0", "0", "0", "-"}));
    QVERIFY(bytes.contains("\n1;5;\"2,33333\";\"2,25163\";14;\"3,857\"\n"));

    const Run plain = runTool({QStringLiteral("picture"), greyPath, QStringLiteral("--csv")});
    QCOMPARE(plain.exitCode, 2);
}

// A 6 x 6 grey PNG whose text chunk fails its checksum: libpng warns through Qt, in English,
// and the picture reads. The warning stays off the teacher's terminal unless asked for.
void tst_KeyTool::toolkitWarningsKept()
{
    const QByteArray png = QByteArray::fromHex(
        "89504e470d0a1a0a0000000d4948445200000006000000060800000000c5a7b0940000000d74455874436f6d6d"
        "656e740068656c6c6fe6ffae250000003349444154789c6360d008a8587082815d3fbc7ef979063eb3b8b675d7"
        "18446d537bb7de659071c999b2e70983b277f1ecc3af0136b61087214807960000000049454e44ae426082");
    const QString path = writeFile(dir, QStringLiteral("bad-text-chunk.png"), png);
    const QStringList arguments {
        QStringLiteral("picture"), path, QStringLiteral("--summary"), QStringLiteral("--plane=1")};

    const Run quiet = runTool(arguments);
    QCOMPARE(quiet.exitCode, 0);
    QVERIFY(quiet.out.startsWith(QStringLiteral("1\t")));
    QCOMPARE(quiet.err, QByteArray());

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HUFFMAN_LAB_KEY_DEBUG"), QStringLiteral("1"));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KEYTOOL_PATH), arguments);
    QVERIFY(process.waitForFinished(60000));
    QVERIFY(process.readAllStandardError().contains("libpng warning"));
}

void tst_KeyTool::nameRule_data()
{
    NameTable::addColumns();
    NameTable::addRows();
}

// The table the window's field is tested with: every command takes exactly the names it takes.
void tst_KeyTool::nameRule()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);

    const Run named = runTool({QStringLiteral("name"), name});
    QCOMPARE(named.exitCode, accepted ? 0 : 2);
    const NameStatistics statistics = NameCode::analyse(name);
    QCOMPARE(named.out, accepted ? statistics.answers().join(QLatin1Char('\n')) + "\n" : QString());
    if (!accepted)
        QVERIFY(QString::fromUtf8(named.err).contains(QStringLiteral("не примет «") + name));

    const Run checked = runTool({QStringLiteral("check"), name, statistics.countersText});
    QCOMPARE(checked.exitCode, accepted ? 0 : 2);

    const QString path = dir.filePath(QStringLiteral("один.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(name.toUtf8() + "\n");
    file.close();
    const Run listed = runTool({QStringLiteral("names"), path});
    QCOMPARE(listed.exitCode, accepted ? 0 : 1);
    QCOMPARE(listed.out.section(QLatin1Char('\t'), 0, 1),
        accepted ? name + QLatin1Char('\t') + statistics.countersText : QString());
}

// A name whose floats split a tie that fractions keep: both answers right, both listed for the
// teacher, a third optimal answer still a tie; --steps shows both constructions.
void tst_KeyTool::twoRightAnswers()
{
    const QString name = QStringLiteral("Андреева Вероника Аркадьевна");
    QCOMPARE(runTool({"check", name, "0,1,3,5,2"}).out, "right\n");
    QCOMPARE(runTool({"check", name, "0,1,4,3,1,2"}).out, "right\n");
    const Run third = runTool({"check", name, "0,1,4,2,4"});
    QCOMPARE(third.exitCode, 1);
    QVERIFY(third.out.startsWith("tie\n"));

    const Run steps = runTool({"name", name, "--steps"});
    const QStringList blocks = steps.out.split(QStringLiteral("\n\n"));
    QCOMPARE(blocks.size(), 3);
    QCOMPARE(blocks.at(0), "0,1,3,5,2\n0,1,4,3,1,2");
    QCOMPARE(blocks.at(1).split(QLatin1Char('\n')).at(3),
        "4\t« » 2/28\t«р» 3/28\t{р, « »} 5/28\tпо округлению");
    QCOMPARE(blocks.at(2).split(QLatin1Char('\n')).at(3),
        "4\t« » 2/28\t{и, о, ь} 3/28\t{« », и, о, ь} 5/28\tпо порядку списка");

    const QString path = dir.filePath(QStringLiteral("андреева.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(name.toUtf8() + "\n");
    file.close();
    QCOMPARE(runTool({"names", path}).out.section(QLatin1Char('\t'), 4), "0,1,3,5,2 0,1,4,3,1,2\n");
}

// The teacher's model report of a built-in picture: every code shown, the program's answer.
void tst_KeyTool::report()
{
#ifdef Q_OS_WIN
    QSKIP("pdftotext and LibreOffice read the report on the Linux test stage");
#endif
    const QString pdf = dir.filePath(QStringLiteral("модель.pdf"));
    const Run run = runTool({QStringLiteral("report"), QStringLiteral("Мама Мыла Раму"),
        QStringLiteral("Лена"), QStringLiteral("--plane"), QStringLiteral("1"),
        QStringLiteral("-o"), pdf, QStringLiteral("--field"), QStringLiteral("группа=ИБ-201")});
    QCOMPARE(run.exitCode, 0);
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
        {QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf,
            QStringLiteral("-")});
    QVERIFY(text.waitForFinished(60000));
    const QString report = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    QVERIFY(report.contains(QStringLiteral("Выполнил: студент группы ИБ-201 Мама Мыла Раму")));
    QVERIFY(report.contains(QStringLiteral("Ответ программы: 0,3,0,4.")));
    const QImage lena(QStringLiteral(":/images/images/lena.bmp"));
    const PlaneStatistics stats = PlaneStatistics::of(BitPlanes::split(lena).first());
    for (int row = 0; row < 5; ++row) {
        QVERIFY2(report.contains(QStringLiteral("%1 %2 %3")
                                     .arg(row + 1)
                                     .arg(stats.codes.at(row))
                                     .arg(stats.lengths.at(row).length)),
            qPrintable(stats.codes.at(row)));
    }
}

// A report that cannot be written says why; nothing is left behind.
void tst_KeyTool::reportNotWritten()
{
    const Run run = runTool({QStringLiteral("report"), QStringLiteral("Мама Мыла Раму"), greyPath,
        QStringLiteral("-o"), dir.filePath(QStringLiteral("нет/отчет.odt"))});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(QString::fromUtf8(run.err).contains(QStringLiteral("Папка не найдена.")));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("нет"))));
}

// The tool prints what the analysis computes, one line a variant, and one variant alone.
void tst_KeyTool::variantsTable()
{
    QStringList expected;
    for (const VariantAnswers &answers : Variants::allAnswers())
        expected.append(Variants::fields(answers).join(QLatin1Char('\t')));

    const Run run = runTool({QStringLiteral("variants")}, true);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.err.isEmpty());
    QCOMPARE(run.out, expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));

    const Run seventh
        = runTool({QStringLiteral("variants"), QStringLiteral("--variant"), QStringLiteral("7")});
    QCOMPARE(seventh.exitCode, 0);
    QCOMPARE(seventh.out, expected.at(6) + QLatin1Char('\n'));
}

namespace {

// 35 different names, in the order of the file.
QStringList classOf35()
{
    QStringList names;
    for (const char *surname :
        {"Иванов", "Петров", "Сидоров", "Козлов", "Смирнов", "Попов", "Орлов"})
        for (const char *given : {"Иван", "Петр", "Олег", "Юрий", "Егор"})
            names.append(QString::fromUtf8(surname) + QLatin1Char(' ') + QString::fromUtf8(given));
    return names;
}

QString writeClass(const QTemporaryDir &dir, const QString &file, const QByteArray &contents)
{
    const QString path = dir.filePath(file);
    QFile out(path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        out.write(contents);
    return path;
}

} // namespace

// Student k gets variant k; past the last variant the numbering starts again at 1, said once.
void tst_KeyTool::variantsOfAClass()
{
    const QStringList names = classOf35();
    QCOMPARE(names.size(), 35);
    QVERIFY(Variants::count() < 35);
    const QString path = writeClass(dir, QStringLiteral("группа35.txt"),
        "# группа из 35\n" + names.join(QLatin1Char('\n')).toUtf8() + "\n");
    const QStringList table = runTool({QStringLiteral("variants")}).out.split(QLatin1Char('\n'));

    const Run run = runTool({QStringLiteral("variants"), path});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 35);
    for (int k = 1; k <= 35; ++k) {
        const int variant = k <= Variants::count() ? k : k - Variants::count();
        QCOMPARE(lines.at(k - 1), names.at(k - 1) + QLatin1Char('\t') + table.at(variant - 1));
    }
    const QString err = QString::fromUtf8(run.err);
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QVERIFY2(err.contains(QStringLiteral("в списке 35 студентов, а вариантов %1: студент %2 и "
                                         "следующие получают варианты снова с 1")
                              .arg(Variants::count())
                              .arg(Variants::count() + 1)),
        qPrintable(err));

    // A refused line gets no variant: the next student takes its number, and the tool says that
    // fixing it will shift the variants after it.
    const Run refused = runTool({QStringLiteral("variants"), classFile(dir)});
    QCOMPARE(refused.exitCode, 1);
    QCOMPARE(refused.out.split(QLatin1Char('\n')).at(1).section(QLatin1Char('\t'), 0, 1),
        QStringLiteral("Иванов Иван Иванович\t2"));
    QVERIFY(QString::fromUtf8(refused.err).contains(QStringLiteral("сдвинутся")));
}

void tst_KeyTool::variantsCsv()
{
    QProcess process;
    process.start(QStringLiteral(KEYTOOL_PATH),
        {QStringLiteral("variants"), classFile(dir), QStringLiteral("--csv")});
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), 1);
    const PlainCsv::Table csv = PlainCsv::parse(process.readAllStandardOutput());
    QVERIFY(csv.byteOrderMark);
    QCOMPARE(csv.records.size(), 3);
    QCOMPARE(csv.records.at(0).size(), 12);
    QCOMPARE(csv.records.at(0).at(5), QStringLiteral("L, бит/блок"));
    // Variant 1 is Лена's plane 1: its codes stay text, L has a decimal comma.
    const QStringList first = csv.records.at(1);
    QCOMPARE(first.mid(0, 4), QStringList({"Мама Мыла Раму", "1", "Лена", "1"}));
    QCOMPARE(first.at(5), QStringLiteral("2,70677"));
    QCOMPARE(PlainCsv::textOf(first.at(8)), QStringLiteral("10"));
    QCOMPARE(csv.records.at(2).at(1), QStringLiteral("2"));
}

void tst_KeyTool::variantsOfAnEmptyClass()
{
    const QString path = writeClass(dir, QStringLiteral("пусто.txt"), "# группа 101\n\n");
    const Run run = runTool({QStringLiteral("variants"), path});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.isEmpty());
    QCOMPARE(QString::fromUtf8(run.err),
        QStringLiteral("huffman-lab-key: ") + path
            + QStringLiteral(": в списке нет ни одного имени: вариантам некого назначить\n"));
}

// The teacher finds the table in --help, and so in the man page.
void tst_KeyTool::variantsInHelp()
{
    const Run run = runTool({QStringLiteral("--help")});
    for (const Variant &variant : Variants::all()) {
        const QString line = QStringLiteral("    %1 — %2, плоскость %3")
                                 .arg(variant.number)
                                 .arg(variant.picture)
                                 .arg(variant.plane);
        QVERIFY2(run.out.contains(line), qPrintable(line));
    }
}

// --variant takes the picture and the plane from the table and names the variant.
void tst_KeyTool::reportOfAVariant()
{
#ifdef Q_OS_WIN
    QSKIP("pdftotext and LibreOffice read the report on the Linux test stage");
#endif
    const Variant variant = *Variants::variant(Variants::count());
    const QString pdf = dir.filePath(QStringLiteral("вариант.pdf"));
    const Run run = runTool({QStringLiteral("report"), QStringLiteral("Мама Мыла Раму"),
        QStringLiteral("--variant"), QString::number(variant.number), QStringLiteral("-o"), pdf});
    QCOMPARE(run.exitCode, 0);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(60000));
    const QString report = QString::fromUtf8(text.readAllStandardOutput()).simplified();
    QVERIFY(report.contains(QStringLiteral("Вариант %1").arg(variant.number)));
    QVERIFY(report.contains(QStringLiteral("Плоскость №%1 изображения «%2»")
                                .arg(QString::number(variant.plane), variant.picture)));
    const VariantAnswers answers = Variants::answers(variant);
    QVERIFY(report.contains(QStringLiteral("найдено %1 типов блоков").arg(answers.typeCount)));
    for (qsizetype row = 0; row < answers.codes.size(); ++row)
        QVERIFY(report.contains(QStringLiteral("%1 %2 ").arg(row + 1).arg(answers.codes.at(row))));
}

namespace {

void writeWork(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

// A group's works as Moodle's "download all submissions" gives them, one folder a student, and the
// class list a teacher exports with an e-mail column: one line a student of the list, in its
// order, the works of others apart, the e-mail carried into the gradebook's CSV.
void tst_KeyTool::checkResultsMoodleFolder()
{
    QTemporaryDir dir;
    const QString classPath = dir.filePath(QStringLiteral("группа.csv"));
    writeWork(classPath,
        "\xEF\xBB\xBFФИО;Адрес электронной почты\n"
        "Мама Мыла Раму;mama@example.ru\n"
        "Иванов Иван Иванович;ivanov@example.ru\n"
        "Сёмин Пётр Фёдорович;semin@example.ru\n"
        "Орлов Олег Олегович;orlov@example.ru\n");
    const QString folder = dir.filePath(QStringLiteral("Лабораторная 3-1234567"));
    const auto student = [&folder](const char *name, int number) {
        return folder + QLatin1Char('/') + QString::fromUtf8(name)
            + QStringLiteral("_%1_assignsubmission_file_/").arg(number);
    };
    // Student k of the list does variant k. Moodle shows given name first: the same student.
    const Variant first = *Variants::variant(1);
    const Variant second = *Variants::variant(2);
    const QByteArray mamasReport = HandedIn::odt(HandedIn::record(QStringLiteral("Мама Мыла Раму"),
        QStringLiteral("0,3,0,4"), first.picture, first.plane, 1));
    writeWork(student("Мама Раму", 101) + QStringLiteral("отчет.odt"), mamasReport);
    writeWork(student("Мама Раму", 101) + QStringLiteral("Thumbs.db"), "\0\1");
    // Another student's report handed in as one's own: the name and the variant give it away.
    writeWork(student("Орлов Олег Олегович", 104) + QStringLiteral("отчет.odt"), mamasReport);
    // A report claiming a wrong code right, and the results saved right beside it.
    SessionRecord claimed = HandedIn::record(QStringLiteral("Иванов Иван Иванович"),
        QStringLiteral("0,2,3,2"), second.picture, second.plane, 2);
    claimed.planes.first().typed[0] = QStringLiteral("0101");
    writeWork(
        student("Иванов Иван Иванович", 102) + QStringLiteral("отчет.odt"), HandedIn::odt(claimed));
    const SessionRecord saved = HandedIn::record(QStringLiteral("Иванов Иван Иванович"),
        QStringLiteral("0,2,3,2"), second.picture, second.plane, 2);
    writeWork(
        student("Иванов Иван Иванович", 102) + QStringLiteral("результаты.json"), saved.toJson());
    writeWork(student("Иванов Иван Иванович", 102) + QStringLiteral("результаты.csv"), "x");
    // Not on the list, and the report cut short in the upload.
    writeWork(student("Петров Пётр Петрович", 103) + QStringLiteral("отчет.odt"),
        HandedIn::odt(saved).left(300));

    const Run run = runTool(
        {QStringLiteral("check-results"), folder, QStringLiteral("--class"), classPath}, true);
    QCOMPARE(run.exitCode, 1); // the cut report
    const QStringList lines = run.out.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 7);
    const auto plane = [](const Variant &variant) {
        return QStringLiteral("«%1», плоскость %2").arg(variant.picture).arg(variant.plane);
    };
    QCOMPARE(lines.at(0),
        QStringLiteral("Мама Мыла Раму\t1\tверно\t5 из 5\t3 из 3\tзачтено\tвсе верно; ")
            + plane(first));
    QCOMPARE(lines.at(1),
        QStringLiteral("Иванов Иван Иванович\t2\tверно\t5 из 5\t3 из 3\tзачтено\tвсе верно; ")
            + plane(second)
            + QStringLiteral("; сдано работ: 2 (в строке — результаты.json; отчет.odt — не "
                             "зачтено)"));
    QCOMPARE(lines.at(2), QStringLiteral("Сёмин Пётр Фёдорович\t3\t\t\t\tнет работы\t"));
    QCOMPARE(lines.at(3),
        QStringLiteral("Орлов Олег Олегович\t1\tверно\t5 из 5\t3 из 3\tне зачтено\tработа на имя "
                       "«Мама Мыла Раму», а сдал(а) «Орлов Олег Олегович»; работа по варианту 1, "
                       "а по списку группы — вариант 4"));
    QCOMPARE(lines.at(4), QString());
    QVERIFY2(lines.at(5).startsWith(QStringLiteral("Петров Пётр Петрович\t\t\t\t\tне "
                                                   "зачтено\tнет в списке группы; отчет.odt: файл "
                                                   "поврежден")),
        qPrintable(lines.at(5)));
    const QString err = QString::fromUtf8(run.err);
    QCOMPARE(err.count(QLatin1Char('\n')), 1);
    QVERIFY2(err.contains(QStringLiteral("Thumbs.db: пропущен: ")), qPrintable(err));

    // The same for the gradebook: the e-mail first, the grade and the feedback in their own
    // columns, the work of no listed student kept out.
    QProcess process;
    process.start(QStringLiteral(KEYTOOL_PATH),
        {QStringLiteral("check-results"), folder, QStringLiteral("--class"), classPath,
            QStringLiteral("--csv")});
    QVERIFY(process.waitForFinished(60000));
    const PlainCsv::Table csv = PlainCsv::parse(process.readAllStandardOutput());
    QCOMPARE(csv.records.size(), 5);
    QCOMPARE(csv.records.at(0),
        (QStringList {"Адрес электронной почты", "ФИО", "Вариант", "Домашнее задание", "Коды",
            "Показатели", "Оценка", "Отзыв"}));
    QCOMPARE(
        csv.records.at(2).mid(0, 2), (QStringList {"ivanov@example.ru", "Иванов Иван Иванович"}));
    QCOMPARE(csv.records.at(2).at(6), QStringLiteral("зачтено"));
    QCOMPARE(csv.records.at(3).mid(6), (QStringList {"", "нет работы"}));
    QVERIFY(
        QString::fromUtf8(process.readAllStandardError())
            .contains(QStringLiteral("«Петров Пётр Петрович» нет в списке группы: не зачтено")));

    // The claim over the wrong code alone: named, with its row and what was typed.
    const Run report = runTool({QStringLiteral("check-results"),
        student("Иванов Иван Иванович", 102) + QStringLiteral("отчет.odt")});
    QCOMPARE(report.exitCode, 0);
    QVERIFY2(report.out.contains(QStringLiteral("\tне зачтено\t") + plane(second)
                 + QStringLiteral(": в строке 1 введено «0101» — неверно; ") + plane(second)
                 + QStringLiteral(": в файле проверка отмечена как верная")),
        qPrintable(report.out));
}

// The teacher's model report, handed in as it is, is a perfect work: the grading reads what the
// report writer carries.
void tst_KeyTool::modelReportReadsBackPerfect()
{
    const QString odt = dir.filePath(QStringLiteral("образец.odt"));
    const Run report = runTool({QStringLiteral("report"), QStringLiteral("Мама Мыла Раму"),
        QStringLiteral("--variant"), QStringLiteral("3"), QStringLiteral("-o"), odt});
    QCOMPARE(report.exitCode, 0);
    const Run judged = runTool({QStringLiteral("check-results"), odt});
    QCOMPARE(judged.exitCode, 0);
    QVERIFY2(judged.out.startsWith(
                 QStringLiteral("Мама Мыла Раму\t3\tверно\t5 из 5\t3 из 3\tзачтено\t")),
        qPrintable(judged.out));
}

QTEST_MAIN(tst_KeyTool)
#include "tst_keytool.moc"
