// SPDX-License-Identifier: GPL-3.0-or-later
#include "planecomparison.h"

#include "planechart.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

PlaneComparison::PlaneComparison(QWidget *parent)
    : QWidget(parent)
    , planeChart(new PlaneChart(this))
    , figuresTable(new QTableWidget(this))
    , message(new QLabel(this))
    , note(new QLabel(this))
    , saved(new QLabel(this))
    , grey(new QPushButton(QStringLiteral("Преобразовать в оттенки серого"), this))
{
    grey->setObjectName(QStringLiteral("comparisonGreyButton"));
    grey->setAutoDefault(false);
    grey->hide();
    connect(grey, &QPushButton::clicked, this, &PlaneComparison::greyRequested);
    planeChart->setObjectName(QStringLiteral("planeChart"));
    figuresTable->setObjectName(QStringLiteral("planeFiguresTable"));
    message->setObjectName(QStringLiteral("planeComparisonMessage"));
    note->setObjectName(QStringLiteral("planeFiguresNote"));
    note->setWordWrap(true); // a narrow window wraps it rather than grows
    note->setAccessibleDescription(
        QStringLiteral("Почему сжатие 9/L отличается от отношения размера W × H к размеру кода"));

    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    message->setAccessibleName(QStringLiteral("Сравнение плоскостей"));
    message->setAccessibleDescription(QStringLiteral("Почему сравнения плоскостей нет"));

    saved->setObjectName(QStringLiteral("planeComparisonSaved"));
    saved->setWordWrap(true);
    saved->setTextInteractionFlags(Qt::TextSelectableByMouse);
    saved->hide();

    const QStringList headers = PlaneSummary::columnTitles();
    figuresTable->setColumnCount(int(headers.size()));
    figuresTable->setHorizontalHeaderLabels(headers);
    figuresTable->verticalHeader()->hide();
    figuresTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    figuresTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    figuresTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    // Several rows for the clipboard; Ctrl+A takes them all.
    figuresTable->setSelectionMode(QAbstractItemView::ExtendedSelection);
    figuresTable->setTabKeyNavigation(false);
    figuresTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    figuresTable->setAccessibleName(QStringLiteral("Показатели плоскостей"));
    figuresTable->setAccessibleDescription(
        QStringLiteral("Для каждой плоскости: число типов блоков, средняя длина кода L и "
                       "энтропия H в битах на блок, исходный размер плоскости и размер после "
                       "кодирования в битах, их отношение и сжатие 9/L"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addWidget(grey, 0, Qt::AlignHCenter);
    layout->addWidget(planeChart, 1);
    layout->addWidget(figuresTable);
    layout->addWidget(note);
    layout->addWidget(saved);
    setTabOrder(planeChart, figuresTable);

    copySelected = new QAction(QStringLiteral("Копировать"), figuresTable);
    copySelected->setShortcut(QKeySequence::Copy);
    copySelected->setShortcutContext(Qt::WidgetShortcut);
    connect(copySelected, &QAction::triggered, this, &PlaneComparison::copySelection);
    copyAll = new QAction(QStringLiteral("Копировать всю таблицу"), this);
    connect(copyAll, &QAction::triggered, this, &PlaneComparison::copyTable);
    saveTable = new QAction(QStringLiteral("Сохранить таблицу…"), this);
    connect(saveTable, &QAction::triggered, this, &PlaneComparison::saveTableRequested);
    saveChart = new QAction(QStringLiteral("Сохранить диаграмму…"), this);
    connect(saveChart, &QAction::triggered, this, &PlaneComparison::saveChartRequested);
    auto *separator = new QAction(this);
    separator->setSeparator(true);
    figuresTable->addActions({copySelected, copyAll, separator, saveTable, saveChart});
    figuresTable->setContextMenuPolicy(Qt::ActionsContextMenu);
    planeChart->addActions({copyAll, separator, saveTable, saveChart});
    planeChart->setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(planeChart, &PlaneChart::planeActivated, this, &PlaneComparison::planeActivated);
    showMessage(noPictureText());
}

QString PlaneComparison::noPictureText()
{
    return QStringLiteral("Выберите полутоновое изображение, и здесь появятся показатели всех "
                          "восьми его битовых плоскостей.");
}

QString PlaneComparison::colourPictureText()
{
    return QStringLiteral("Цветное изображение не делится на битовые плоскости, поэтому "
                          "сравнивать нечего. Преобразуйте его в оттенки серого, и здесь "
                          "появятся его плоскости.");
}

QString PlaneComparison::ratioNote(const PlaneFigures &figures)
{
    // "из 29241 блока", "из 29240 блоков": after "из" the noun agrees with the last digits.
    const auto count = figures.blockCount;
    const bool one = count % 10 == 1 && count % 100 != 11;
    const QString blocks
        = QString::number(count) + (one ? QStringLiteral(" блока") : QStringLiteral(" блоков"));
    if (figures.paddedBits() == figures.rawBits) {
        return QStringLiteral("Сжатие 9/L считает по 9 бит на каждый из %1 3 × 3: это "
                              "ровно W × H = %2 бит, поэтому оба сжатия совпадают.")
            .arg(blocks, QString::number(figures.rawBits));
    }
    return QStringLiteral("Сжатие 9/L считает по 9 бит на каждый из %1 3 × 3, и блоки у "
                          "краев дополнены до 3 × 3: это %2 бит, а исходный размер W × H = %3 "
                          "бит.")
        .arg(blocks, QString::number(figures.paddedBits()), QString::number(figures.rawBits));
}

void PlaneComparison::setFigures(const QList<PlaneFigures> &figures)
{
    shown = figures;
    planeChart->setFigures(figures);
    figuresTable->setRowCount(int(figures.size()));
    for (int row = 0; row < figures.size(); ++row) {
        const PlaneFigures &plane = figures.at(row);
        // Plane, types, L, H as the report writes them; the sizes and both ratios.
        const QStringList summary = PlaneSummary::fields(plane);
        const QStringList fields = {summary.at(0), summary.at(1), summary.at(2), summary.at(3),
            QString::number(plane.rawBits), QString::number(plane.codedBits),
            PlaneSummary::sizeRatioText(plane), PlaneSummary::ratioText(plane)};
        for (int column = 0; column < fields.size(); ++column) {
            auto *item = new QTableWidgetItem(fields.at(column));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            figuresTable->setItem(row, column, item);
        }
    }
    // All rows in sight, no scrolling.
    figuresTable->resizeRowsToContents();
    figuresTable->setFixedHeight(figuresTable->horizontalHeader()->sizeHint().height()
        + figuresTable->verticalHeader()->length() + 2 * figuresTable->frameWidth());
    markSelectedRow();
    // Every plane of a picture has the same size and blocks.
    note->setText(figures.isEmpty() ? QString() : ratioNote(figures.first()));

    message->hide();
    grey->hide();
    planeChart->show();
    figuresTable->show();
    note->setVisible(!figures.isEmpty());
    enableExport();
}

void PlaneComparison::showMessage(const QString &text)
{
    shown.clear();
    planeChart->setFigures({});
    figuresTable->setRowCount(0);
    message->setText(text);
    grey->setVisible(text == colourPictureText());
    planeChart->hide();
    figuresTable->hide();
    note->hide();
    note->clear();
    message->show();
    saved->hide();
    enableExport();
}

void PlaneComparison::enableExport()
{
    for (QAction *action : {copySelected, copyAll, saveTable, saveChart})
        action->setEnabled(!shown.isEmpty());
}

QImage PlaneComparison::chartImage() const
{
    return planeChart->grab().toImage();
}

void PlaneComparison::showSaved(const QString &text)
{
    saved->setText(text);
    saved->setVisible(!text.isEmpty());
}

void PlaneComparison::copySelection() const
{
    QList<SpreadsheetText::Row> rows;
    const QModelIndexList selectedRows = figuresTable->selectionModel()->selectedRows();
    QList<int> numbers;
    for (const QModelIndex &index : selectedRows)
        numbers.append(index.row());
    std::sort(numbers.begin(), numbers.end());
    for (const int row : numbers) {
        if (row < shown.size())
            rows.append(PlaneSummary::spreadsheetRow(shown.at(row)));
    }
    if (!rows.isEmpty())
        QGuiApplication::clipboard()->setMimeData(SpreadsheetText::mimeData(rows));
}

void PlaneComparison::copyTable() const
{
    if (!shown.isEmpty())
        QGuiApplication::clipboard()->setMimeData(
            SpreadsheetText::mimeData(PlaneSummary::spreadsheet(shown)));
}

void PlaneComparison::setSelectedPlane(int plane)
{
    selected = plane;
    planeChart->setSelectedPlane(plane);
    markSelectedRow();
}

void PlaneComparison::markSelectedRow()
{
    for (int row = 0; row < figuresTable->rowCount(); ++row) {
        for (int column = 0; column < figuresTable->columnCount(); ++column) {
            if (QTableWidgetItem *item = figuresTable->item(row, column)) {
                QFont font = item->font();
                font.setBold(row == selected - 1);
                item->setFont(font);
            }
        }
    }
}
