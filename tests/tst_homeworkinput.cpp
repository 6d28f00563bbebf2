// SPDX-License-Identifier: GPL-3.0-or-later
#include "inputnormaliser.h"
#include "lab.h"
#include "namecode.h"
#include "nametable.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>

namespace {

using WindowTesting::child;

// A paste the way the student does it: Ctrl+V, the context menu, or text dropped from another
// program.
void paste(QLineEdit *field, const QString &method, const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
    if (method == QLatin1String("keys")) {
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    } else if (method == QLatin1String("menu")) {
        QContextMenuEvent event(
            QContextMenuEvent::Mouse, QPoint(5, 5), field->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(field, &event);
        QMenu *menu = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *found = qobject_cast<QMenu *>(top); found && found->isVisible())
                menu = found;
        }
        QVERIFY(menu);
        QAction *action = InputNormaliser::pasteAction(menu);
        QVERIFY(action);
        action->trigger();
        menu->close();
    } else {
        QMimeData mime;
        mime.setText(text);
        // Qt hands a drop to the widget that accepted the drag's entry.
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field, &drop);
    }
}

} // namespace

class tst_HomeworkInput : public QObject
{
    Q_OBJECT

private slots:
    void pasted_data();
    void pasted();
    void typed();
    void namesTyped_data();
    void namesTyped();
    void typingOnAfterARefusal();
    void hintMovesNothing_data();
    void hintMovesNothing();
};

void tst_HomeworkInput::pasted_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("result");
    QTest::addColumn<bool>("hint");

    // What the text becomes is tst_FieldText's; here, that every way in goes through it.
    const QString ivanov = QStringLiteral("Иванов Иван Иванович");
    QTest::newRow("name, Ctrl+V") << "lineEdit"
                                  << "keys" << ivanov + "\n"
                                  << ivanov << false;
    QTest::newRow("name, context menu")
        << "lineEdit"
        << "menu" << QStringLiteral(" Иванов\u00a0Иван  Иванович\r\n") << ivanov << false;
    QTest::newRow("name, dropped") << "lineEdit"
                                   << "drop" << ivanov + "\n"
                                   << ivanov << false;
    QTest::newRow("Latin name refused") << "lineEdit"
                                        << "keys"
                                        << "Ivanov Ivan Ivanovich" << QString() << true;
    QTest::newRow("counters, Ctrl+V") << "lineEdit_2"
                                      << "keys"
                                      << "0, 3 , 0, 4\n"
                                      << "0,3,0,4" << false;
    QTest::newRow("three-digit counter refused") << "lineEdit_2"
                                                 << "keys"
                                                 << "1,123" << QString() << true;
}

void tst_HomeworkInput::pasted()
{
    QFETCH(QString, field);
    QFETCH(QString, method);
    QFETCH(QString, text);
    QFETCH(QString, result);
    QFETCH(bool, hint);

    const Lab lab(Lab::AtHomework);
    QLineEdit *edit = field == QLatin1String("lineEdit") ? lab.name : lab.counters;
    const QLabel *hintLine = child<QLabel>(
        lab.window, field == QLatin1String("lineEdit") ? "nameHint" : "countersHint");
    paste(edit, method, text);
    QCOMPARE(edit->text(), result);
    QCOMPARE(!hintLine->isHidden(), hint);
    QCOMPARE(hintLine->text().isEmpty(), !hint);
}

void tst_HomeworkInput::typed()
{
    Lab lab(Lab::AtHomework);
    QLineEdit *name = lab.name;
    const QLabel *hint = child<QLabel>(lab.window, "nameHint");

    // A no-break space typed between the words is a space; a second space is not taken.
    WindowTesting::typeKeys(name, QStringLiteral("Мама\u00a0 "));
    QCOMPARE(name->text(), QStringLiteral("Мама "));
    QVERIFY(!hint->isHidden());
    WindowTesting::typeKeys(name, QStringLiteral("Мыла\u00a0Раму"));
    QCOMPARE(name->text(), QStringLiteral("Мама Мыла Раму"));
    QVERIFY(hint->isHidden());

    // A Latin letter is refused with the hint, which names it; the next key that goes in clears it.
    name->setText(QStringLiteral("Мама Мыла Рам"));
    WindowTesting::typeKeys(name, QStringLiteral("u"));
    QCOMPARE(name->text(), QStringLiteral("Мама Мыла Рам"));
    QVERIFY(!hint->isHidden());
    QVERIFY(hint->text().startsWith(QStringLiteral("Не принято: «u». Нужны")));
    WindowTesting::typeKeys(name, QStringLiteral("у"));
    QCOMPARE(name->text(), QStringLiteral("Мама Мыла Раму"));
    QVERIFY(hint->isHidden());

    // е followed by a typed combining diaeresis becomes ё.
    name->setText(QStringLiteral("Фе"));
    WindowTesting::typeKeys(name, QStringLiteral("\u0308"));
    QCOMPARE(name->text(), QStringLiteral("Фё"));

    // A pasted name is checked like a typed one.
    name->clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("Мама Мыла Раму\n"));
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    lab.counters->setText(QStringLiteral("0,3,0,4"));
    lab.press(false);
    QVERIFY(lab.verdict->text().contains(QStringLiteral("выполнено верно!")));
}

void tst_HomeworkInput::namesTyped_data()
{
    NameTable::addColumns();
    NameTable::addRows();
}

// Every name of the rule's table typed key by key: an accepted one stands in the field as typed
// and, with the key tool's answer (the coder's counters, which tst_KeyTool holds the tool to),
// reaches the green verdict; a refused one never stands there as a finished name.
void tst_HomeworkInput::namesTyped()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);

    Lab lab(Lab::AtHomework);
    WindowTesting::typeKeys(lab.name, name);
    const bool standsAsTyped = lab.name->text() == name && lab.name->hasAcceptableInput();
    QCOMPARE(standsAsTyped, accepted);
    if (!accepted)
        return;
    QVERIFY(child<QLabel>(lab.window, "nameHint")->isHidden());
    WindowTesting::typeKeys(lab.counters, NameCode::countersText(name));
    lab.press(false);
    QCOMPARE(lab.shownVerdict().lines.value(1), QStringLiteral("выполнено верно!"));
    QVERIFY(lab.labTab->isEnabled());
}

// A refused character is named in the hint as it is refused, so the field never turns one name
// into another unseen; the hint goes at the next accepted key.
void tst_HomeworkInput::typingOnAfterARefusal()
{
    Lab lab(Lab::AtHomework);
    const QLabel *hint = child<QLabel>(lab.window, "nameHint");
    WindowTesting::typeKeys(lab.name, QStringLiteral("МакД"));
    QCOMPARE(lab.name->text(), QStringLiteral("Мак"));
    QVERIFY(!hint->isHidden());
    QVERIFY(hint->text().startsWith(QStringLiteral("Не принято: «Д».")));
    WindowTesting::typeKeys(lab.name, QStringLiteral("ональд"));
    QCOMPARE(lab.name->text(), QStringLiteral("Макональд"));
    QVERIFY(hint->isHidden());

    // Deleting takes the hint down. A hyphen is taken now, so a double surname comes through
    // whole.
    lab.name->selectAll();
    QTest::keyClick(lab.name, Qt::Key_Backspace);
    QVERIFY(hint->isHidden());
    WindowTesting::typeKeys(lab.name, QStringLiteral("Салтыков-Щедрин Михаил"));
    QCOMPARE(lab.name->text(), QStringLiteral("Салтыков-Щедрин Михаил"));
    QVERIFY(hint->isHidden());
}

void tst_HomeworkInput::hintMovesNothing_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<QString>("accepted");
    QTest::addColumn<QString>("otherPrompt");

    QTest::newRow("name") << "lineEdit" << "u" << "М" << "label_2";
    // A long refusal is quoted by its start, and the line stays short.
    QTest::newRow("name, long refusal") << "lineEdit" << "0123456789abcdefghij" << "М" << "label_2";
    QTest::newRow("counters") << "lineEdit_2" << "a" << "1" << "label";
}

// The red line floats over its field's own prompt: it moves no control, so a click aimed at one
// lands on it, and it covers no other field's prompt; it goes at the next accepted key, and when
// the student leaves the field.
void tst_HomeworkInput::hintMovesNothing()
{
    QFETCH(QString, field);
    QFETCH(QString, refused);
    QFETCH(QString, accepted);
    QFETCH(QString, otherPrompt);

    Lab lab(Lab::AtHomework);
    lab.showActive();
    QLineEdit *edit = child<QLineEdit>(lab.window, qPrintable(field));
    const QLabel *hint = child<QLabel>(
        lab.window, field == QLatin1String("lineEdit") ? "nameHint" : "countersHint");
    QWidget *tab = child<QWidget>(lab.window, "tab");
    QMap<QWidget *, QRect> places;
    for (QWidget *widget : tab->findChildren<QWidget *>()) {
        if (widget != hint)
            places.insert(widget, widget->geometry());
    }
    edit->setFocus();

    WindowTesting::typeKeys(edit, refused);
    QVERIFY(hint->isVisible());
    QCoreApplication::processEvents();
    for (auto place = places.cbegin(); place != places.cend(); ++place)
        QCOMPARE(place.key()->geometry(), place.value());
    const QRect line = hint->geometry();
    QVERIFY(line.bottom() < edit->geometry().top());
    QVERIFY(tab->rect().contains(line));
    QVERIFY(!line.intersects(child<QWidget>(*tab, qPrintable(otherPrompt))->geometry()));
#ifndef Q_OS_WIN
    // Its text takes two lines at most (it may be drawn taller, over a prompt it covers whole).
    // Offscreen under wine Qt's fonts and sizes are not Windows' own, so lines are not counted.
    QVERIFY2(hint->heightForWidth(line.width()) <= 2 * hint->fontMetrics().lineSpacing() + 4,
        qPrintable(hint->text()));
#endif

    WindowTesting::typeKeys(edit, accepted);
    QVERIFY(!hint->isVisible());
    WindowTesting::typeKeys(edit, refused);
    QVERIFY(hint->isVisible());
    QTest::keyClick(edit, Qt::Key_Tab);
    QVERIFY(!edit->hasFocus());
    QVERIFY(!hint->isVisible());
}

QTEST_MAIN(tst_HomeworkInput)
#include "tst_homeworkinput.moc"
