// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "blockmap.h"

#include <QImage>
#include <QList>
#include <QObject>

#include <array>
#include <optional>

class Im;
class QLabel;
class QTableWidget;
struct PlaneStatistics;

// Links the results table to the viewer: the blocks of the selected rows' types are tinted in
// the plane, a line under the viewer counts them, and a click on the plane selects the row of
// the block type under the pointer.
class BlockMarking : public QObject
{
    Q_OBJECT

public:
    BlockMarking(Im *viewer, QTableWidget *table, QObject *parent);

    // The line with the count of marked blocks, for the window to place under the viewer.
    QLabel *statusLabel() const { return status; }
    // A new analysis: its plane and statistics, nothing marked.
    void setPlane(const QImage &plane, const PlaneStatistics &stats);
    qint64 markedBlocks() const { return marked; }

private:
    void onSelectionChanged();
    void onImagePixelClicked(QPoint pixel);
    const BlockMap &blockMap();
    void showStatus();

    Im *const viewer;
    QTableWidget *const table;
    QLabel *const status;
    QImage plane;
    QList<int> rowPatterns; // the block type of each table row
    std::array<int, 512> rowOfPattern {};
    int blockCount = 0;
    qint64 marked = 0;
    // Made on the first marking or click after an analysis.
    std::optional<BlockMap> map;
};
