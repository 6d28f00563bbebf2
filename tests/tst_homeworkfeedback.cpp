// SPDX-License-Identifier: GPL-3.0-or-later
// What the homework tab says beside the verdict, and the construction window it opens.

#include "codetreeview.h"
#include "constructionwindow.h"
#include "homeworkdiagnosis.h"
#include "lab.h"
#include "namecode.h"

#include <QFile>
#include <QPdfWriter>
#include <QScreen>
#include <QTemporaryDir>

using WindowTesting::child;

namespace {

QString diagnosis(const Lab &lab)
{
    return child<QLabel>(lab.window, "diagnosisLabel")->text();
}

bool constructionOffered(const Lab &lab)
{
    return !child<QPushButton>(lab.window, "constructionButton")->isHidden();
}

ConstructionWindow *openConstruction(Lab &lab)
{
    QTest::mouseClick(child<QPushButton>(lab.window, "constructionButton"), Qt::LeftButton);
    return lab.window.findChild<ConstructionWindow *>();
}

QStringList column(const QTableWidget *table, int c)
{
    QStringList texts;
    for (int r = 0; r < table->rowCount(); ++r)
        texts << table->item(r, c)->text();
    return texts;
}

} // namespace

class tst_HomeworkFeedback : public QObject
{
    Q_OBJECT

private slots:
    void staleVerdict_data();
    void staleVerdict();
    void diagnosisFollowsEveryPress();
    void constructionWindow();
    void constructionOfTheAnswer_data();
    void constructionOfTheAnswer();
    void constructionChangesNothingElse();
    void treeIsDrawnByDepth();
    void saveAsPng_data();
    void saveAsPng();
    void print();
};

void tst_HomeworkFeedback::staleVerdict_data()
{
    QTest::addColumn<bool>("right"); // the check's verdict
    QTest::addColumn<QString>("name"); // typed after the check
    QTest::addColumn<QString>("counters");
    const QString mama = QStringLiteral("Мама Мыла Раму");
    QTest::newRow("right, name edited") << true << "Папа Мыла Раму"
                                        << "0,3,0,4";
    QTest::newRow("right, counters edited") << true << mama << "0,3,0";
    QTest::newRow("wrong, name edited") << false << "Мама Мыла"
                                        << "0,3,0,5";
}

// An edit of either field after a check says in words that the verdict speaks for what was
// checked, until the fields hold that again or the next check; the lab stays open, and the
// construction is the checked name's.
void tst_HomeworkFeedback::staleVerdict()
{
    QFETCH(bool, right);
    QFETCH(QString, name);
    QFETCH(QString, counters);

    const QString mama = QStringLiteral("Мама Мыла Раму");
    const QString checked = right ? QStringLiteral("0,3,0,4") : QStringLiteral("0,3,0,5");
    Lab lab(Lab::AtHomework);
    auto *stale = child<QLabel>(lab.window, "homeworkStale");
    lab.submit(mama, checked);
    QVERIFY(stale->isHidden());

    lab.name->setText(name);
    lab.counters->setText(counters);
    QVERIFY(!stale->isHidden());
    QVERIFY2(stale->text().contains(QStringLiteral("изменены после проверки"))
            && stale->text().contains(QStringLiteral("«%1» со счетчиками «%2»").arg(mama, checked)),
        qPrintable(stale->text()));
    QCOMPARE(lab.labTab->isEnabled(), right);
    if (right)
        QCOMPARE(openConstruction(lab)->name(), mama);

    // Back to what was checked: the verdict holds again.
    lab.name->setText(mama);
    lab.counters->setText(checked);
    QVERIFY(stale->isHidden());
    lab.name->setText(name);
    lab.counters->setText(counters);
    QVERIFY(!stale->isHidden());
    // The next check speaks for the fields again.
    lab.submit(mama, "0,3,0,4");
    QVERIFY(stale->isHidden());
}

// Wrong: the diagnosis, no button; right: no text, the button; skip: where to find a picture.
void tst_HomeworkFeedback::diagnosisFollowsEveryPress()
{
    Lab lab(Lab::AtHomework);
    auto *label = child<QLabel>(lab.window, "diagnosisLabel");
    QVERIFY(label->wordWrap());
    QVERIFY(!label->accessibleName().isEmpty() && !label->accessibleDescription().isEmpty());
    QVERIFY(diagnosis(lab).isEmpty());
    QVERIFY(!constructionOffered(lab));

    const QString mama = QStringLiteral("Мама Мыла Раму");
    lab.submit(mama, "0,2,3,2");
    QCOMPARE(diagnosis(lab), HomeworkDiagnosis::of(mama, "0,2,3,2").text);
    QVERIFY(diagnosis(lab).contains(QStringLiteral("на шаге 3")));
    QVERIFY(!label->isHidden());
    QVERIFY(!constructionOffered(lab));

    lab.submit(mama, "0,3,0,4");
    QVERIFY(diagnosis(lab).isEmpty());
    QVERIFY(label->isHidden());
    QVERIFY(constructionOffered(lab));
    QCOMPARE(lab.homeworkButton->nextInFocusChain(),
        child<QPushButton>(lab.window, "constructionButton"));

    lab.submit(mama, "0,3,0,3");
    QVERIFY(diagnosis(lab).contains(QStringLiteral("Кодовых слов в списке: 6")));
    QVERIFY(!constructionOffered(lab));

    lab.submit(mama, "0,3,0,4");
    lab.submit(mama, "0,3,0,3", true);
    QVERIFY(diagnosis(lab).contains(QStringLiteral("кнопкой «Обзор»")));
    QVERIFY(!constructionOffered(lab));

    // An empty name shows only its message box: the feedback stays as it was.
    lab.submit(mama, "3,0,4");
    const QString before = diagnosis(lab);
    lab.submit(QString(), "3,0,4");
    QCOMPARE(lab.messages.size(), 1);
    QCOMPARE(diagnosis(lab), before);
}

void tst_HomeworkFeedback::constructionWindow()
{
    Lab lab(Lab::AtHomework);
    lab.submit("Мама Мыла Раму", "0,3,0,4");
    ConstructionWindow *construction = openConstruction(lab);
    QVERIFY(construction);
    QVERIFY(construction->isVisible());
    QVERIFY(construction->isWindow());
    QVERIFY(!construction->isModal());
    QCOMPARE(construction->windowTitle(), "Построение кода Хаффмана");

    const auto *steps = construction->findChild<QTableWidget *>("stepsTable");
    QCOMPARE(steps->rowCount(), 6);
    QCOMPARE(column(steps, 3).at(2), "{у, ы, л, р} 4/14");
    QCOMPARE(column(steps, 4).mid(2, 2), QStringList({"по порядку списка", "по порядку списка"}));
    QCOMPARE(column(steps, 4).at(5), "");
    const auto *codes = construction->findChild<QTableWidget *>("codesTable");
    QCOMPARE(column(codes, 0), QStringList({"а", "м", "␣", "у", "ы", "л", "р"}));
    QCOMPARE(column(codes, 3), QStringList({"2", "2", "2", "4", "4", "4", "4"}));
    QCOMPARE(column(codes, 4), QStringList({"00", "01", "10", "1100", "1101", "1110", "1111"}));

    // Wholly on the screen, frame included, however small the screen: the content scrolls.
    const QRect area = lab.window.screen()->availableGeometry();
    QVERIFY2(area.contains(construction->frameGeometry()),
        qPrintable(QStringLiteral("%1 x %2 at %3, %4")
                       .arg(construction->frameGeometry().width())
                       .arg(construction->frameGeometry().height())
                       .arg(construction->frameGeometry().x())
                       .arg(construction->frameGeometry().y())));
    // "Закрыть" and Escape close it.
    auto *close = construction->findChild<QPushButton *>("closeButton");
    QCOMPARE(close->text(), "Закрыть");
    QTest::mouseClick(close, Qt::LeftButton);
    QVERIFY(!construction->isVisible());
    QCOMPARE(openConstruction(lab), construction);
    QTest::keyClick(construction, Qt::Key_Escape);
    QVERIFY(!construction->isVisible());
    QCOMPARE(openConstruction(lab), construction);
    close->setFocus();
    QTest::keyClick(close, Qt::Key_Return);
    QVERIFY(!construction->isVisible());

    // A later right check with another name: the same window, now for that name.
    lab.submit("Ааа Ааа Ааб", "1,2");
    QCOMPARE(openConstruction(lab), construction);
    QVERIFY(construction->isVisible());
    QCOMPARE(construction->findChild<QTableWidget *>("stepsTable")->rowCount(), 2);
    QCOMPARE(lab.window.findChildren<ConstructionWindow *>().size(), 1);
}

void tst_HomeworkFeedback::constructionOfTheAnswer_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("counters");
    QTest::addColumn<QString>("step4"); // the new node of step 4, or empty: not looked at
    QTest::addColumn<QString>("note"); // a phrase of the line where they part; empty: no line

    const QString andreeva = QStringLiteral("Андреева Вероника Аркадьевна");
    QTest::newRow("exact answer: the construction with fractions")
        << andreeva << "0,1,4,3,1,2"
        << "{« », и, о, ь} 5/28"
        << "Здесь дроби сравниваются точно. Программа считает 32-битными числами, в них с шага 4 "
           "равные дроби расходятся; ее счетчики 0,1,3,5,2 тоже верны.";
    QTest::newRow("the lab's answer: the lab's construction")
        << andreeva << "0,1,3,5,2"
        << "{р, « »} 5/28"
        << "с шага 4 равные дроби в них расходятся. Счетчики построения в точных дробях "
           "0,1,4,3,1,2 тоже верны.";
    QTest::newRow("the same answer both ways: fractions, the same counters")
        << "Антонова Валентина Сергеевна"
        << "0,1,3,4,4"
        << ""
        << "с шага 6 равные дроби расходятся, но счетчики выходят те же.";
    QTest::newRow("no parting, no line") << "Мама Мыла Раму"
                                         << "0,3,0,4"
                                         << "{« », у, ы, л, р} 6/14"
                                         << "";
}

// The window shows the construction that gives the student's own answer, and one line where the
// lab's floats and exact fractions part.
void tst_HomeworkFeedback::constructionOfTheAnswer()
{
    QFETCH(QString, name);
    QFETCH(QString, counters);
    QFETCH(QString, step4);
    QFETCH(QString, note);

    Lab lab(Lab::AtHomework);
    lab.submit(name, counters);
    QCOMPARE(lab.shownVerdict().lines.value(1), QStringLiteral("выполнено верно!"));
    ConstructionWindow *construction = openConstruction(lab);
    QVERIFY(construction);
    if (!step4.isEmpty())
        QCOMPARE(column(construction->findChild<QTableWidget *>("stepsTable"), 3).value(3), step4);
    const auto *line = construction->findChild<QLabel *>("constructionNote");
    QCOMPARE(line != nullptr, !note.isEmpty());
    if (line)
        QVERIFY2(line->text().contains(note), qPrintable(line->text()));
}

void tst_HomeworkFeedback::constructionChangesNothingElse()
{
    Lab lab(Lab::AtHomework);
    lab.submit("Мама Мыла Раму", "0,3,0,4");
    const QString verdict = lab.verdict->text();
    ConstructionWindow *construction = openConstruction(lab);
    lab.window.dialogs().saveFileName
        = [](QWidget *, const QString &, const QString &, const QString &) { return QString(); };
    lab.window.dialogs().printDialog = [](QWidget *, const QString &, const auto &) {};
    QTest::mouseClick(construction->findChild<QPushButton *>("saveButton"), Qt::LeftButton);
    QTest::mouseClick(construction->findChild<QPushButton *>("printButton"), Qt::LeftButton);

    QCOMPARE(lab.name->text(), "Мама Мыла Раму");
    QCOMPARE(lab.counters->text(), "0,3,0,4");
    QCOMPARE(lab.verdict->text(), verdict);
    QVERIFY(lab.labTab->isEnabled());
    QVERIFY(lab.messages.isEmpty());
}

// A leaf's column is its code length; every inner node lies left of its children, the node
// taken second above the one taken first.
void tst_HomeworkFeedback::treeIsDrawnByDepth()
{
    const HuffmanConstruction construction = HuffmanConstruction::ofName("Мама Мыла Раму");
    const CodeTreeView tree(construction);
    QMap<int, double> columnOfLength;
    for (const SymbolLength &entry : construction.lengths) {
        const double x = tree.nodeCentre(entry.symbol).x();
        QCOMPARE(columnOfLength.value(entry.length, x), x);
        columnOfLength[entry.length] = x;
    }
    QVERIFY(columnOfLength.value(2) < columnOfLength.value(4));
    for (qsizetype i = 0; i < construction.nodes.size(); ++i) {
        const HuffmanConstruction::Node &node = construction.nodes.at(i);
        if (node.upper < 0)
            continue;
        QVERIFY(tree.nodeCentre(int(i)).x() < tree.nodeCentre(node.upper).x());
        QCOMPARE(tree.nodeCentre(node.upper).x(), tree.nodeCentre(node.lower).x());
        QVERIFY(tree.nodeCentre(node.upper).y() < tree.nodeCentre(node.lower).y());
    }
    QVERIFY(QRect(QPoint(), tree.size()).contains(tree.nodeCentre(0).toPoint()));
}

void tst_HomeworkFeedback::saveAsPng_data()
{
    QTest::addColumn<QString>("chosen"); // relative to a scratch folder
    QTest::addColumn<QString>("written"); // empty: nothing written, a message instead

    QTest::newRow("name with .png") << "код.png"
                                    << "код.png";
    QTest::newRow(".png added") << "код"
                                << "код.png";
    QTest::newRow("folder that does not exist") << "нет/код.png"
                                                << "";
}

void tst_HomeworkFeedback::saveAsPng()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);

    QTemporaryDir dir;
    Lab lab(Lab::AtHomework);
    QString offeredDir;
    lab.window.dialogs().saveFileName = [&](QWidget *parent, const QString &,
                                            const QString &offered, const QString &filter) {
        offeredDir = offered;
        return parent->isWindow() && filter.contains(QStringLiteral("*.png")) ? dir.filePath(chosen)
                                                                              : QString();
    };
    lab.submit("Мама Мыла Раму", "0,3,0,4");
    ConstructionWindow *construction = openConstruction(lab);
    QTest::mouseClick(construction->findChild<QPushButton *>("saveButton"), Qt::LeftButton);

    QVERIFY(offeredDir.endsWith(QStringLiteral("Мама Мыла Раму.png")));
    if (written.isEmpty()) {
        QCOMPARE(lab.messages.size(), 1);
        QVERIFY(lab.messages.constFirst().startsWith(
            QStringLiteral("Сохранить построение кода|Не удалось сохранить изображение\n")));
        QVERIFY(lab.messages.constFirst().contains(QStringLiteral("нет")));
        return;
    }
    QVERIFY(lab.messages.isEmpty());
    const QImage saved(dir.filePath(written));
    QCOMPARE(saved.size(), construction->image().size());
    // The whole content, not the scrolled view: taller than the window shows it.
    QVERIFY(saved.height() > construction->findChild<QTableWidget *>("stepsTable")->height());
}

void tst_HomeworkFeedback::print()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("построение.pdf"));
    Lab lab(Lab::AtHomework);
    QString document;
    // A PDF writer stands in for the printer the dialog would give.
    lab.window.dialogs().printDialog = [&](QWidget *, const QString &name, const auto &print) {
        document = name;
        QPdfWriter writer(pdf);
        writer.setResolution(96);
        print(&writer);
    };
    // A name the check takes, with nearly every letter of the alphabet.
    const QString longest = QStringLiteral("Аабвгдеёжзийклмнопрс-Тта Уфхцчшщъыьэюя Ббб");
    lab.submit(longest, NameCode::countersText(longest));
    ConstructionWindow *construction = openConstruction(lab);
    QTest::mouseClick(construction->findChild<QPushButton *>("printButton"), Qt::LeftButton);

    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(document, QStringLiteral("Построение кода Хаффмана — ") + longest);
    // 38 characters: the table, the tree and the legend do not fit one page.
    QVERIFY(
        bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page ")
        >= 2);
}

QTEST_MAIN(tst_HomeworkFeedback)
#include "tst_homeworkfeedback.moc"
