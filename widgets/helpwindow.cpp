// SPDX-License-Identifier: GPL-3.0-or-later
#include "helpwindow.h"

#include "dialogs.h"

#include <QBoxLayout>
#include <QBuffer>
#include <QDesktopServices>
#include <QHeaderView>
#include <QImageReader>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const QString windowTitleText = QStringLiteral("Справка");

// QTextBrowser with the headings of every Markdown page it loads made into anchors, so that the
// guide's links (#раздел) and F1 land on them: Qt's Markdown reader makes no heading anchors.
class GuideBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

protected:
    void doSetSource(const QUrl &name, QTextDocument::ResourceType type) override
    {
        QTextBrowser::doSetSource(name, type);
        if (!headingsAnchored()) {
            anchorHeadings();
            fitPictures();
            if (!name.fragment().isEmpty())
                scrollToAnchor(name.fragment());
        }
    }

private:
    bool headingsAnchored() const
    {
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() > 0 && block.length() > 1)
                return QTextCursor(block).charFormat().isAnchor()
                    || block.begin().fragment().charFormat().isAnchor();
        }
        return true;
    }

    // The screenshots are up to a thousand pixels wide; shown narrower, the text beside them
    // needs no sideways scrolling.
    void fitPictures()
    {
        const int widest = 640;
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                if (!fragment.charFormat().isImageFormat())
                    continue;
                QTextImageFormat format = fragment.charFormat().toImageFormat();
                QByteArray data
                    = loadResource(QTextDocument::ImageResource, QUrl(format.name())).toByteArray();
                QBuffer buffer(&data);
                const QSize size = QImageReader(&buffer).size();
                if (!size.isValid() || size.width() <= widest)
                    continue;
                format.setWidth(widest);
                format.setHeight(double(size.height()) * widest / size.width());
                QTextCursor cursor(document());
                cursor.setPosition(fragment.position());
                cursor.setPosition(
                    fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
                cursor.setCharFormat(format);
            }
        }
    }

    void anchorHeadings()
    {
        QTextDocument *doc = document();
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() <= 0 || block.length() <= 1)
                continue;
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            QTextCharFormat format;
            format.setAnchor(true);
            format.setAnchorNames({HelpWindow::anchorOf(block.text())});
            cursor.mergeCharFormat(format);
        }
    }
};

QPushButton *toolButton(const QString &text, const QString &tip, QWidget *parent)
{
    auto *button = new QPushButton(text, parent);
    button->setToolTip(tip);
    button->setAutoDefault(false);
    return button;
}

} // namespace

HelpWindow::HelpWindow(std::shared_ptr<const Dialogs> dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , dialogs(std::move(dialogs))
{
    setWindowTitle(windowTitleText);
    setAccessibleName(windowTitleText);
    setObjectName(QStringLiteral("helpWindow"));

    auto *layout = new QVBoxLayout(this);

    auto *buttons = new QHBoxLayout;
    backButton = toolButton(
        QStringLiteral("← Назад"), QStringLiteral("К предыдущему месту справки"), this);
    backButton->setObjectName(QStringLiteral("backButton"));
    auto *findButton
        = toolButton(QStringLiteral("Найти…"), QStringLiteral("Поиск в справке (Ctrl+F)"), this);
    findButton->setObjectName(QStringLiteral("findButton"));
    auto *printButton = toolButton(
        QStringLiteral("Печать…"), QStringLiteral("Напечатать справку (Ctrl+P)"), this);
    printButton->setObjectName(QStringLiteral("printButton"));
    buttons->addWidget(backButton);
    buttons->addStretch(1);
    buttons->addWidget(findButton);
    buttons->addWidget(printButton);
    layout->addLayout(buttons);

    auto *splitter = new QSplitter(this);
    contents = new QTreeWidget(splitter);
    contents->setObjectName(QStringLiteral("contents"));
    contents->setHeaderLabel(QStringLiteral("Содержание"));
    contents->setAccessibleName(QStringLiteral("Содержание справки"));
    contents->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    text = new GuideBrowser(splitter);
    text->setObjectName(QStringLiteral("guideText"));
    text->setAccessibleName(QStringLiteral("Текст справки"));
    splitter->addWidget(contents);
    splitter->addWidget(text);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({320, 780});
    layout->addWidget(splitter, 1);

    findBar = new QWidget(this);
    findBar->setObjectName(QStringLiteral("findBar"));
    auto *findLayout = new QHBoxLayout(findBar);
    findLayout->setContentsMargins(0, 0, 0, 0);
    auto *findLabel = new QLabel(QStringLiteral("Найти:"), findBar);
    findField = new QLineEdit(findBar);
    findField->setObjectName(QStringLiteral("findField"));
    findField->setAccessibleName(QStringLiteral("Текст для поиска"));
    findField->setClearButtonEnabled(true);
    findLabel->setBuddy(findField);
    auto *previousButton = toolButton(
        QStringLiteral("Предыдущее"), QStringLiteral("Предыдущее место (Shift+F3)"), findBar);
    auto *nextButton
        = toolButton(QStringLiteral("Следующее"), QStringLiteral("Следующее место (F3)"), findBar);
    findStatus = new QLabel(findBar);
    findStatus->setObjectName(QStringLiteral("findStatus"));
    auto *closeButton = new QToolButton(findBar);
    closeButton->setText(QStringLiteral("×"));
    closeButton->setToolTip(QStringLiteral("Закрыть поиск (Esc)"));
    closeButton->setAccessibleName(QStringLiteral("Закрыть поиск"));
    findLayout->addWidget(findLabel);
    findLayout->addWidget(findField, 1);
    findLayout->addWidget(previousButton);
    findLayout->addWidget(nextButton);
    findLayout->addWidget(findStatus);
    findLayout->addWidget(closeButton);
    findBar->hide();
    layout->addWidget(findBar);

    connect(backButton, &QPushButton::clicked, this, &HelpWindow::goBack);
    backButton->setEnabled(false);
    // Links are followed here: the guide's own move within the page, the rest open outside.
    text->setOpenLinks(false);
    connect(text, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(findButton, &QPushButton::clicked, this, &HelpWindow::startFind);
    connect(printButton, &QPushButton::clicked, this, &HelpWindow::onPrint);
    connect(nextButton, &QPushButton::clicked, this, &HelpWindow::findNext);
    connect(previousButton, &QPushButton::clicked, this, &HelpWindow::findPrevious);
    connect(findField, &QLineEdit::returnPressed, this, &HelpWindow::findNext);
    // Typing searches at once, from where the last match began.
    connect(findField, &QLineEdit::textEdited, this, [this]() {
        QTextCursor cursor = text->textCursor();
        cursor.setPosition(cursor.selectionStart());
        text->setTextCursor(cursor);
        findNext();
    });
    connect(closeButton, &QToolButton::clicked, this, [this]() {
        findBar->hide();
        text->setFocus();
    });
    connect(new QShortcut(QKeySequence::Find, this), &QShortcut::activated, this,
        &HelpWindow::startFind);
    connect(new QShortcut(QKeySequence::FindNext, this), &QShortcut::activated, this,
        &HelpWindow::findNext);
    connect(new QShortcut(QKeySequence::FindPrevious, this), &QShortcut::activated, this,
        &HelpWindow::findPrevious);
    connect(new QShortcut(QKeySequence::Print, this), &QShortcut::activated, this,
        &HelpWindow::onPrint);
    // Escape closes the search bar while there is one, then the guide, as it closes the
    // construction window.
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this, [this, closeButton] {
        if (findBar->isVisible())
            closeButton->click();
        else
            close();
    });

    // A click or the arrow keys in the contents move the text; one signal for both.
    connect(contents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *item) {
        if (item)
            scrollTo(item->data(0, Qt::UserRole).toString());
    });

    load();
    resize(1100, 760);
}

QUrl HelpWindow::guideUrl()
{
    return QUrl(QStringLiteral("qrc:/help/guide.md"));
}

QString HelpWindow::anchorOf(const QString &headingText)
{
    QString anchor;
    for (const QChar c : headingText.trimmed().toLower()) {
        if (c.isLetterOrNumber() || c == QLatin1Char('-') || c == QLatin1Char('_'))
            anchor += c;
        else if (c == QLatin1Char(' '))
            anchor += QLatin1Char('-');
    }
    return anchor;
}

void HelpWindow::load()
{
    text->setSource(guideUrl(), QTextDocument::MarkdownResource);
    buildContents();
}

void HelpWindow::buildContents()
{
    contents->clear();
    QList<QTreeWidgetItem *> open; // the latest item of each level above
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level <= 0 || block.text().trimmed().isEmpty())
            continue;
        while (!open.isEmpty() && open.size() >= level)
            open.removeLast();
        QTreeWidgetItem *item = open.isEmpty() ? new QTreeWidgetItem(contents)
                                               : new QTreeWidgetItem(open.constLast());
        item->setText(0, block.text().trimmed());
        item->setData(0, Qt::UserRole, anchorOf(block.text()));
        while (open.size() < level - 1)
            open.append(item); // a skipped level: the item stands in for it
        open.append(item);
    }
    contents->expandAll();
}

QStringList HelpWindow::anchors() const
{
    QStringList names;
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0 && block.length() > 1)
            names << anchorOf(block.text());
    }
    return names;
}

QString HelpWindow::headingText(const QString &anchor) const
{
    for (QTextBlock block = text->document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0 && anchorOf(block.text()) == anchor)
            return block.text().trimmed();
    }
    return {};
}

void HelpWindow::scrollTo(const QString &anchor, bool remember)
{
    // Within the one page: the text is never loaded again, only scrolled.
    const int here = text->verticalScrollBar()->value();
    if (remember && (visited.isEmpty() || visited.constLast() != here))
        visited.append(here);
    backButton->setEnabled(!visited.isEmpty());
    if (anchor.isEmpty() || !anchors().contains(anchor)) {
        text->verticalScrollBar()->setValue(0);
        section.clear();
        return;
    }
    text->scrollToAnchor(anchor);
    section = anchor;
}

void HelpWindow::goBack()
{
    if (visited.isEmpty())
        return;
    text->verticalScrollBar()->setValue(visited.takeLast());
    backButton->setEnabled(!visited.isEmpty());
}

void HelpWindow::followLink(const QUrl &url)
{
    if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) {
        QDesktopServices::openUrl(url);
        return;
    }
    if (!url.fragment().isEmpty())
        scrollTo(url.fragment());
}

void HelpWindow::showSection(const QString &anchor)
{
    // Shown first: the text is laid out for its width only then, and the place depends on it.
    // Where a closed guide was left is no place to go back to.
    const bool wasOpen = isVisible();
    show();
    raise();
    activateWindow();
    scrollTo(anchor, wasOpen);
    for (QTreeWidgetItemIterator it(contents); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toString() == section) {
            const QSignalBlocker quiet(contents); // the text is there already
            contents->setCurrentItem(*it);
            break;
        }
    }
}

void HelpWindow::print(QPagedPaintDevice *device) const
{
    text->document()->print(device);
}

void HelpWindow::onPrint()
{
    if (!dialogs || !dialogs->printDialog)
        return;
    dialogs->printDialog(this,
        QStringLiteral("Справка — лабораторная работа по эффективному кодированию"),
        [this](QPagedPaintDevice *device) { print(device); });
}

void HelpWindow::startFind()
{
    findBar->show();
    findField->setFocus();
    findField->selectAll();
}

bool HelpWindow::findNext()
{
    return find(false);
}

bool HelpWindow::findPrevious()
{
    return find(true);
}

bool HelpWindow::find(bool backwards)
{
    const QString wanted = findField->text();
    findStatus->clear();
    if (wanted.isEmpty())
        return false;
    const QTextDocument::FindFlags flags
        = backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (text->find(wanted, flags))
        return true;
    // Around the end (the start) and once more.
    QTextCursor cursor = text->textCursor();
    cursor.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    text->setTextCursor(cursor);
    if (text->find(wanted, flags)) {
        findStatus->setText(backwards ? QStringLiteral("продолжено с конца")
                                      : QStringLiteral("продолжено с начала"));
        return true;
    }
    findStatus->setText(QStringLiteral("не найдено"));
    return false;
}
