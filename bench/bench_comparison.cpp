// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the comparison of all planes and of marking block types in the viewer.
//
//   cmake --build build --target bench_comparison
//   build/bench/bench_comparison [runs]
//
// Prints medians: the figures of all eight planes (the pure summary, then the tab's update with
// its chart and table) at 512 x 512 ("Лена") and 4000 x 3000 (a synthetic photo), and, in a shown
// window with the 4000 x 3000 picture opened, selecting the most frequent block type's row until
// the viewer has repainted with the marks (the first marking after an analysis also maps the
// plane's blocks). Runs offscreen unless QT_QPA_PLATFORM says otherwise.

#include "benchtiming.h"
#include "bitplanes.h"
#include "mainwidget.h"
#include "planecomparisontab.h"
#include "planesummary.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

struct MainWidgetTestAccess
{
    static void showPlanes(MainWidget &window)
    {
        window.planeComparison->showPlanes(window.planes);
    }
};

namespace {

volatile qint64 sink = 0; // keeps the work from being optimised away

// Smooth shapes in the high bits, noise in the low ones, as a camera photo has.
QImage photo(int width, int height)
{
    QImage image(width, height, QImage::Format_Grayscale8);
    QRandomGenerator random(11);
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const double shape = 110 * std::sin(x / 310.0) * std::cos(y / 170.0);
            line[x] = uchar(qBound(0, int(128 + shape) + int(random.bounded(9)) - 4, 255));
        }
    }
    return image;
}

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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? qMax(1, args.at(1).toInt()) : 30;

    QFile loadFile(QStringLiteral("/proc/loadavg"));
    const QByteArray load
        = loadFile.open(QIODevice::ReadOnly) ? loadFile.readLine().trimmed() : QByteArray("?");
    std::printf("bench_comparison, median of %d runs each, platform %s, load %s; reproduce with:\n"
                "  %s %d\n\n",
        runs, qPrintable(QApplication::platformName()), load.constData(), qPrintable(args.at(0)),
        runs);

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
    MainWidget window;
    window.findChild<QWidget *>(QStringLiteral("tab_2"))->setEnabled(true);
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    window.dialogs().openFileName
        = [&](const QString &, const QString &, const QString &) { return file; };
    window.dialogs().messageBox = [](const QString &, const QString &text) {
        std::printf("unexpected message: %s\n", qPrintable(text));
    };
    window.resize(900, 800);
    window.show();
    QApplication::processEvents();
    window.findChild<QPushButton *>(QStringLiteral("pushButton_2"))->click();
    QApplication::processEvents();

    // The tab's update as a load runs it: the summary, then bars and table.
    tabs->setCurrentIndex(2);
    QApplication::processEvents();
    const double tabMs = medianMs(qMax(3, runs / 3), [&] {
        MainWidgetTestAccess::showPlanes(window);
        QApplication::processEvents();
    });
    std::printf("%-56s median %8.3f ms   (reported apart)\n",
        "  4000 x 3000, the tab's update with repaint", tabMs);

    tabs->setCurrentIndex(1);
    QApplication::processEvents();
    auto *table = window.findChild<QTableWidget *>(QStringLiteral("tableWidget"));
    std::printf("\nMarking in the viewer, 4000 x 3000 plane 1 (%d rows, row 1: %s blocks):\n",
        table->rowCount(), qPrintable(table->item(0, 1)->text()));
    std::vector<double> first;
    std::vector<double> again;
    for (int i = 0; i < runs; ++i) {
        // A new analysis of the same plane: the block map is made anew on the first marking.
        if (i % 2 == 0) {
            window.findChild<QPushButton *>(QStringLiteral("pushButton_2"))->click();
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
