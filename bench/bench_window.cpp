// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the whole plane analysis in the window: block statistics, the results table (icons,
// 5 columns, up to 512 rows), blockCodes and the three report paragraphs.
//
//   cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
//   cmake --build build --target bench_window
//   build/bench/bench_window [runs]
//
// Runs offscreen unless QT_QPA_PLATFORM says otherwise. The window is shown with the lab tab
// current, as the student sees it; the repaint that follows an analysis is timed apart.

#include "benchlab.h"
#include "benchtiming.h"
#include "bitplanes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// Random bits: every block is equally likely to be any of the 512 types.
QImage noisePlane(int width, int height)
{
    QImage image(width, height, QImage::Format_Mono);
    image.setColorTable({0xffffffff, 0xff000000});
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        for (qsizetype i = 0; i < image.bytesPerLine(); ++i)
            line[i] = uchar(random.bounded(256));
    }
    return image;
}

void bench(const char *label, const QImage &plane, int runs)
{
    // First analysis in a new window: the block icons are made then.
    std::vector<double> cold;
    for (int i = 0; i < qMax(3, runs / 5); ++i) {
        const auto lab = std::make_unique<BenchLab>();
        MainWidgetTestAccess::setCurrentImage(lab->window, plane);
        QElapsedTimer timer;
        timer.start();
        MainWidgetTestAccess::analyse(lab->window);
        cold.push_back(msSince(timer));
    }

    BenchLab lab;
    MainWidgetTestAccess::setCurrentImage(lab.window, plane);
    MainWidgetTestAccess::analyse(lab.window);
    QApplication::processEvents();
    const int rows = lab.table->rowCount();

    std::vector<double> warm;
    std::vector<double> repaint;
    for (int i = 0; i < runs; ++i) {
        lab.trimReport(); // a session's worth of paragraphs, not hundreds
        QElapsedTimer timer;
        timer.start();
        MainWidgetTestAccess::analyse(lab.window);
        warm.push_back(msSince(timer));
        timer.start();
        QApplication::processEvents();
        repaint.push_back(msSince(timer));
    }

    std::printf("%s: %d rows\n", label, rows);
    std::printf("  analysePlane, first run in a new window   median %8.3f ms   (target 15 ms)\n",
        median(cold));
    std::printf("  analysePlane, again                       median %8.3f ms   (target 15 ms)\n",
        median(warm));
    std::printf(
        "  repaint after it (event loop, not timed above) median %6.3f ms\n", median(repaint));
}

} // namespace

int main(int argc, char *argv[])
{
    offscreenByDefault();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int runs = args.size() > 1 ? qMax(1, args.at(1).toInt()) : 50;
    printHeader("bench_window", runs);

    bench("512 x 512 random bits", noisePlane(512, 512), runs);
    const QList<QImage> lena = BitPlanes::split(QImage(QStringLiteral(":/images/images/lena.bmp")));
    if (lena.size() == BitPlanes::count) {
        bench("lena plane 1", lena.at(0), runs);
        bench("lena plane 8", lena.at(7), runs);
    } else {
        std::printf("lena.bmp not found in the resources\n");
    }
    return 0;
}
