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
{
    planeChart->setObjectName(QStringLiteral("planeChart"));
    figuresTable->setObjectName(QStringLiteral("planeFiguresTable"));
    message->setObjectName(QStringLiteral("planeComparisonMessage"));

    message->setWordWrap(true);
    message->setAlignment(Qt::AlignCenter);
    message->setAccessibleName(QStringLiteral("Сравнение плоскостей"));
    message->setAccessibleDescription(QStringLiteral("Почему сравнения плоскостей нет"));

    const QStringList headers = {QStringLiteral("Плоскость"), QStringLiteral("Типов\nблоков"),
        QStringLiteral("L,\nбит/блок"), QStringLiteral("H,\nбит/блок"),
        QStringLiteral("После\nкодирования, бит"), QStringLiteral("Сжатие\n9/L")};
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
                       "энтропия H в битах на блок, размер после кодирования в битах и "
                       "сжатие 9/L"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addWidget(planeChart, 1);
    layout->addWidget(figuresTable);
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

void PlaneComparison::setFigures(const QList<PlaneFigures> &figures)
{
    planeChart->setFigures(figures);
    figuresTable->setRowCount(int(figures.size()));
    for (int row = 0; row < figures.size(); ++row) {
        const QStringList fields = PlaneSummary::fields(figures.at(row));
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

    message->hide();
    planeChart->show();
    figuresTable->show();
}

void PlaneComparison::showMessage(const QString &text)
{
    planeChart->setFigures({});
    figuresTable->setRowCount(0);
    message->setText(text);
    planeChart->hide();
    figuresTable->hide();
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
