// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window as the window tests and benchmarks drive it, with its widgets at hand and the
// modal dialogs answered at once: the file dialog returns `chosenFile`, the save dialog
// `savedFile`, the message box records "title|text" in `messages` (a warning in `warnings` too),
// and the question on closing records it in `closeQuestions` and answers `closeAnswer`. Not shown
// until show() or showActive().

#include "im.h"
#include "mainwidget.h"
#include "mainwidgettestaccess.h"
#include "qswitch.h"
#include "windowtesting.h"

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QDial>
#include <QImage>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

struct Lab
{
    enum Start {
        Unlocked, // the lab tab enabled, as after the homework; the window not shown
        AtHomework, // as the program starts: the lab tab locked until the homework button
    };

    explicit Lab(Start start = Unlocked)
    {
        if (start == Unlocked)
            labTab->setEnabled(true);
        window.dialogs().openFileName
            = [this](const QString &caption, const QString &dir, const QString &filter) {
                  dialogCaption = caption;
                  dialogDir = dir;
                  dialogFilter = filter;
                  ++dialogs;
                  return chosenFile;
              };
        window.dialogs().messageBox = [this](const QString &title, const QString &text) {
            messages << title + QLatin1Char('|') + text;
        };
        window.dialogs().warning = [this](const QString &title, const QString &text) {
            messages << title + QLatin1Char('|') + text;
            warnings << messages.last();
        };
        window.dialogs().closeQuestion = [this](const QString &title, const QString &text) {
            closeQuestions << title + QLatin1Char('|') + text;
            return closeAnswer;
        };
        window.dialogs().question = [this](const QString &title, const QString &text) {
            questions << title + QLatin1Char('|') + text;
            return questionAnswer;
        };
        window.dialogs().saveFileName
            = [this](QWidget *, const QString &, const QString &dir, const QString &) {
                  saveDir = dir;
                  ++saveDialogs;
                  return savedFile;
              };
    }

    // On screen, at the size it has, with the tab in front that is current.
    void show()
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qFatal("the window was not shown");
    }

    // Shown and the active window, for what needs the keyboard focus (keys, the dial's wheel).
    void showActive()
    {
        show();
        QApplication::setActiveWindow(&window);
        if (!QTest::qWaitForWindowActive(&window))
            qFatal("the window did not become active");
    }

    // A built-in picture chosen as a click on the item does it.
    void choose(const QString &text)
    {
        combo->setCurrentIndex(combo->findText(text));
        emit combo->textActivated(text);
    }

    // "Обзор" pressed, with `file` as the dialog's answer (empty: cancelled).
    void open(const QString &file)
    {
        chosenFile = file;
        QTest::mouseClick(browse, Qt::LeftButton);
    }

    // The homework button, with the lever flipped by the mouse to SKIP or to CHECK first.
    void press(bool skip)
    {
        if (lever->value() != skip)
            QTest::mouseClick(lever, Qt::LeftButton);
        QCOMPARE(lever->value(), skip);
        QTest::mouseClick(homeworkButton, Qt::LeftButton);
    }

    // The name and counters put in the fields as they stand (no key-by-key validation), then the
    // homework button.
    void submit(const QString &nameText, const QString &countersText, bool skip = false)
    {
        name->setText(nameText);
        counters->setText(countersText);
        press(skip);
    }

    // The right answer for a name worked out by hand: м, а and the space 2 bits, ы, л, р, у 4.
    void passHomework()
    {
        WindowTesting::typeKeys(name, QStringLiteral("Мама Мыла Раму"));
        WindowTesting::typeKeys(counters, QStringLiteral("0,3,0,4"));
        press(false);
    }

    // A click on the lab tab's title; the window must be shown.
    void goToLab()
    {
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
    }

    // Select the cell, F2, the text, Return, as the student types a code. False when F2 opened no
    // editor.
    bool typeIntoCell(int row, int column, const QString &text)
    {
        table->setFocus();
        table->setCurrentCell(row, column);
        QTest::keyClick(table, Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        if (!editor)
            return false;
        editor->selectAll();
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents(); // the delegate commits the edit through the queue
        return true;
    }

    // What the verdict label shows: each non-empty line with the colour of its text.
    struct Verdict
    {
        QStringList lines;
        QList<QColor> colors;
    };

    Verdict shownVerdict() const
    {
        QTextDocument document;
        document.setHtml(verdict->text());
        Verdict shown;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            if (block.text().trimmed().isEmpty())
                continue;
            shown.lines << block.text();
            shown.colors << block.begin().fragment().charFormat().foreground().color();
        }
        return shown;
    }

    // "Лена" with the keyboard: the item after "выбери изображение".
    void chooseLena()
    {
        combo->setFocus();
        QTest::keyClick(combo, Qt::Key_Down);
    }

    // Everything the student sees of the lab tab, and what the analysis works on.
    struct Snapshot
    {
        QString path;
        qint64 preview = 0;
        QImage shown;
        QImage current;
        QList<qint64> planes;
        QStringList table; // the row count, then every cell's text row by row
        QString report;
        QString combo;
        int dial = 0;

        // The names of the fields that differ, for a readable failure.
        QStringList differences(const Snapshot &other) const
        {
            QStringList names;
            const auto check = [&names](bool same, const char *name) {
                if (!same)
                    names << QLatin1String(name);
            };
            check(path == other.path, "path");
            check(preview == other.preview, "preview");
            check(shown == other.shown, "shown");
            check(current == other.current, "current");
            check(planes == other.planes, "planes");
            check(table == other.table, "table");
            check(report == other.report, "report");
            check(combo == other.combo, "combo");
            check(dial == other.dial, "dial");
            return names;
        }
    };

    Snapshot snapshot() const
    {
        Snapshot s;
        s.path = path->text();
        s.preview = preview->pixmap().cacheKey();
        s.shown = viewer->image();
        s.current = MainWidgetTestAccess::currentImage(window);
        s.planes = MainWidgetTestAccess::planeKeys(window);
        s.table << QString::number(table->rowCount());
        for (int row = 0; row < table->rowCount(); ++row) {
            for (int column = 0; column < table->columnCount(); ++column) {
                const QTableWidgetItem *item = table->item(row, column);
                s.table << (item ? item->text() : QStringLiteral("-"));
            }
        }
        s.report = report->toPlainText();
        s.combo = combo->currentText();
        s.dial = dial->value();
        return s;
    }

    // True when the report kept `before` and had a new analysis appended to it.
    bool reportGrewFrom(const QString &before) const
    {
        const QString now = report->toPlainText();
        return now.size() > before.size() + 1 && now.startsWith(before);
    }

    MainWidget window;
    QTabWidget *const tabs = WindowTesting::child<QTabWidget>(window, "tabWidget");
    QWidget *const labTab = WindowTesting::child<QWidget>(window, "tab_2");
    // The homework tab.
    QLineEdit *const name = WindowTesting::child<QLineEdit>(window, "lineEdit");
    QLineEdit *const counters = WindowTesting::child<QLineEdit>(window, "lineEdit_2");
    QSwitch *const lever = window.findChild<QSwitch *>();
    QPushButton *const homeworkButton = WindowTesting::child<QPushButton>(window, "pushButton");
    QLabel *const verdict = WindowTesting::child<QLabel>(window, "label_6");
    // The lab tab.
    Im *const viewer = window.findChild<Im *>();
    QComboBox *const combo = WindowTesting::child<QComboBox>(window, "comboBox");
    QDial *const dial = WindowTesting::child<QDial>(window, "dial");
    QLCDNumber *const lcd = WindowTesting::child<QLCDNumber>(window, "lcdNumber");
    QLabel *const preview = WindowTesting::child<QLabel>(window, "label_5");
    QLineEdit *const path = WindowTesting::child<QLineEdit>(window, "lineEdit_3");
    QPushButton *const browse = WindowTesting::child<QPushButton>(window, "pushButton_2");
    QTableWidget *const table = WindowTesting::child<QTableWidget>(window, "tableWidget");
    QPushButton *const check = WindowTesting::child<QPushButton>(window, "pushButton_3");
    QPushButton *const output = WindowTesting::child<QPushButton>(window, "pushButton_4");
    QTextEdit *const report = WindowTesting::child<QTextEdit>(window, "textEdit");

    QString chosenFile;
    QString dialogCaption;
    QString dialogDir;
    QString dialogFilter;
    int dialogs = 0;
    QStringList messages;
    QStringList warnings;
    QStringList closeQuestions;
    MainWidget::CloseAnswer closeAnswer = MainWidget::CloseAnswer::Discard;
    // The save dialog: its answer, the path it suggested, how often it opened.
    QStringList questions; // yes-or-no questions, "title|text"
    bool questionAnswer = true;
    QString savedFile;
    QString saveDir;
    int saveDialogs = 0;
};
