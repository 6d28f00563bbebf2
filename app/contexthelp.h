// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "helpwindow.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class Im;
class QTabWidget;
class QToolButton;
struct Dialogs;

// The guide at hand in the main window: F1 anywhere in the program and the "?" in the corner of
// the tab bar open "Справка" at the section of the control in use; and three hints where a
// student gets stuck, beside the window's own texts: why the lab tab is locked (its tool tip),
// and what to do first on the lab tab before any picture is chosen (in the empty viewer).
class ContextHelp : public QObject
{
    Q_OBJECT

public:
    // tabs: the window's tabs, labTab the lab's among them; comboBox the built-in pictures'
    // list, whose place the empty viewer's hint names. The guide prints through dialogs.
    ContextHelp(QTabWidget *tabs, QWidget *labTab, QWidget *comboBox, Im *viewer,
        std::shared_ptr<const Dialogs> dialogs, QWidget *window);

    // The guide's section for a control: the first of the widget and its parents that has one;
    // empty when none has.
    static QString sectionFor(const QWidget *widget);
    // What F1 opens now: the section of the control with the keyboard focus, else of the one
    // under the mouse pointer, else of the tab in front.
    QString contextSection() const;
    // Opens the guide (once made, the same window) at that section.
    void showGuide(const QString &anchor);
    HelpWindow *guide() const { return helpWindow; }
    QToolButton *cornerButton() const { return button; }

    // What the empty viewer says now; empty once it shows a picture.
    QString viewerHintText() const;

    static QString lockedTabTip();
    // The empty viewer's text: what to do first, by the picture source the homework opened.
    static QString emptyViewerText(bool builtInPictures);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followLabTab();
    QString tabSection() const;

    QWidget *window;
    QTabWidget *tabs;
    QWidget *labTab;
    QWidget *comboBox;
    Im *viewer;
    QWidget *viewerHint = nullptr;
    const std::shared_ptr<const Dialogs> dialogs;
    QToolButton *button = nullptr;
    QPointer<HelpWindow> helpWindow;
};
