// SPDX-License-Identifier: GPL-3.0-or-later
#include "lab.h"

#include <QAccessible>
#include <QRegularExpression>
#include <QSignalSpy>

namespace {

QWidget *control(const MainWidget &window, const QString &name)
{
    if (name == QLatin1String("switch"))
        return window.findChild<QSwitch *>();
    if (name == QLatin1String("viewer"))
        return window.findChild<Im *>();
    const QList<QWidget *> found = window.findChildren<QWidget *>(name);
    return found.size() == 1 ? found.first() : nullptr;
}

// What a screen reader gets for the widget.
QString announced(QWidget *widget, QAccessible::Text what)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(what) : QString();
}

bool isRussian(const QString &text)
{
    static const QRegularExpression cyrillic(QStringLiteral("[А-Яа-яЁё]{3}"));
    return text.contains(cyrillic);
}

QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus)
        return QStringLiteral("(none)");
    if (qobject_cast<QSwitch *>(focus))
        return QStringLiteral("switch");
    return focus->objectName();
}

} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT

private slots:
    void namesAndDescriptions_data();
    void namesAndDescriptions();
    void switchAnnouncesItsPosition();
    void switchIsCheckBox();
    void verdictSpoken_data();
    void verdictSpoken();
    void tabOrder_data();
    void tabOrder();
    void focusShown_data();
    void focusShown();
    void startAndWalk_data();
    void startAndWalk();
};

void TestAccessibility::namesAndDescriptions_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : {"tabWidget", "lineEdit", "lineEdit_2", "switch", "pushButton",
             "label_6", "comboBox", "label_5", "lineEdit_3", "pushButton_2", "dial", "lcdNumber",
             "viewer", "tableWidget", "pushButton_3", "pushButton_4", "textEdit"})
        QTest::newRow(name) << QString::fromLatin1(name);
    // The comparison tab and the lines under the viewer.
    for (const char *name : {"markedBlocksLabel", "greyButton", "tab_3", "planeChart",
             "planeFiguresTable", "planeComparisonMessage"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestAccessibility::namesAndDescriptions()
{
    QFETCH(QString, name);
    const Lab lab(Lab::AtHomework);
    QWidget *widget = control(lab.window, name);
    QVERIFY2(widget, qPrintable(name));
    QVERIFY2(isRussian(announced(widget, QAccessible::Name)),
        qPrintable(announced(widget, QAccessible::Name)));
    QVERIFY2(isRussian(announced(widget, QAccessible::Description)),
        qPrintable(announced(widget, QAccessible::Description)));
}

void TestAccessibility::switchAnnouncesItsPosition()
{
    const Lab lab(Lab::AtHomework);
    QSwitch *lever = lab.lever;
    QVERIFY(announced(lever, QAccessible::Description).contains("проверить"));
    QTest::keyClick(lever, Qt::Key_Space);
    QVERIFY(lever->value());
    QVERIFY(announced(lever, QAccessible::Description).contains("пропустить"));
}

void TestAccessibility::switchIsCheckBox()
{
    const Lab lab(Lab::AtHomework);
    QSwitch *lever = lab.lever;
    QSignalSpy toggled(lever, &QSwitch::valueChanged);
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(lever);
    QVERIFY(face);
    QCOMPARE(face->role(), QAccessible::CheckBox);
    QCOMPARE(face->text(QAccessible::Name), QStringLiteral("Пропустить домашнее задание"));
    QVERIFY(face->state().checkable);
    QVERIFY(!face->state().checked);

    // Space, as a sighted student flips it: the screen reader sees it checked. (That it is
    // also told so is checked on the desktop's accessibility bus, tests/atspi.)
    QTest::keyClick(lever, Qt::Key_Space);
    QVERIFY(face->state().checked);

    // The screen reader's own toggle goes the user's way: the signal is sent as for a key.
    QAccessibleActionInterface *actions = face->actionInterface();
    QVERIFY(actions);
    QVERIFY(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    actions->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(!lever->value());
    QVERIFY(!face->state().checked);
    QCOMPARE(toggled.size(), 2);
    QCOMPARE(toggled.at(1).at(0).toBool(), false);
}

void TestAccessibility::verdictSpoken_data()
{
    QTest::addColumn<bool>("skip");
    QTest::addColumn<QString>("counters");
    QTest::addColumn<QString>("spoken");

    QTest::newRow("skipped") << true << ""
                             << "Домашнее задание не выполнено!";
    QTest::newRow("right") << false << "0,3,0,4"
                           << "Домашнее задание выполнено верно!";
    QTest::newRow("wrong") << false << "0,2,3,2"
                           << "Домашнее задание выполнено неверно!";
}

void TestAccessibility::verdictSpoken()
{
    QFETCH(bool, skip);
    QFETCH(QString, counters);
    QFETCH(QString, spoken);

    Lab lab(Lab::AtHomework);
    QCOMPARE(announced(lab.verdict, QAccessible::Name),
        QStringLiteral("Необходимо выполнить домашнее задание перед выполнением лабораторной "
                       "работы"));
    lab.submit(QStringLiteral("Мама Мыла Раму"), counters, skip);
    QCOMPARE(announced(lab.verdict, QAccessible::Name), spoken);
}

void TestAccessibility::tabOrder_data()
{
    QTest::addColumn<bool>("skip");
    QTest::addColumn<int>("press"); // the key that runs the homework action
    QTest::addColumn<bool>("inCounters"); // pressed in the counters field, not on the button
    QTest::addColumn<QStringList>("labOrder");
    QTest::newRow("built-in pictures")
        << false << int(Qt::Key_Space) << false
        << QStringList({"comboBox", "dial", "tableWidget", "pushButton_3", "pushButton_4"});
    QTest::newRow("own file") << true << int(Qt::Key_Space) << false
                              << QStringList({"lineEdit_3", "pushButton_2", "dial", "tableWidget",
                                     "pushButton_3", "pushButton_4"});
    QTest::newRow("Return on the button")
        << false << int(Qt::Key_Return) << false
        << QStringList({"comboBox", "dial", "tableWidget", "pushButton_3", "pushButton_4"});
    QTest::newRow("Return in the counters field")
        << false << int(Qt::Key_Return) << true
        << QStringList({"comboBox", "dial", "tableWidget", "pushButton_3", "pushButton_4"});
    QTest::newRow("keypad Enter in the counters field")
        << false << int(Qt::Key_Enter) << true
        << QStringList({"comboBox", "dial", "tableWidget", "pushButton_3", "pushButton_4"});
}

void TestAccessibility::tabOrder()
{
    QFETCH(bool, skip);
    QFETCH(int, press);
    QFETCH(bool, inCounters);
    QFETCH(QStringList, labOrder);

    Lab lab(Lab::AtHomework);
    lab.showActive();

    // Homework by keyboard alone: name, counters, the switch (Space flips it), the button.
    lab.name->setFocus();
    QStringList homework {focusName()};
    lab.name->setText("Мама Мыла Раму");
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        homework << focusName();
        if (focusName() == QLatin1String("lineEdit_2"))
            QTest::keyClicks(QApplication::focusWidget(), "0,3,0,4");
        if (focusName() == QLatin1String("switch") && skip)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    }
    QCOMPARE(homework, QStringList({"lineEdit", "lineEdit_2", "switch", "pushButton"}));
    if (inCounters)
        lab.counters->setFocus();
    QVERIFY(!lab.labTab->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(press),
        press == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QVERIFY(lab.labTab->isEnabled());

    lab.tabs->setCurrentIndex(1);
    QWidget *first = lab.window.findChild<QWidget *>(labOrder.first());
    first->setFocus();
    QStringList order {focusName()};
    for (int i = 1; i < labOrder.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << focusName();
    }
    QCOMPARE(order, labOrder);
}

void TestAccessibility::focusShown_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("skip"); // the lab with the file controls rather than the list
    QTest::addColumn<bool>("byMouse"); // the focus given by a click, not by Tab

    for (const bool byMouse : {false, true}) {
        const char *how = byMouse ? ", clicked" : ", tabbed";
        for (const char *name : {"lineEdit", "lineEdit_2", "switch", "pushButton"})
            QTest::newRow(qPrintable(name + QString(how))) << name << false << byMouse;
        for (const char *name : {"comboBox", "dial", "tableWidget", "pushButton_3", "pushButton_4",
                 "saveResultsButton", "textEdit"})
            QTest::newRow(qPrintable(name + QString(how))) << name << false << byMouse;
        for (const char *name : {"lineEdit_3", "pushButton_2"})
            QTest::newRow(qPrintable(name + QString(how))) << name << true << byMouse;
    }
}

// Every control that takes the focus shows that it has it, however it got it: a flat icon
// button that took a click and then a Space gave no sign of being the one Space would press.
void TestAccessibility::focusShown()
{
    QFETCH(QString, name);
    QFETCH(bool, skip);
    QFETCH(bool, byMouse);

    Lab lab(Lab::AtHomework);
    lab.showActive();
    QWidget *widget = control(lab.window, name);
    QVERIFY(widget);
    const bool onHomework = lab.window.findChild<QWidget *>("tab")->isAncestorOf(widget);
    if (!onHomework) {
        lab.submit("Мама Мыла Раму", skip ? QString() : "0,3,0,4", skip);
        lab.goToLab();
        if (!skip)
            lab.choose("Лена");
    }
    QVERIFY(widget->isVisible());
    QVERIFY(widget->isEnabled());

    // The focus on a neighbour, the way the student left it there.
    QWidget *elsewhere = onHomework
        ? static_cast<QWidget *>(widget == lab.name ? lab.counters : lab.name)
        : widget == lab.report ? static_cast<QWidget *>(lab.table)
                               : lab.report;
    if (byMouse) {
        QTest::mouseClick(elsewhere, Qt::LeftButton, {}, QPoint(4, 4));
        elsewhere->setFocus(Qt::MouseFocusReason);
    } else {
        lab.window.setAttribute(Qt::WA_KeyboardFocusChange); // as the Tab key leaves it
        elsewhere->setFocus(Qt::TabFocusReason);
    }
    QVERIFY(!widget->hasFocus());
    // A click on the table makes the cell under it current, and the focus shows around it.
    if (widget == lab.table)
        lab.table->setCurrentCell(0, 1);
    const QImage unfocused = widget->grab().toImage();
    widget->setFocus(byMouse ? Qt::MouseFocusReason : Qt::TabFocusReason);
    QVERIFY(widget->hasFocus());
    const QImage focused = widget->grab().toImage();
    QVERIFY(focused != unfocused);
}

void TestAccessibility::startAndWalk_data()
{
    QTest::addColumn<bool>("skip");
    QTest::addColumn<int>("tab"); // the window's tab walked through
    QTest::newRow("homework") << false << 0;
    QTest::newRow("lab, built-in pictures") << false << 1;
    QTest::newRow("lab, own file") << true << 1;
    QTest::newRow("comparison") << false << 2;
}

// The name field has the focus as the window opens, so the first letters typed are not lost;
// Tab goes round every control of a tab (the report pane lets it go rather than taking a tab
// character), and each control looks different while it has the focus.
void TestAccessibility::startAndWalk()
{
    QFETCH(bool, skip);
    QFETCH(int, tab);

    Lab lab(Lab::AtHomework);
    lab.showActive();
    QCOMPARE(focusName(), QStringLiteral("lineEdit"));
    WindowTesting::typeKeys(QApplication::focusWidget(), QStringLiteral("Мама"));
    QCOMPARE(lab.name->text(), QStringLiteral("Мама"));
    if (tab > 0) {
        lab.submit("Мама Мыла Раму", skip ? QString() : "0,3,0,4", skip);
        lab.tabs->setCurrentIndex(tab);
        if (!skip)
            lab.choose("Лена");
        QCoreApplication::processEvents();
    }
    lab.tabs->tabBar()->setFocus(Qt::TabFocusReason);
    const QString reportText = lab.report->toPlainText();
    QList<QWidget *> stops;
    QStringList unmarked;
    for (int press = 0; press < 30; ++press) {
        QWidget *const focused = QApplication::focusWidget();
        QVERIFY(focused);
        if (stops.contains(focused))
            break;
        stops.append(focused);
        // With a margin, for a frame drawn around the control.
        const QRect around = QRect(focused->mapTo(&lab.window, QPoint(0, 0)), focused->size())
                                 .adjusted(-3, -3, 3, 3);
        const QImage shown = lab.window.grab(around).toImage();
        QTest::keyClick(focused, Qt::Key_Tab);
        QCoreApplication::processEvents();
        if (QApplication::focusWidget() != focused && lab.window.grab(around).toImage() == shown)
            unmarked << focused->objectName() + "/" + focused->metaObject()->className();
    }
    QVERIFY2(stops.size() > 2, qPrintable(QString::number(stops.size())));
    QVERIFY2(stops.first() == QApplication::focusWidget(), "Tab did not go round");
    QCOMPARE(lab.report->toPlainText(), reportText);
    QVERIFY2(unmarked.isEmpty(), qPrintable(unmarked.join(", ")));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
