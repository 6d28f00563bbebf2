// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwidget.h"
#include "qswitch.h"
#include "windowtesting.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

namespace {

using WindowTesting::child;
using WindowTesting::typeKeys;

// What label_6 shows: each non-empty line with the colour of its text.
struct Verdict
{
    QStringList lines;
    QList<QColor> colors;
};

Verdict verdictOf(const QLabel *label)
{
    QTextDocument document;
    document.setHtml(label->text());
    Verdict verdict;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.text().trimmed().isEmpty())
            continue;
        verdict.lines << block.text();
        QTextBlock::iterator fragment = block.begin();
        verdict.colors << fragment.fragment().charFormat().foreground().color();
    }
    return verdict;
}

// A student at the homework tab: types, flips the lever with the mouse, presses the button.
class Student
{
public:
    explicit Student(MainWidget &window)
        : window(window)
    {
        window.dialogs().messageBox = [this](const QString &title, const QString &text) {
            messages << title + QLatin1Char('|') + text;
        };
    }

    void type(const QString &name, const QString &counters)
    {
        child<QLineEdit>(window, "lineEdit")->setText(name);
        child<QLineEdit>(window, "lineEdit_2")->setText(counters);
    }
    void choose(bool skip)
    {
        auto *lever = window.findChild<QSwitch *>();
        if (lever->value() != skip)
            QTest::mouseClick(lever, Qt::LeftButton);
        QCOMPARE(lever->value(), skip);
    }
    void press() { QTest::mouseClick(child<QPushButton>(window, "pushButton"), Qt::LeftButton); }

    QStringList messages;

private:
    MainWidget &window;
};

const QColor green(0x55, 0xaa, 0x7f);
const QColor red(0xff, 0x00, 0x00);
const QColor blue(0x00, 0x55, 0xff);

} // namespace

class TestHomework : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void skipWithEmptyFields();
    void emptyNameShowsOnlyMessage();
    void wrongAfterCorrectLocksLabOnly();
    void skipAfterCorrectOffersFile();
    void typedNameThroughValidator();
};

void TestHomework::check_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("counters");
    QTest::addColumn<bool>("right");

    QTest::newRow("worked example") << "Мама Мыла Раму"
                                    << "0,3,0,4" << true;
    QTest::newRow("leading zero counter missing") << "Мама Мыла Раму"
                                                  << "3,0,4" << false;
    QTest::newRow("trailing comma") << "Мама Мыла Раму"
                                    << "0,3,0,4," << false;
    QTest::newRow("00 is not 0") << "Мама Мыла Раму"
                                 << "00,3,0,4" << false;
    QTest::newRow("other tie break") << "Мама Мыла Раму"
                                     << "0,2,3,2" << false;
    QTest::newRow("empty counters") << "Мама Мыла Раму"
                                    << "" << false;
    QTest::newRow("capital and small а together") << "Ааа Ааа Ааб"
                                                  << "1,2" << true;
    QTest::newRow("two characters") << "Ааа Ааа Ааа"
                                    << "2" << true;
    QTest::newRow("two characters, wrong") << "Ааа Ааа Ааа"
                                           << "1,1" << false;
    QTest::newRow("single letter") << "А"
                                   << "1" << true;
    QTest::newRow("three names") << "Иванов Иван Иванович"
                                 << "0,2,3,2" << true;
}

void TestHomework::check()
{
    QFETCH(QString, name);
    QFETCH(QString, counters);
    QFETCH(bool, right);

    MainWidget window;
    Student student(window);
    student.type(name, counters);
    student.choose(false);
    student.press();

    const Verdict verdict = verdictOf(child<QLabel>(window, "label_6"));
    QCOMPARE(verdict.lines,
        QStringList({"Домашнее задание", right ? "выполнено верно!" : "выполнено неверно!"}));
    QCOMPARE(verdict.colors, QList<QColor>({right ? green : red, right ? green : red}));
    QCOMPARE(child<QWidget>(window, "tab_2")->isEnabled(), right);
    // The lab tab's page is hidden while the homework tab is current, so the image controls are
    // judged by their own hidden flag.
    QCOMPARE(!child<QComboBox>(window, "comboBox")->isHidden(), right);
    QCOMPARE(!child<QLineEdit>(window, "lineEdit_3")->isHidden(), !right);
    QCOMPARE(!child<QPushButton>(window, "pushButton_2")->isHidden(), !right);
    QVERIFY(student.messages.isEmpty());
}

void TestHomework::skipWithEmptyFields()
{
    MainWidget window;
    Student student(window);
    student.choose(true);
    student.press();

    const Verdict verdict = verdictOf(child<QLabel>(window, "label_6"));
    QCOMPARE(verdict.lines, QStringList({"Домашнее задание", "не выполнено!"}));
    QCOMPARE(verdict.colors, QList<QColor>({blue, blue}));
    QVERIFY(child<QWidget>(window, "tab_2")->isEnabled());
    QVERIFY(child<QComboBox>(window, "comboBox")->isHidden());
    QVERIFY(!child<QLineEdit>(window, "lineEdit_3")->isHidden());
    QVERIFY(!child<QPushButton>(window, "pushButton_2")->isHidden());
    QVERIFY(student.messages.isEmpty());
}

void TestHomework::emptyNameShowsOnlyMessage()
{
    MainWidget window;
    Student student(window);
    const QString notice = child<QLabel>(window, "label_6")->text();
    student.type(QString(), "0,3,0,4");
    student.choose(false);
    student.press();

    QCOMPARE(
        student.messages, QStringList({"Домашнее задание|Не введены фамилия, имя и отчество.\n"}));
    QCOMPARE(child<QLabel>(window, "label_6")->text(), notice);
    QVERIFY(!child<QWidget>(window, "tab_2")->isEnabled());
    QVERIFY(child<QComboBox>(window, "comboBox")->isHidden());
}

void TestHomework::wrongAfterCorrectLocksLabOnly()
{
    MainWidget window;
    Student student(window);
    student.type("Мама Мыла Раму", "0,3,0,4");
    student.choose(false);
    student.press();
    QVERIFY(child<QWidget>(window, "tab_2")->isEnabled());

    student.type("Мама Мыла Раму", "0,3,0,5");
    student.press();
    const Verdict verdict = verdictOf(child<QLabel>(window, "label_6"));
    QCOMPARE(verdict.lines.value(1), "выполнено неверно!");
    QCOMPARE(verdict.colors.value(1), red);
    QVERIFY(!child<QWidget>(window, "tab_2")->isEnabled());
    // The picture source chosen by the correct check stays.
    QVERIFY(!child<QComboBox>(window, "comboBox")->isHidden());
    QVERIFY(child<QLineEdit>(window, "lineEdit_3")->isHidden());
}

void TestHomework::skipAfterCorrectOffersFile()
{
    MainWidget window;
    Student student(window);
    student.type("Мама Мыла Раму", "0,3,0,4");
    student.choose(false);
    student.press();
    QVERIFY(!child<QComboBox>(window, "comboBox")->isHidden());

    student.choose(true);
    student.press();
    QCOMPARE(verdictOf(child<QLabel>(window, "label_6")).lines.value(1), "не выполнено!");
    QVERIFY(child<QWidget>(window, "tab_2")->isEnabled());
    QVERIFY(child<QComboBox>(window, "comboBox")->isHidden());
    QVERIFY(!child<QLineEdit>(window, "lineEdit_3")->isHidden());
    QVERIFY(!child<QPushButton>(window, "pushButton_2")->isHidden());
}

void TestHomework::typedNameThroughValidator()
{
    // Typed key by key, as a student does: the validator must let a real name through.
    MainWidget window;
    Student student(window);
    auto *name = child<QLineEdit>(window, "lineEdit");
    auto *counters = child<QLineEdit>(window, "lineEdit_2");
    typeKeys(name, "Мама  мЫла Раму Q");
    typeKeys(counters, "0,3,0,4");
    // The second space, a word starting with a small letter, a fourth word and a Latin letter
    // are refused key by key.
    QCOMPARE(name->text(), "Мама Ыла Раму");
    name->clear();
    typeKeys(name, "Мама Мыла Раму");
    QCOMPARE(name->text(), "Мама Мыла Раму");
    QCOMPARE(counters->text(), "0,3,0,4");
    student.choose(false);
    student.press();
    QCOMPARE(verdictOf(child<QLabel>(window, "label_6")).colors.value(1), green);
}

QTEST_MAIN(TestHomework)
#include "tst_homework.moc"
