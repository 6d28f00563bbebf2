// SPDX-License-Identifier: GPL-3.0-or-later
#include "constructionwindow.h"

#include "codetreeview.h"
#include "dialogs.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLabel>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString windowTitleText = QStringLiteral("Построение кода Хаффмана");

// A read-only table as tall and wide as its contents: the window scrolls, not the table, so a
// picture or a printout of the window shows every row.
QTableWidget *fittedTable(const QStringList &headers, const QList<QStringList> &rows,
    const QList<bool> &marked, QWidget *parent)
{
    auto *table = new QTableWidget(int(rows.size()), int(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        for (qsizetype c = 0; c < rows.at(r).size(); ++c) {
            auto *item = new QTableWidgetItem(rows.at(r).at(c));
            if (marked.value(r))
                item->setBackground(QColor(0xff, 0xf4, 0xc8));
            table->setItem(int(r), int(c), item);
        }
    }
    // Long lists of characters wrap within their cell rather than widen the table.
    table->setWordWrap(true);
    table->resizeColumnsToContents();
    for (int c = 0; c < table->columnCount(); ++c)
        table->setColumnWidth(c, std::min(table->columnWidth(c), 240));
    table->resizeRowsToContents();
    int width = 2 * table->frameWidth();
    for (int c = 0; c < table->columnCount(); ++c)
        width += table->columnWidth(c);
    int height = 2 * table->frameWidth() + table->horizontalHeader()->sizeHint().height();
    for (int r = 0; r < table->rowCount(); ++r)
        height += table->rowHeight(r);
    table->setFixedSize(width, height);
    return table;
}

// Plain text; wrapped only where the width is fixed, so that heights do not depend on widths
// the layout has yet to decide.
QLabel *textLabel(const QString &text, QWidget *parent, int wrapWidth = 0)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    if (wrapWidth > 0) {
        // A fixed size instead of a height for the width: the layout would ask the height for
        // its own width, not for the label's fixed one, and squeeze its neighbours.
        label->setWordWrap(true);
        label->setFixedSize(wrapWidth, label->heightForWidth(wrapWidth));
        QSizePolicy policy = label->sizePolicy();
        policy.setHeightForWidth(false);
        label->setSizePolicy(policy);
    }
    return label;
}

} // namespace

ConstructionWindow::ConstructionWindow(
    const QString &fullName, std::shared_ptr<const Dialogs> dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , dialogs(std::move(dialogs))
{
    setWindowTitle(windowTitleText);
    setAccessibleName(windowTitleText);
    // Its buttons show their focus however they got it, as in the main window.
    setAttribute(Qt::WA_KeyboardFocusChange);

    auto *layout = new QVBoxLayout(this);
    scrollArea = new QScrollArea(this);
    scrollArea->setBackgroundRole(QPalette::Base);
    layout->addWidget(scrollArea, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto *printButton = new QPushButton(QStringLiteral("Печать…"), this);
    printButton->setObjectName(QStringLiteral("printButton"));
    printButton->setAccessibleDescription(QStringLiteral("Напечатать построение кода"));
    auto *saveButton = new QPushButton(QStringLiteral("Сохранить как PNG…"), this);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    saveButton->setAccessibleDescription(
        QStringLiteral("Сохранить построение кода в файл изображения PNG"));
    auto *closeButton = new QPushButton(QStringLiteral("Закрыть"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setAccessibleDescription(QStringLiteral("Закрыть окно построения кода"));
    buttons->addWidget(printButton);
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    connect(printButton, &QPushButton::clicked, this, &ConstructionWindow::onPrint);
    connect(saveButton, &QPushButton::clicked, this, &ConstructionWindow::onSave);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    showName(fullName);
}

void ConstructionWindow::showName(const QString &name)
{
    fullName = name;
    construction = HuffmanConstruction::ofName(name, arithmetic);
    // setWidget deletes the previous content.
    content = buildContent();
    scrollArea->setWidget(content);
    // No larger than the screen leaves room for, frame included; the content scrolls inside.
    const QSize wanted = (content->sizeHint() + QSize(40, 80)).boundedTo(QSize(1000, 760));
    resize(wanted.boundedTo(availableArea().size().shrunkBy(frameMargins())));
    if (isVisible())
        placeOnScreen();
}

QRect ConstructionWindow::availableArea() const
{
    const QWidget *owner = parentWidget() ? parentWidget()->window() : this;
    const QScreen *shownOn = owner->screen();
    return shownOn ? shownOn->availableGeometry() : QRect(0, 0, 1024, 768);
}

QMargins ConstructionWindow::frameMargins() const
{
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    if (isVisible() && outer != inner) {
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
            outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    // Not known before the window manager has framed the window: a title bar and thin borders.
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return QMargins(4, title + 8, 4, 4);
}

void ConstructionWindow::placeOnScreen()
{
    const QRect area = availableArea();
    QRect outer = geometry().marginsAdded(frameMargins());
    if (!placed && parentWidget())
        outer.moveCenter(parentWidget()->window()->frameGeometry().center());
    placed = true;
    outer.moveLeft(std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width())));
    outer.moveTop(std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height())));
    // A window's position is that of its frame.
    move(outer.topLeft());
}

void ConstructionWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) // shown by the program, not restored by the window manager
        placeOnScreen();
}

void ConstructionWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    // Return on a focused button presses it, as in the main window.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (auto *button = qobject_cast<QPushButton *>(focusWidget());
        enter && button && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        button->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ConstructionWindow::setConstruction(
    HuffmanConstruction::Arithmetic arithmetic, const QString &note)
{
    this->arithmetic = arithmetic;
    this->note = note;
}

QWidget *ConstructionWindow::buildContent()
{
    auto *widget = new QWidget;
    widget->setBackgroundRole(QPalette::Base);
    widget->setAutoFillBackground(true);
    auto *layout = new QVBoxLayout(widget);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    parts.clear();
    const int total = construction.total;

    // The name and the reduction table.
    auto *stepsPart = new QWidget(widget);
    auto *stepsLayout = new QVBoxLayout(stepsPart);
    stepsLayout->setContentsMargins(0, 0, 0, 0);
    QStringList counters;
    for (const int counter : std::as_const(construction.counters))
        counters << QString::number(counter);
    auto *title = textLabel(
        QStringLiteral("%1 — символов: %2, различных: %3, счетчики длин кодов: %4")
            .arg(fullName, QString::number(total), QString::number(construction.letters.size()),
                counters.join(QLatin1Char(','))),
        stepsPart);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    stepsLayout->addWidget(title);
    if (!note.isEmpty()) {
        auto *noteLabel = textLabel(note, stepsPart, std::max(560, title->sizeHint().width()));
        noteLabel->setObjectName(QStringLiteral("constructionNote"));
        stepsLayout->addWidget(noteLabel);
    }
    QList<QStringList> stepRows;
    QList<bool> tieRows;
    for (const HuffmanConstruction::Step &step : std::as_const(construction.steps)) {
        stepRows << QStringList {QString::number(construction.nodes.at(step.merged).step),
            construction.nodeText(step.first), construction.nodeText(step.second),
            construction.nodeText(step.merged), HuffmanConstruction::tieNote(step)};
        tieRows << step.tie();
    }
    if (stepRows.isEmpty()) {
        stepsLayout->addWidget(textLabel(
            QStringLiteral("В имени один различный символ: объединять нечего."), stepsPart));
    } else {
        stepsLayout->addWidget(textLabel(QStringLiteral("Шаги построения"), stepsPart));
        auto *steps = fittedTable(
            {QStringLiteral("Шаг"), QStringLiteral("Взят первым"), QStringLiteral("Взят вторым"),
                QStringLiteral("Новый узел"), QStringLiteral("Выбор среди равных")},
            stepRows, tieRows, stepsPart);
        steps->setObjectName(QStringLiteral("stepsTable"));
        steps->setAccessibleName(QStringLiteral("Шаги построения кода"));
        steps->setAccessibleDescription(QStringLiteral(
            "По строке на шаг: два взятых узла, новый узел и как решен выбор среди равных"));
        stepsLayout->addWidget(steps);
    }
    layout->addWidget(stepsPart);
    parts << stepsPart;

    // The tree and, beside it, every character's length and codeword.
    auto *treePart = new QWidget(widget);
    auto *treeLayout = new QHBoxLayout(treePart);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    auto *tree = new CodeTreeView(construction, treePart);
    tree->setObjectName(QStringLiteral("codeTree"));
    tree->setAccessibleName(QStringLiteral("Дерево кода"));
    tree->setAccessibleDescription(
        QStringLiteral("Рисунок дерева; те же сведения есть в таблицах шагов и кодовых слов"));
    treeLayout->addWidget(tree, 0, Qt::AlignTop);
    QList<QStringList> codeRows;
    for (qsizetype i = 0; i < construction.lengths.size(); ++i) {
        const SymbolLength &entry = construction.lengths.at(i);
        codeRows << QStringList {CodeTreeView::characterText(construction.letters.at(entry.symbol)),
            QString::number(construction.nodes.at(entry.symbol).count),
            construction.fractionText(construction.nodes.at(entry.symbol).count),
            QString::number(std::max(entry.length, 1)), construction.codes.value(i)};
    }
    auto *codes = fittedTable(
        {QStringLiteral("Символ"), QStringLiteral("Количество"), QStringLiteral("Вероятность"),
            QStringLiteral("Длина"), QStringLiteral("Кодовое слово")},
        codeRows, {}, treePart);
    codes->setObjectName(QStringLiteral("codesTable"));
    codes->setAccessibleName(QStringLiteral("Кодовые слова"));
    codes->setAccessibleDescription(
        QStringLiteral("Для каждого символа: количество, вероятность, длина кода и кодовое слово"));
    treeLayout->addWidget(codes, 0, Qt::AlignTop);
    treeLayout->addStretch(1);
    layout->addWidget(treePart);
    parts << treePart;

    // How to read it.
    const bool rounded = std::any_of(construction.steps.begin(), construction.steps.end(),
        [](const HuffmanConstruction::Step &step) {
            return HuffmanConstruction::tieNote(step) == QLatin1String("по округлению");
        });
    QString legend = QStringLiteral(
        "Узел записан своими символами и вероятностью: количеством этих символов в имени из "
        "общего числа символов. «По порядку списка»: из узлов равной вероятности берется "
        "стоящий в списке последним, а объединенный узел ставится в конец списка и потому "
        "берется раньше исходного символа той же вероятности.");
    if (rounded) {
        legend += QStringLiteral(" «По округлению»: программа складывает вероятности "
                                 "32-битными числами с плавающей точкой, и суммы равных дробей "
                                 "разошлись в последнем знаке; взят узел с меньшей суммой.");
    }
    legend += QStringLiteral(
        "\nДерево нарисовано так, как его строили шаги: у каждого узла вверху — узел, взятый "
        "вторым, внизу — взятый первым; № — номер шага, на котором узел получен; числа над "
        "деревом — глубина, она же длина кода. Кодовые слова канонические: они зависят только "
        "от длин (первое слово самой короткой длины состоит из нулей, каждое следующее на "
        "единицу больше предыдущего, при переходе к большей длине дописываются нули), поэтому "
        "они записаны в таблице, а не на ветвях дерева.");
    auto *legendLabel = textLabel(legend, widget, std::max(treePart->sizeHint().width(), 560));
    legendLabel->setObjectName(QStringLiteral("legend"));
    layout->addWidget(legendLabel);
    parts << legendLabel;
    return widget;
}

QImage ConstructionWindow::image() const
{
    return content->grab().toImage();
}

void ConstructionWindow::print(QPagedPaintDevice *device) const
{
    QPainter painter(device);
    const QRectF page = device->pageLayout().paintRectPixels(device->logicalDpiX());
    int widest = 1;
    for (const QWidget *part : parts)
        widest = std::max(widest, part->width());
    // As wide as the page, but no larger than on a screen of 96 dots per inch.
    const double scale = std::min(page.width() / widest, device->logicalDpiX() / 96.0);
    const double gap = 12 * scale;
    double y = 0;
    for (QWidget *part : parts) {
        double partScale = scale;
        if (part->height() * partScale > page.height())
            partScale = page.height() / part->height();
        const double height = part->height() * partScale;
        if (y > 0 && y + height > page.height()) {
            device->newPage();
            y = 0;
        }
        painter.save();
        painter.translate(0, y);
        painter.scale(partScale, partScale);
        part->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
        painter.restore();
        y += height + gap;
    }
}

void ConstructionWindow::onPrint()
{
    dialogs->printDialog(this, windowTitleText + QStringLiteral(" — ") + fullName,
        [this](QPagedPaintDevice *device) { print(device); });
}

void ConstructionWindow::onSave()
{
    const QString caption = QStringLiteral("Сохранить построение кода");
    QString path = dialogs->saveFileName(this, caption,
        QDir::home().filePath(
            QStringLiteral("Построение кода — ") + fullName + QStringLiteral(".png")),
        QStringLiteral("Изображения PNG (*.png)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        path += QStringLiteral(".png");
    QImageWriter writer(path, "png");
    if (!writer.write(image())) {
        dialogs->warning(caption,
            QStringLiteral("Не удалось сохранить изображение\n") + QDir::toNativeSeparators(path)
                + QLatin1Char('\n') + writer.errorString());
    }
}
