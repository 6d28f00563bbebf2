// SPDX-License-Identifier: GPL-3.0-or-later
#include "planecomparison.h"

#include "planechart.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

PlaneComparison::PlaneComparison(QWidget *parent)
    : QWidget(parent)
    , planeChart(new PlaneChart(this))
    , figuresTable(new QTableWidget(this))
    , message(new QLabel(this))
    , note(new QLabel(this))
{
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

    const QStringList headers = {QStringLiteral("Плоскость"), QStringLiteral("Типов\nблоков"),
        QStringLiteral("L,\nбит/блок"), QStringLiteral("H,\nбит/блок"),
        QStringLiteral("Размер\nW × H, бит"), QStringLiteral("Размер\nкода, бит"),
        QStringLiteral("Сжатие\nW × H/код"), QStringLiteral("Сжатие\n9/L")};
    figuresTable->setColumnCount(int(headers.size()));
    figuresTable->setHorizontalHeaderLabels(headers);
    figuresTable->verticalHeader()->hide();
    figuresTable->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    figuresTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    figuresTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    figuresTable->setSelectionMode(QAbstractItemView::SingleSelection);
    figuresTable->setTabKeyNavigation(false);
    figuresTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    figuresTable->setAccessibleName(QStringLiteral("Показатели плоскостей"));
    figuresTable->setAccessibleDescription(
        QStringLiteral("Для каждой плоскости: число типов блоков, средняя длина кода L и "
                       "энтропия H в битах на блок, исходный размер плоскости и размер после "
                       "кодирования в битах, их отношение и сжатие 9/L"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addWidget(planeChart, 1);
    layout->addWidget(figuresTable);
    layout->addWidget(note);
    setTabOrder(planeChart, figuresTable);

    connect(planeChart, &PlaneChart::planeActivated, this, &PlaneComparison::planeActivated);
    showMessage(noPictureText());
}

QString PlaneComparison::noPictureText()
{
    return QStringLiteral("Выбери полутоновое изображение, и здесь появятся показатели всех "
                          "восьми его битовых плоскостей.");
}

QString PlaneComparison::colourPictureText()
{
    return QStringLiteral("Цветное изображение не делится на битовые плоскости, поэтому "
                          "сравнивать нечего.");
}

QString PlaneComparison::ratioNote(const PlaneFigures &figures)
{
    const QString blocks = QString::number(figures.blockCount);
    if (figures.paddedBits() == figures.rawBits) {
        return QStringLiteral("Сжатие 9/L считает по 9 бит на каждый из %1 блоков 3 × 3: это "
                              "ровно W × H = %2 бит, поэтому оба сжатия совпадают.")
            .arg(blocks, QString::number(figures.rawBits));
    }
    return QStringLiteral("Сжатие 9/L считает по 9 бит на каждый из %1 блоков 3 × 3, и блоки у "
                          "краев дополнены до 3 × 3: это %2 бит, а исходный размер W × H = %3 "
                          "бит.")
        .arg(blocks, QString::number(figures.paddedBits()), QString::number(figures.rawBits));
}

void PlaneComparison::setFigures(const QList<PlaneFigures> &figures)
{
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
    planeChart->show();
    figuresTable->show();
    note->setVisible(!figures.isEmpty());
}

void PlaneComparison::showMessage(const QString &text)
{
    planeChart->setFigures({});
    figuresTable->setRowCount(0);
    message->setText(text);
    planeChart->hide();
    figuresTable->hide();
    note->hide();
    note->clear();
    message->show();
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
