// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the comparison of all planes and of marking block types in the viewer.
//
//   cmake --build build --target bench_comparison
//   build/bench/bench_comparison [runs]
//
// Prints medians: the figures of all eight planes (the pure summary, then the tab's update with
// its chart and table) at 512 x 512 ("Лена") and 4000 x 3000 (a synthetic photo), the chart's
// paint alone, and, in a shown window with the 4000 x 3000 picture opened, selecting the most
// frequent block type's row until the viewer has repainted with the marks (the first marking
// after an analysis also maps the plane's blocks). Runs offscreen unless QT_QPA_PLATFORM says
// otherwise.

#include "benchlab.h"
#include "benchtiming.h"
#include "bitplanes.h"
#include "planechart.h"
#include "planesummary.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

volatile qint64 sink = 0; // keeps the work from being optimised away

void benchSummary(const char *label, const QImage &picture, int runs, double target)
{
    const QList<QImage> planes = BitPlanes::split(picture);
    const double ms = medianMs(runs, [&] {
        for (const PlaneFigures &figures : PlaneSummary::of(planes))
            sink = sink + figures.codedBits;
    });
    std::printf("%-56s median %8.3f ms   (target %.0f ms)\n", label, ms, target);
}

} // namespace

int main(int argc, char *argv[])
{
    offscreenByDefault();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? qMax(1, args.at(1).toInt()) : 30;
    printHeader("bench_comparison", runs);

    const QImage lena(QStringLiteral(":/images/images/lena.bmp"));
    const QImage large = photo(4000, 3000);
    std::printf("Figures of all eight planes (PlaneSummary::of):\n");
    benchSummary("  512 x 512, lena.bmp", lena, runs, 3);
    benchSummary("  4000 x 3000 photo", large, qMax(3, runs / 3), 40);

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("photo-4000x3000.bmp"));
    if (!large.save(file, "BMP")) {
        std::printf("cannot write %s\n", qPrintable(file));
        return 1;
    }
    BenchLab lab(QSize(900, 800));
    lab.chosenFile = file;
    lab.browse->click();
    QApplication::processEvents();

    // The tab's update as a load runs it: the summary, then bars and table.
    lab.tabs->setCurrentIndex(2);
    QApplication::processEvents();
    const double tabMs = medianMs(qMax(3, runs / 3), [&] {
        MainWidgetTestAccess::showPlanes(lab.window);
        QApplication::processEvents();
    });
    std::printf("%-56s median %8.3f ms   (reported apart)\n",
        "  4000 x 3000, the tab's update with repaint", tabMs);
    // The chart alone, as a resize, a new highlight or a focus change repaints it (rendered with
    // its children into one image; QWidget::render, as a QGraphicsView hides it).
    auto *chart = lab.window.findChild<PlaneChart *>();
    QImage canvas(chart->size(), QImage::Format_ARGB32_Premultiplied);
    const double chartMs = medianMs(runs, [&] { chart->QWidget::render(&canvas); });
    std::printf("%-56s median %8.3f ms   (reported apart)\n",
        qPrintable(QStringLiteral("  the chart's paint at %1 x %2")
                       .arg(chart->width())
                       .arg(chart->height())),
        chartMs);

    lab.tabs->setCurrentIndex(1);
    QApplication::processEvents();
    QTableWidget *table = lab.table;
    std::printf("\nMarking in the viewer, 4000 x 3000 plane 1 (%d rows, row 1: %s blocks):\n",
        table->rowCount(), qPrintable(table->item(0, 1)->text()));
    std::vector<double> first;
    std::vector<double> again;
    for (int i = 0; i < runs; ++i) {
        // A new analysis of the same plane: the block map is made anew on the first marking.
        if (i % 2 == 0) {
            lab.browse->click();
            QApplication::processEvents();
        }
        table->clearSelection();
        QApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        table->selectRow(0);
        QApplication::processEvents();
        (i % 2 == 0 ? first : again).push_back(msSince(timer));
    }
    std::printf("%-56s median %8.3f ms   (target 30 ms)\n",
        "  select the most frequent type, first after an analysis", median(first));
    std::printf("%-56s median %8.3f ms   (target 30 ms)\n",
        "  select it again (blocks already mapped)", median(again));
    return 0;
}
