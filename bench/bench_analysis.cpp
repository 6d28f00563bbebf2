// SPDX-License-Identifier: GPL-3.0-or-later
// Speed of the bit-plane analysis cores: the split into eight planes and the block statistics
// (counting, ranking, probabilities, Huffman code) of one plane.
//
//   cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
//   cmake --build build --target bench_analysis
//   build/bench/bench_analysis [picture.bmp] [runs]
//
// The 512 x 512 figures use the given picture (e.g. lena.bmp); without one, a synthetic picture.

#include "benchtiming.h"
#include "bitplanes.h"
#include "blockhistogram.h"
#include "planestatistics.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// Smooth gradients and waves plus noise, as an 8-bit picture with a grey palette.
QImage naturalPicture(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> grey;
    for (int i = 0; i < 256; ++i)
        grey.append(qRgb(i, i, i));
    image.setColorTable(grey);
    QRandomGenerator random(seed);
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const double smooth = 128.0 + 60.0 * std::sin(x * 0.004) * std::cos(y * 0.006)
                + 40.0 * (double(x) / width - double(y) / height);
            const int noise = int(random.bounded(9)) - 4;
            line[x] = uchar(std::clamp(int(smooth) + noise, 0, 255));
        }
    }
    return image;
}

volatile int sink = 0; // keeps the work from being optimised away

const char *verdict(double value, double target)
{
    return value <= target ? "met" : "NOT met";
}

void report(const char *what, double ms, double target)
{
    std::printf(
        "%-52s median %8.3f ms   (target %.2f ms: %s)\n", what, ms, target, verdict(ms, target));
}

void benchStatistics(const char *label, const QImage &plane, int runs, double target)
{
    const double histogramMs
        = medianMs(runs, [&] { sink = sink + BlockHistogram::of(plane).firstSeen.size(); });
    const double statisticsMs
        = medianMs(runs, [&] { sink = sink + int(PlaneStatistics::of(plane).types.size()); });
    const PlaneStatistics stats = PlaneStatistics::of(plane);
    std::printf("%s: %lld block types\n", label, qlonglong(stats.types.size()));
    report("  block histogram only", histogramMs, target);
    report("  block statistics (count, rank, p, Huffman)", statisticsMs, target);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString picturePath = args.size() > 1 ? args.at(1) : QString();
    const int runs = args.size() > 2 ? qMax(1, args.at(2).toInt()) : 30;

    std::printf("bench_analysis, median of %d runs each; reproduce with:\n  %s %s %d\n\n", runs,
        qPrintable(args.at(0)), picturePath.isEmpty() ? "\"\"" : qPrintable(picturePath), runs);

    const QImage large = naturalPicture(4000, 3000, 1);
    const double splitMs
        = medianMs(runs, [&] { sink = sink + int(BitPlanes::split(large).size()); });
    std::printf("4000 x 3000 Indexed8 grey picture (12 megapixels)\n");
    report("  split into eight planes", splitMs, 2.5);

    const QList<QImage> largePlanes = BitPlanes::split(large);
    benchStatistics("4000 x 3000 plane 1", largePlanes.at(0), runs, 1.5);
    benchStatistics("4000 x 3000 plane 8", largePlanes.at(7), runs, 1.5);

    // Four times the pixels should take no more than four times as long: fresh memory for the
    // planes of a big picture must not cost more than the split itself. Split again and again,
    // the store of the planes is reused; in the window the previous picture's planes are still
    // kept while the next one is split, and the store of the split before is reused.
    {
        const QImage huge = naturalPicture(8000, 6000, 3);
        const int hugeRuns = qMax(3, runs / 3);
        const double hugeMs
            = medianMs(hugeRuns, [&] { sink = sink + int(BitPlanes::split(huge).size()); });
        QList<QImage> kept = BitPlanes::split(huge);
        const double freshMs = medianMs(hugeRuns, [&] {
            QList<QImage> next = BitPlanes::split(huge);
            kept = next;
        });
        std::printf("\n8000 x 6000 Indexed8 grey picture (48 megapixels)\n");
        report("  split into eight planes", hugeMs, 4 * splitMs);
        std::printf("  %-50s %8.2f     (target at most 4: %s)\n", "ratio to the 12-megapixel split",
            hugeMs / splitMs, verdict(hugeMs / splitMs, 4));
        report("  split while the previous planes are kept", freshMs, 4 * splitMs);
        // What the memory allows: a split reads the picture's bytes and writes as many.
        std::vector<uchar> copy(size_t(huge.sizeInBytes()));
        const double copyMs = medianMs(hugeRuns, [&] {
            std::memcpy(copy.data(), huge.constBits(), copy.size());
            sink = sink + copy[copy.size() / 2];
        });
        std::printf(
            "  %-50s median %8.3f ms   (for scale)\n", "memcpy of the picture's 48 MB", copyMs);
    }

    QImage small;
    if (!picturePath.isEmpty())
        small = QImage(picturePath);
    const bool synthetic = small.isNull();
    if (synthetic)
        small = naturalPicture(512, 512, 2);
    std::printf("\n512 x 512 %s\n", synthetic ? "synthetic picture" : qPrintable(picturePath));
    const double smallSplitMs
        = medianMs(runs * 10, [&] { sink = sink + int(BitPlanes::split(small).size()); });
    report("  split into eight planes", smallSplitMs, 0.3);
    const QList<QImage> smallPlanes = BitPlanes::split(small);
    benchStatistics("512 x 512 plane 1", smallPlanes.at(0), runs * 10, 0.06);
    benchStatistics("512 x 512 plane 8", smallPlanes.at(7), runs * 10, 0.06);
    return 0;
}
