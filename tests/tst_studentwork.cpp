// SPDX-License-Identifier: GPL-3.0-or-later
// The lab as a student works through it: typed codes, the report's picture names, the result
// cells and the size of a large plane, all through keys, the wheel and the file dialog.

#include "lab.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>

namespace {

constexpr int codeColumn = 3;
const QRgb red = 0xffff0000;
const QRgb green = 0xff55aa7f;

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

bool hiddenCellsAre(const Lab &lab, QRgb colour)
{
    for (int row = 0; row < 5; ++row) {
        if (lab.table->item(row, codeColumn)->background().color().rgba() != colour)
            return false;
    }
    return true;
}

QString verdictLine(const Lab &lab)
{
    return WindowTesting::child<QLabel>(lab.window, "codeCheckResult")->text();
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
    void codeEditedAfterCheck();
    void reportShowsLatestStart();
    void buttonsWithoutPicture_data();
    void buttonsWithoutPicture();
    void wheelNeedsFocus();
    void reportNames_data();
    void reportNames();
    void resultCellsReadOnly_data();
    void resultCellsReadOnly();
    void codeCellInput_data();
    void codeCellInput();
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
    QTest::addColumn<bool>("right"); // the codes typed and checked
    QTest::addColumn<bool>("restored");

    QTest::newRow("dial turned and turned back") << "dial"
                                                 << "dial" << true << true;
    QTest::newRow("same picture chosen again, wrong codes") << "none"
                                                            << "Лена" << false << true;
    QTest::newRow("a colour file on the way, Лена chosen again") << "colour file"
                                                                 << "Лена" << true << true;
    QTest::newRow("another picture starts empty") << "none"
                                                  << "Барбара" << true << false;
}

void tst_StudentWork::typedCodes()
{
    QFETCH(QString, away);
    QFETCH(QString, back);
    QFETCH(bool, right);
    QFETCH(bool, restored);

    Lab lab;
    showLab(lab);
    lab.choose("Лена");
    const QStringList typed = right ? MainWidgetTestAccess::blockCodes(lab.window).mid(0, 5)
                                    : QStringList {"0", "10", "110", "1110", "11110"};
    for (int row = 0; row < 5; ++row)
        QVERIFY(lab.typeIntoCell(row, codeColumn, typed.at(row)));
    QCOMPARE(hiddenTexts(lab), typed);
    QVERIFY(verdictLine(lab).isEmpty());
    QTest::mouseClick(lab.check, Qt::LeftButton);
    const QRgb checked = right ? green : red;
    const QString verdict = right ? "Все пять кодов верны" : "Есть неверные коды";
    QVERIFY(hiddenCellsAre(lab, checked));
    QCOMPARE(verdictLine(lab), verdict);

    lab.dial->setFocus();
    if (away == QLatin1String("dial")) {
        turnDial(lab, 1);
        QCOMPARE(lab.dial->value(), 2);
        QCOMPARE(hiddenTexts(lab), QStringList(5, QString()));
        QVERIFY(verdictLine(lab).isEmpty());
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
    // Back in the colour and with the words of their last check; a new plane is unchecked.
    QCOMPARE(hiddenTexts(lab), restored ? typed : QStringList(5, QString()));
    QVERIFY(hiddenCellsAre(lab, restored ? checked : red));
    QCOMPARE(verdictLine(lab), restored ? verdict : QString());
}

// A code edited after "Все пять кодов верны" takes the verdict's colour from the cells and says
// in words that the check is out of date, also when the plane comes back; the same codes as
// checked make it hold again.
void tst_StudentWork::codeEditedAfterCheck()
{
    Lab lab;
    showLab(lab);
    lab.choose("Лена");
    const QStringList right = MainWidgetTestAccess::blockCodes(lab.window).mid(0, 5);
    for (int row = 0; row < 5; ++row)
        QVERIFY(lab.typeIntoCell(row, codeColumn, right.at(row)));
    QTest::mouseClick(lab.check, Qt::LeftButton);
    QCOMPARE(verdictLine(lab), QStringLiteral("Все пять кодов верны"));

    QVERIFY(lab.typeIntoCell(2, codeColumn, right.at(2) + "1"));
    QVERIFY(hiddenCellsAre(lab, red));
    QVERIFY2(verdictLine(lab).contains(QStringLiteral("изменены после проверки"))
            && verdictLine(lab).contains(QStringLiteral("Все пять кодов верны")),
        qPrintable(verdictLine(lab)));
    lab.dial->setFocus();
    turnDial(lab, 1);
    turnDial(lab, -1);
    QVERIFY(verdictLine(lab).contains(QStringLiteral("изменены после проверки")));
    QVERIFY(lab.labTab->isEnabled());

    QVERIFY(lab.typeIntoCell(2, codeColumn, right.at(2)));
    QCOMPARE(verdictLine(lab), QStringLiteral("Все пять кодов верны"));
    QVERIFY(hiddenCellsAre(lab, green));
    QVERIFY(lab.typeIntoCell(0, codeColumn, "1"));
    QTest::mouseClick(lab.check, Qt::LeftButton);
    QCOMPARE(verdictLine(lab), QStringLiteral("Есть неверные коды"));
}

// After each analysis the report's top line is that analysis' first, however long the pane.
void tst_StudentWork::reportShowsLatestStart()
{
    Lab lab;
    showLab(lab);
    lab.choose("Лена");
    for (int plane = 2; plane <= 6; ++plane) {
        lab.dial->setValue(plane);
        QCoreApplication::processEvents();
        const QTextBlock top = lab.report->cursorForPosition(QPoint(4, 4)).block();
        QCOMPARE(top.text(), QStringLiteral("Изображение: Лена. Плоскость №%1").arg(plane));
    }
    QVERIFY(lab.report->verticalScrollBar()->value() > 0);
}

void tst_StudentWork::buttonsWithoutPicture_data()
{
    QTest::addColumn<bool>("skip");
    QTest::addColumn<bool>("entropy"); // the entropy output's button, not the check's
    QTest::addColumn<QString>("said");
    QTest::newRow("check, built-in pictures")
        << false << false
        << "Сначала выберите изображение в списке «Выбор изображения»: "
           "проверять пока нечего.";
    QTest::newRow("entropy, own file") << true << true
                                       << "Сначала откройте изображение кнопкой «Обзор»: "
                                          "выводить для расчета энтропии пока нечего.";
}

// With no picture yet, the check and the entropy output say what to do first, and do nothing.
void tst_StudentWork::buttonsWithoutPicture()
{
    QFETCH(bool, skip);
    QFETCH(bool, entropy);
    QFETCH(QString, said);
    Lab lab(Lab::AtHomework);
    lab.submit("Мама Мыла Раму", skip ? QString() : "0,3,0,4", skip);
    showLab(lab);
    QTest::mouseClick(entropy ? lab.output : lab.check, Qt::LeftButton);
    QCOMPARE(verdictLine(lab), said);
    QVERIFY(lab.report->toPlainText().isEmpty());
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
    QTest::newRow("grey file, colour file, dial") << QStringList {"grey", "colour",
        "dial 2"} << QStringList {"Изображение: {grey}. Плоскость №1", "Изображение: {colour}"};
    QTest::newRow("Лена, no picture, dial")
        << QStringList {"grey", "Лена", "выбери изображение", "dial 3"}
        << QStringList {"Изображение: {grey}. Плоскость №1", "Изображение: Лена. Плоскость №1",
               "Изображение: Лена. Плоскость №3"};
    QTest::newRow("Лена, colour file, dial") << QStringList {"Лена", "colour",
        "dial 4"} << QStringList {"Изображение: Лена. Плоскость №1", "Изображение: {colour}"};
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
    QCOMPARE(lab.typeIntoCell(row, column, "101"), editable);
    lab.table->setCurrentCell(row, column);
    QTest::keyClick(lab.table, Qt::Key_1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(lab.table->item(row, column)->text(), editable ? QStringLiteral("1") : before);
}

void tst_StudentWork::codeCellInput_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("hint");

    QTest::newRow("zeros and ones") << "0110"
                                    << "0110" << false;
    QTest::newRow("other digits and letters refused") << "12 abc"
                                                      << "1" << true;
    QTest::newRow("spaces dropped") << "01 10 "
                                    << "0110" << false;
}

// A code is typed in 0 and 1 only; anything else is refused with the fields' red line under the
// cell, which goes when the edit is done.
void tst_StudentWork::codeCellInput()
{
    QFETCH(QString, keys);
    QFETCH(QString, code);
    QFETCH(bool, hint);

    Lab lab;
    showLab(lab);
    lab.choose("Лена");
    lab.table->setFocus();
    lab.table->setCurrentCell(1, codeColumn);
    QTest::keyClick(lab.table, Qt::Key_F2);
    auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    QVERIFY(editor);
    QTest::keyClicks(editor, keys);
    QCOMPARE(editor->text(), code);
    const auto *line = lab.table->viewport()->findChild<QLabel *>("codeHint");
    QVERIFY(line);
    QCOMPARE(line->isVisible(), hint);
    if (hint) {
        QVERIFY(line->text().contains("0 и 1"));
        QVERIFY(line->geometry().top() >= editor->geometry().bottom());
    }
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCOMPARE(lab.table->item(1, codeColumn)->text(), code);
    QVERIFY(lab.table->viewport()->findChildren<QLabel *>("codeHint").isEmpty()
        || !lab.table->viewport()->findChild<QLabel *>("codeHint")->isVisible());
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
