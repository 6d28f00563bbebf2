// SPDX-License-Identifier: GPL-3.0-or-later
// The lab as a student works through it: typed codes, the report's picture names, the result
// cells and the size of a large plane, all through keys, the wheel and the file dialog.

#include "lab.h"

#include <QApplication>
#include <QTemporaryDir>

namespace {

constexpr int codeColumn = 3;
const QRgb red = 0xffff0000;

// The lab tab in front of a shown, active window: the dial's focus matters.
void showLab(Lab &lab)
{
    lab.tabs->setCurrentIndex(1);
    lab.showActive();
}

// Notches of the wheel over the dial: up turns it to the next plane.
void turnDial(Lab &lab, int notches)
{
    WindowTesting::wheel(lab.dial, QPointF(lab.dial->rect().center()), QPoint(0, 120 * notches));
}

QStringList hiddenTexts(const Lab &lab)
{
    QStringList texts;
    for (int row = 0; row < 5; ++row) {
        const QTableWidgetItem *cell = lab.table->item(row, codeColumn);
        texts << (cell ? cell->text() : QString());
    }
    return texts;
}

bool hiddenCellsRed(const Lab &lab)
{
    for (int row = 0; row < 5; ++row) {
        if (lab.table->item(row, codeColumn)->background().color().rgba() != red)
            return false;
    }
    return true;
}

// The paragraphs naming a picture, in order.
QStringList imageParagraphs(const Lab &lab)
{
    return lab.report->toPlainText()
        .split(QLatin1Char('\n'))
        .filter(QStringLiteral("Изображение: "));
}

QImage greyPicture(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.scanLine(y)[x] = uchar((x * 37 + y * seed) % 256);
    }
    return image;
}

QString save(const QTemporaryDir &dir, const QString &name, const QImage &image)
{
    const QString path = dir.filePath(name);
    if (!image.save(path))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class tst_StudentWork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void typedCodes_data();
    void typedCodes();
    void wheelNeedsFocus();
    void reportNames_data();
    void reportNames();
    void resultCellsReadOnly_data();
    void resultCellsReadOnly();
    void largePlaneSize();

private:
    QTemporaryDir dir;
};

void tst_StudentWork::initTestCase()
{
    QVERIFY(dir.isValid());
}

void tst_StudentWork::typedCodes_data()
{
    QTest::addColumn<QString>("away"); // what the student does after typing
    QTest::addColumn<QString>("back"); // and how the plane comes back, if it does
    QTest::addColumn<bool>("restored");

    QTest::newRow("dial turned and turned back") << "dial"
                                                 << "dial" << true;
    QTest::newRow("same picture chosen again") << "none"
                                               << "Лена" << true;
    QTest::newRow("a colour file on the way, Лена chosen again") << "colour file"
                                                                 << "Лена" << true;
    QTest::newRow("another picture starts empty") << "none"
                                                  << "Барбара" << false;
}

void tst_StudentWork::typedCodes()
{
    QFETCH(QString, away);
    QFETCH(QString, back);
    QFETCH(bool, restored);

    Lab lab;
    showLab(lab);
    lab.choose("Лена");
    const QStringList typed {"0", "10", "110", "1110", "11110"};
    for (int row = 0; row < 5; ++row)
        QVERIFY(lab.typeIntoCell(row, codeColumn, typed.at(row)));
    QCOMPARE(hiddenTexts(lab), typed);
    QTest::mouseClick(lab.check, Qt::LeftButton);

    lab.dial->setFocus();
    if (away == QLatin1String("dial")) {
        turnDial(lab, 1);
        QCOMPARE(lab.dial->value(), 2);
        QCOMPARE(hiddenTexts(lab), QStringList(5, QString()));
    } else if (away == QLatin1String("colour file")) {
        QImage colour(20, 20, QImage::Format_RGB32);
        colour.fill(qRgb(200, 30, 30));
        lab.open(save(dir, "colour.png", colour));
        QCOMPARE(hiddenTexts(lab), QStringList(5, QString()));
    } else if (away != QLatin1String("none")) {
        lab.choose(away);
    }

    if (back.startsWith(QLatin1String("dial"))) {
        lab.dial->setFocus();
        if (back == QLatin1String("dial there and back"))
            turnDial(lab, 1);
        turnDial(lab, -1);
        QCOMPARE(lab.dial->value(), 1);
    } else {
        lab.choose(back);
    }
    QCOMPARE(hiddenTexts(lab), restored ? typed : QStringList(5, QString()));
    QVERIFY(hiddenCellsRed(lab)); // the check button decides again
}

void tst_StudentWork::wheelNeedsFocus()
{
    Lab lab;
    showLab(lab);
    lab.choose("Лена");
    QVERIFY(lab.typeIntoCell(0, codeColumn, "01"));
    const QString report = lab.report->toPlainText();

    // Passing over the dial with the focus elsewhere turns nothing.
    QVERIFY(lab.table->hasFocus());
    turnDial(lab, 1);
    QCOMPARE(lab.dial->value(), 1);
    QCOMPARE(lab.report->toPlainText(), report);
    QCOMPARE(lab.table->item(0, codeColumn)->text(), QStringLiteral("01"));

    // A click gives it the focus; then the wheel turns it.
    QTest::mouseClick(lab.dial, Qt::LeftButton, {}, lab.dial->rect().center());
    QVERIFY(lab.dial->hasFocus());
    const int clicked = lab.dial->value();
    turnDial(lab, 1);
    QCOMPARE(lab.dial->value(), qMin(clicked + 1, 8));
}

void tst_StudentWork::reportNames_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("paragraphs"); // {grey} and {colour} stand for the file paths

    // After a colour picture the dial has no plane to show: nothing of the earlier picture.
    QTest::newRow("grey file, colour file, dial")
        << QStringList {"grey", "colour", "dial 2"}
        << QStringList {"Изображение: {grey}. Плоскость №1", "Изображение: {colour}"};
    QTest::newRow("Лена, no picture, dial")
        << QStringList {"grey", "Лена", "выбери изображение", "dial 3"}
        << QStringList {"Изображение: {grey}. Плоскость №1", "Изображение: Лена. Плоскость №1",
               "Изображение: Лена. Плоскость №3"};
    QTest::newRow("Лена, colour file, dial")
        << QStringList {"Лена", "colour", "dial 4"}
        << QStringList {"Изображение: Лена. Плоскость №1", "Изображение: {colour}"};
}

void tst_StudentWork::reportNames()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, paragraphs);

    const QString grey = save(dir, "серый.png", greyPicture(30, 21, 5));
    QImage picture(12, 9, QImage::Format_RGB32);
    picture.fill(qRgb(10, 200, 90));
    const QString colour = save(dir, "цветной.png", picture);

    Lab lab;
    showLab(lab);
    for (const QString &step : std::as_const(steps)) {
        if (step == QLatin1String("grey")) {
            lab.open(grey);
        } else if (step == QLatin1String("colour")) {
            lab.open(colour);
        } else if (step.startsWith(QLatin1String("dial "))) {
            lab.dial->setValue(step.mid(5).toInt());
        } else {
            lab.choose(step);
        }
    }
    paragraphs.replaceInStrings(QStringLiteral("{grey}"), grey);
    paragraphs.replaceInStrings(QStringLiteral("{colour}"), colour);
    QCOMPARE(imageParagraphs(lab), paragraphs);
}

void tst_StudentWork::resultCellsReadOnly_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<bool>("editable");

    QTest::newRow("count") << 0 << 1 << false;
    QTest::newRow("probability") << 3 << 2 << false;
    QTest::newRow("shown code") << 5 << 3 << false;
    QTest::newRow("hidden code") << 0 << 3 << true;
}

void tst_StudentWork::resultCellsReadOnly()
{
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(bool, editable);

    Lab lab;
    showLab(lab);
    lab.choose("Лена");
    const QString before = lab.table->item(row, column)->text();

    // F2 opens no editor, and a typed key starts none either.
    QCOMPARE(lab.typeIntoCell(row, column, "999999"), editable);
    lab.table->setCurrentCell(row, column);
    QTest::keyClick(lab.table, Qt::Key_7);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(lab.table->item(row, column)->text(), editable ? QStringLiteral("7") : before);
}

void tst_StudentWork::largePlaneSize()
{
    // 4097 x 4097 = 2^24 + 1 pixels, a 1-bit picture analysed as it is.
    QImage picture(4097, 4097, QImage::Format_Mono);
    picture.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    picture.fill(0);
    for (int i = 0; i < 4097; ++i)
        picture.setPixel(i, i, 1);
    Lab lab;
    showLab(lab);
    lab.open(save(dir, "large.bmp", picture));
    QVERIFY(lab.report->toPlainText().contains(
        QStringLiteral("Исходный размер плоскости = 16785409 бит = 2049 Кбайт")));
}

QTEST_MAIN(tst_StudentWork)
#include "tst_studentwork.moc"
