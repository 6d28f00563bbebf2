// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Reaches what the window keeps from the student, for window tests and benchmarks: its view of
// the session's current plane (the members the program's description names), the session itself,
// and a plane put in view without a picture file. What the lab decides is tested on LabSession
// alone (tst_labsession). The one definition of the friend MainWidget names.

#include "labsession.h"
#include "mainwidget.h"
#include "planecomparisontab.h"
#include "planestatistics.h"

#include <QHash>
#include <QImage>
#include <QList>
#include <QString>

struct MainWidgetTestAccess
{
    static const LabSession &session(const MainWidget &window) { return *window.session; }

    // As a plane in view leaves it: the plane to analyse in currentImage.
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
    // Statistics of no picture (made from counts) in the table and the report, not the session.
    static void show(MainWidget &window, const PlaneStatistics &stats)
    {
        AnalysedPlane shown;
        shown.statistics = stats;
        shown.typed = QStringList(shown.hiddenCount(), QString());
        window.showStatistics(shown);
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
