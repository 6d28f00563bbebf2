// SPDX-License-Identifier: GPL-3.0-or-later
#include "blockmarking.h"

#include "im.h"
#include "planestatistics.h"

#include <QItemSelectionModel>
#include <QLabel>
#include <QTableWidget>

#include <bitset>

BlockMarking::BlockMarking(Im *viewer, QTableWidget *table, QObject *parent)
    : QObject(parent)
    , viewer(viewer)
    , table(table)
    , status(new QLabel(viewer->parentWidget()))
{
    status->setObjectName(QStringLiteral("markedBlocksLabel"));
    status->setAccessibleName(QStringLiteral("Отмеченные блоки"));
    status->setAccessibleDescription(
        QStringLiteral("Сколько блоков выделенных в таблице типов отмечено на плоскости и "
                       "какая это доля всех блоков"));
    status->setWordWrap(true);
    status->hide();
    rowOfPattern.fill(-1);
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &BlockMarking::onSelectionChanged);
    connect(viewer, &Im::imagePixelClicked, this, &BlockMarking::onImagePixelClicked);
}

void BlockMarking::setPlane(const QImage &newPlane, const PlaneStatistics &stats)
{
    plane = newPlane;
    map.reset();
    rowPatterns.clear();
    rowPatterns.reserve(stats.types.size());
    rowOfPattern.fill(-1);
    for (const BlockType &type : stats.types) {
        rowOfPattern[size_t(type.pattern & 511)] = int(rowPatterns.size());
        rowPatterns.append(type.pattern);
    }
    blockCount = stats.total;
    table->clearSelection();
    marked = 0;
    viewer->setMarks(QImage(), 3);
    status->show();
    showStatus();
}

const BlockMap &BlockMarking::blockMap()
{
    if (!map)
        map = BlockMap::of(plane);
    return *map;
}

void BlockMarking::onSelectionChanged()
{
    BlockMap::TypeSet types;
    for (const QModelIndex &index : table->selectionModel()->selectedIndexes()) {
        if (index.row() < rowPatterns.size())
            types.set(size_t(rowPatterns.at(index.row()) & 511));
    }
    // Nothing in view ("выбери изображение" leaves the table of the last plane): nothing to mark.
    if (types.none() || plane.isNull() || viewer->image().isNull()) {
        if (marked != 0 || !viewer->marks().isNull())
            viewer->setMarks(QImage(), 3);
        marked = 0;
    } else {
        viewer->setMarks(blockMap().mask(types, &marked), 3);
    }
    showStatus();
}

void BlockMarking::onImagePixelClicked(QPoint pixel)
{
    if (plane.isNull() || !plane.rect().contains(pixel))
        return;
    const BlockMap &blocks = blockMap();
    const int column = pixel.x() / 3;
    const int row = pixel.y() / 3;
    if (column >= blocks.blockColumns || row >= blocks.blockRows)
        return;
    const int tableRow = rowOfPattern[size_t(blocks.patternAt(column, row) & 511)];
    if (tableRow < 0 || tableRow >= table->rowCount())
        return;
    const QModelIndex index = table->model()->index(tableRow, 0);
    table->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table->scrollTo(index);
}

void BlockMarking::showStatus()
{
    if (marked == 0) {
        status->setText(QStringLiteral("Выделите строки таблицы, чтобы отметить блоки этих типов "
                                       "на плоскости; щелчок по плоскости выбирает тип блока."));
        return;
    }
    const double percent = blockCount > 0 ? 100.0 * double(marked) / blockCount : 0;
    status->setText(QStringLiteral("Отмечено блоков: %1 из %2 (%3 %)")
                        .arg(marked)
                        .arg(blockCount)
                        .arg(QString::number(percent, 'f', 2)));
}
