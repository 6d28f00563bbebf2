// SPDX-License-Identifier: GPL-3.0-or-later
#include "lab.h"
#include "labsession.h"

namespace {

using WindowTesting::typeKeys;

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
    void emptyNameShowsOnlyMessage_data();
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
    QTest::newRow("three names") << "Иванов Иван Иванович"
                                 << "0,2,3,2" << true;
    // The floats split «р» 3/28 from {и, о, ь} 3/28; worked with fractions they tie.
    const QString andreeva = QStringLiteral("Андреева Вероника Аркадьевна");
    QTest::newRow("two right answers: the lab's floats") << andreeva << "0,1,3,5,2" << true;
    QTest::newRow("two right answers: exact fractions") << andreeva << "0,1,4,3,1,2" << true;
    QTest::newRow("a third optimal answer") << andreeva << "0,1,4,2,4" << false;
    QTest::newRow("two words, a space left at the end") << "Ли Вэй "
                                                        << "0,2,4" << true;
}

void TestHomework::check()
{
    QFETCH(QString, name);
    QFETCH(QString, counters);
    QFETCH(bool, right);

    Lab lab(Lab::AtHomework);
    lab.submit(name, counters);

    const Lab::Verdict verdict = lab.shownVerdict();
    QCOMPARE(verdict.lines,
        QStringList({"Домашнее задание", right ? "выполнено верно!" : "выполнено неверно!"}));
    QCOMPARE(verdict.colors, QList<QColor>({right ? green : red, right ? green : red}));
    QCOMPARE(lab.labTab->isEnabled(), right);
    // The lab tab's page is hidden while the homework tab is current, so the image controls are
    // judged by their own hidden flag.
    QCOMPARE(!lab.combo->isHidden(), right);
    QCOMPARE(!lab.path->isHidden(), !right);
    QCOMPARE(!lab.browse->isHidden(), !right);
    QVERIFY(lab.messages.isEmpty());
}

void TestHomework::skipWithEmptyFields()
{
    Lab lab(Lab::AtHomework);
    lab.press(true);

    const Lab::Verdict verdict = lab.shownVerdict();
    QCOMPARE(verdict.lines, QStringList({"Домашнее задание", "не выполнено!"}));
    QCOMPARE(verdict.colors, QList<QColor>({blue, blue}));
    QVERIFY(lab.labTab->isEnabled());
    QVERIFY(lab.combo->isHidden());
    QVERIFY(!lab.path->isHidden());
    QVERIFY(!lab.browse->isHidden());
    QVERIFY(lab.messages.isEmpty());
}

void TestHomework::emptyNameShowsOnlyMessage_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("counters");
    QTest::newRow("empty") << QString() << "0,3,0,4";
    QTest::newRow("one word, its counters right") << "Ааа"
                                                  << "1";
}

// An empty or incomplete name: the message box, with the homework's caption, and nothing else.
void TestHomework::emptyNameShowsOnlyMessage()
{
    QFETCH(QString, name);
    QFETCH(QString, counters);
    Lab lab(Lab::AtHomework);
    const QString notice = lab.verdict->text();
    lab.submit(name, counters);

    QCOMPARE(lab.messages, QStringList({"Домашнее задание|" + LabSession::nameRefusal(name)}));
    QVERIFY(!LabSession::nameRefusal(name).isEmpty());
    QCOMPARE(lab.verdict->text(), notice);
    QVERIFY(!lab.labTab->isEnabled());
    QVERIFY(lab.combo->isHidden());
}

void TestHomework::wrongAfterCorrectLocksLabOnly()
{
    Lab lab(Lab::AtHomework);
    lab.submit("Мама Мыла Раму", "0,3,0,4");
    QVERIFY(lab.labTab->isEnabled());

    lab.submit("Мама Мыла Раму", "0,3,0,5");
    const Lab::Verdict verdict = lab.shownVerdict();
    QCOMPARE(verdict.lines.value(1), "выполнено неверно!");
    QCOMPARE(verdict.colors.value(1), red);
    QVERIFY(!lab.labTab->isEnabled());
    // The picture source chosen by the correct check stays.
    QVERIFY(!lab.combo->isHidden());
    QVERIFY(lab.path->isHidden());
}

void TestHomework::skipAfterCorrectOffersFile()
{
    Lab lab(Lab::AtHomework);
    lab.submit("Мама Мыла Раму", "0,3,0,4");
    QVERIFY(!lab.combo->isHidden());

    lab.press(true);
    QCOMPARE(lab.shownVerdict().lines.value(1), "не выполнено!");
    QVERIFY(lab.labTab->isEnabled());
    QVERIFY(lab.combo->isHidden());
    QVERIFY(!lab.path->isHidden());
    QVERIFY(!lab.browse->isHidden());
}

void TestHomework::typedNameThroughValidator()
{
    // Typed key by key, as a student does: the validator must let a real name through.
    Lab lab(Lab::AtHomework);
    typeKeys(lab.name, "Мама  мЫла Раму Q");
    typeKeys(lab.counters, "0,3,0,4");
    // The second space, a word starting with a small letter, a fourth word and a Latin letter
    // are refused key by key.
    QCOMPARE(lab.name->text(), "Мама Ыла Раму");
    lab.name->clear();
    typeKeys(lab.name, "Мама Мыла Раму");
    QCOMPARE(lab.name->text(), "Мама Мыла Раму");
    QCOMPARE(lab.counters->text(), "0,3,0,4");
    lab.press(false);
    QCOMPARE(lab.shownVerdict().colors.value(1), green);
}

QTEST_MAIN(TestHomework)
#include "tst_homework.moc"
