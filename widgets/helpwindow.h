// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>
#include <QUrl>
#include <QWidget>

#include <memory>

struct Dialogs;

class QLabel;
class QLineEdit;
class QPushButton;
class QPagedPaintDevice;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// "Справка": the student's guide (the Markdown file docs/guide.md, built into the resources)
// in a window of its own, beside the main window. Contents on the left, the text on the right,
// a search bar (Ctrl+F) and printing.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    // dialogs: the print dialog is asked for through them (none: the guide does not print).
    explicit HelpWindow(std::shared_ptr<const Dialogs> dialogs, QWidget *parent = nullptr);

    // Where the guide lives in the resources; its pictures are named relative to it.
    static QUrl guideUrl();
    // The anchor a heading gets, as the Markdown's own links name it: lower case, letters,
    // digits, '-' and '_' kept, spaces made '-', everything else dropped ("Блоки 3 на 3" gives
    // "блоки-3-на-3").
    static QString anchorOf(const QString &headingText);

    // Scrolls to the section with that anchor (the start of the guide when there is none) and
    // brings the window to the front.
    void showSection(const QString &anchor);
    // The anchor last asked for through showSection, a contents entry or a link.
    QString currentSection() const { return section; }
    // Every heading's anchor, in the order of the guide.
    QStringList anchors() const;
    // The heading text of an anchor; empty when the guide has no such heading.
    QString headingText(const QString &anchor) const;

    QTextBrowser *browser() const { return text; }
    // The guide on paged paper, the pictures with it.
    void print(QPagedPaintDevice *device) const;

public slots:
    void onPrint();
    // Opens the search bar with its field selected.
    void startFind();
    // The next (previous) place of the search text, from the cursor on, around the end.
    bool findNext();
    bool findPrevious();

private:
    void load();
    void buildContents();
    bool find(bool backwards);
    // remember: "Назад" comes back to where the text was.
    void scrollTo(const QString &anchor, bool remember = true);
    void goBack();
    void followLink(const QUrl &url);

    std::shared_ptr<const Dialogs> dialogs;
    QTextBrowser *text = nullptr;
    QPushButton *backButton = nullptr;
    QList<int> visited; // scroll positions left by moves within the guide, for "Назад"
    QTreeWidget *contents = nullptr;
    QWidget *findBar = nullptr;
    QLineEdit *findField = nullptr;
    QLabel *findStatus = nullptr;
    QString section;
};
