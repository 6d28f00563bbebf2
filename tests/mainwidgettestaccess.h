// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reaches the window's private state, for tests and benchmarks that put a plane in place without
// a picture file or read what the window keeps hidden from the student. The one definition of the
// friend MainWidget names.

#include "mainwidget.h"
#include "planecomparisontab.h"
#include "planestatistics.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QString>

struct MainWidgetTestAccess
{
    // As the image-loading slots leave it: the plane to analyse in currentImage.
    static void setCurrentImage(MainWidget &window, const QImage &image)
    {
        window.currentImage = image;
    }
    static void analyse(MainWidget &window) { window.analysePlane(); }
    static void analyse(MainWidget &window, const QImage &plane)
    {
        setCurrentImage(window, plane);
        analyse(window);
    }
    static void show(MainWidget &window, const PlaneStatistics &stats)
    {
        window.showStatistics(stats);
    }

    static QImage currentImage(const MainWidget &window) { return window.currentImage; }
    static int planeIndex(const MainWidget &window) { return window.planeIndex; }
    // Identity of the stored planes: equal keys, same pixels without being rebuilt.
    static QList<qint64> planeKeys(const MainWidget &window)
    {
        QList<qint64> keys;
        for (const QImage &plane : window.planes)
            keys << plane.cacheKey();
        return keys;
    }
    // The codes the window hides from the student, and the counts behind the table.
    static QList<QString> blockCodes(const MainWidget &window) { return window.blockCodes; }
    static QHash<BitBlock, int> blockCounts(const MainWidget &window) { return window.blockCounts; }
    // The block types of the last analysis, most frequent first: the table's rows.
    static QList<BlockType> planeTypes(const MainWidget &window)
    {
        return window.planeStatistics.types;
    }
    // The comparison tab updated from the stored planes, as a load does it.
    static void showPlanes(MainWidget &window)
    {
        window.planeComparison->showPlanes(window.planes);
    }
};
