// SPDX-License-Identifier: GPL-3.0-or-later
// What the homework tab says beside the verdict, and the construction window it opens.

#include "codetreeview.h"
#include "constructionwindow.h"
#include "homeworkdiagnosis.h"
#include "mainwidget.h"
#include "namecode.h"
#include "qswitch.h"
#include "windowtesting.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using WindowTesting::child;

namespace {

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

    void check(const QString &name, const QString &counters, bool skip = false)
    {
        child<QLineEdit>(window, "lineEdit")->setText(name);
        child<QLineEdit>(window, "lineEdit_2")->setText(counters);
        auto *lever = window.findChild<QSwitch *>();
        if (lever->value() != skip)
            QTest::mouseClick(lever, Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(window, "pushButton"), Qt::LeftButton);
    }
    QString diagnosis() const { return child<QLabel>(window, "diagnosisLabel")->text(); }
    bool buttonShown() const
    {
        return !child<QPushButton>(window, "constructionButton")->isHidden();
    }
    ConstructionWindow *openConstruction()
    {
        QTest::mouseClick(child<QPushButton>(window, "constructionButton"), Qt::LeftButton);
        return window.findChild<ConstructionWindow *>();
    }

    QStringList messages;

private:
    MainWidget &window;
};

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
    void diagnosisFollowsEveryPress();
    void constructionWindow();
    void constructionChangesNothingElse();
    void treeIsDrawnByDepth();
    void saveAsPng_data();
    void saveAsPng();
    void print();
};

// Wrong: the diagnosis, no button; right: no text, the button; skip: neither.
void tst_HomeworkFeedback::diagnosisFollowsEveryPress()
{
    MainWidget window;
    Student student(window);
    auto *label = child<QLabel>(window, "diagnosisLabel");
    QVERIFY(label->wordWrap());
    QVERIFY(!label->accessibleName().isEmpty() && !label->accessibleDescription().isEmpty());
    QVERIFY(student.diagnosis().isEmpty());
    QVERIFY(!student.buttonShown());

    const QString mama = QStringLiteral("Мама Мыла Раму");
    student.check(mama, "0,2,3,2");
    QCOMPARE(student.diagnosis(), HomeworkDiagnosis::of(mama, "0,2,3,2").text);
    QVERIFY(student.diagnosis().contains(QStringLiteral("на шаге 3")));
    QVERIFY(!label->isHidden());
    QVERIFY(!student.buttonShown());

    student.check(mama, "0,3,0,4");
    QVERIFY(student.diagnosis().isEmpty());
    QVERIFY(label->isHidden());
    QVERIFY(student.buttonShown());
    QCOMPARE(child<QPushButton>(window, "pushButton")->nextInFocusChain(),
        child<QPushButton>(window, "constructionButton"));

    student.check(mama, "0,3,0,3");
    QVERIFY(student.diagnosis().contains(QStringLiteral("Кодовых слов в списке: 6")));
    QVERIFY(!student.buttonShown());

    student.check(mama, "0,3,0,4");
    student.check(mama, "0,3,0,3", true);
    QVERIFY(student.diagnosis().isEmpty());
    QVERIFY(!student.buttonShown());

    // An empty name shows only its message box: the feedback stays as it was.
    student.check(mama, "3,0,4");
    const QString before = student.diagnosis();
    student.check(QString(), "3,0,4");
    QCOMPARE(student.messages.size(), 1);
    QCOMPARE(student.diagnosis(), before);
}

void tst_HomeworkFeedback::constructionWindow()
{
    MainWidget window;
    Student student(window);
    student.check("Мама Мыла Раму", "0,3,0,4");
    ConstructionWindow *construction = student.openConstruction();
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

    // A later right check with another name: the same window, now for that name.
    construction->hide();
    student.check("Ааа Ааа Ааб", "1,2");
    QCOMPARE(student.openConstruction(), construction);
    QVERIFY(construction->isVisible());
    QCOMPARE(construction->findChild<QTableWidget *>("stepsTable")->rowCount(), 2);
    QCOMPARE(window.findChildren<ConstructionWindow *>().size(), 1);
}

void tst_HomeworkFeedback::constructionChangesNothingElse()
{
    MainWidget window;
    Student student(window);
    student.check("Мама Мыла Раму", "0,3,0,4");
    const QString verdict = child<QLabel>(window, "label_6")->text();
    ConstructionWindow *construction = student.openConstruction();
    window.dialogs().saveFileName
        = [](QWidget *, const QString &, const QString &, const QString &) { return QString(); };
    window.dialogs().printDialog = [](QWidget *, const QString &, const auto &) {};
    QTest::mouseClick(construction->findChild<QPushButton *>("saveButton"), Qt::LeftButton);
    QTest::mouseClick(construction->findChild<QPushButton *>("printButton"), Qt::LeftButton);

    QCOMPARE(child<QLineEdit>(window, "lineEdit")->text(), "Мама Мыла Раму");
    QCOMPARE(child<QLineEdit>(window, "lineEdit_2")->text(), "0,3,0,4");
    QCOMPARE(child<QLabel>(window, "label_6")->text(), verdict);
    QVERIFY(child<QWidget>(window, "tab_2")->isEnabled());
    QVERIFY(student.messages.isEmpty());
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
    MainWidget window;
    Student student(window);
    QString offeredDir;
    window.dialogs().saveFileName = [&](QWidget *parent, const QString &, const QString &offered,
                                        const QString &filter) {
        offeredDir = offered;
        return parent->isWindow() && filter.contains(QStringLiteral("*.png")) ? dir.filePath(chosen)
                                                                              : QString();
    };
    student.check("Мама Мыла Раму", "0,3,0,4");
    ConstructionWindow *construction = student.openConstruction();
    QTest::mouseClick(construction->findChild<QPushButton *>("saveButton"), Qt::LeftButton);

    QVERIFY(offeredDir.endsWith(QStringLiteral("Мама Мыла Раму.png")));
    if (written.isEmpty()) {
        QCOMPARE(student.messages.size(), 1);
        QVERIFY(student.messages.constFirst().startsWith(
            QStringLiteral("Сохранить построение кода|Не удалось сохранить изображение\n")));
        QVERIFY(student.messages.constFirst().contains(QStringLiteral("нет")));
        return;
    }
    QVERIFY(student.messages.isEmpty());
    const QImage saved(dir.filePath(written));
    QCOMPARE(saved.size(), construction->image().size());
    // The whole content, not the scrolled view: taller than the window shows it.
    QVERIFY(saved.height() > construction->findChild<QTableWidget *>("stepsTable")->height());
}

void tst_HomeworkFeedback::print()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("построение.pdf"));
    MainWidget window;
    Student student(window);
    QString document;
    // A PDF writer stands in for the printer the dialog would give.
    window.dialogs().printDialog = [&](QWidget *, const QString &name, const auto &print) {
        document = name;
        QPdfWriter writer(pdf);
        writer.setResolution(96);
        print(&writer);
    };
    const QString longest
        = QStringLiteral("Аааааббббввввггггддддееежжззии Ййккллммнноопрстуфхцчшщъыьэюяё");
    student.check(longest, NameCode::countersText(longest));
    ConstructionWindow *construction = student.openConstruction();
    QTest::mouseClick(construction->findChild<QPushButton *>("printButton"), Qt::LeftButton);

    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith("%PDF"));
    QCOMPARE(document, QStringLiteral("Построение кода Хаффмана — ") + longest);
    // 34 characters: the table, the tree and the legend do not fit one page.
    QVERIFY(
        bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page ")
        >= 2);
}

QTEST_MAIN(tst_HomeworkFeedback)
#include "tst_homeworkfeedback.moc"
