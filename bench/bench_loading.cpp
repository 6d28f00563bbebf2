// SPDX-License-Identifier: GPL-3.0-or-later
// Speed and memory of getting a picture into the lab: a built-in picture chosen in the combo box,
// a dial change, a 4000 x 3000 greyscale JPEG opened with "Обзор" (decoding timed apart from
// everything after it), a colour one of that size converted to grey, and the peak resident
// memory with the grey photo loaded.
//
//   cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
//   cmake --build build --target bench_loading
//   build/bench/bench_loading [runs]
//
// Runs offscreen unless QT_QPA_PLATFORM says otherwise. The window is shown with the lab tab
// current; the repaint after each action is timed apart. The memory figures come from a fresh
// child process (the same executable with --memory), so nothing measured before inflates them.

#include "benchlab.h"
#include "benchtiming.h"
#include "bitplanes.h"
#include "greyconversion.h"
#include "picturereader.h"

#include <QApplication>
#include <QComboBox>
#include <QDial>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

// Times `action` and, apart, the repaint the event loop does after it.
void timeAction(const char *label, int runs, double target, BenchLab &lab,
    const std::function<void(int run)> &action)
{
    std::vector<double> work;
    std::vector<double> paint;
    for (int i = 0; i < runs; ++i) {
        lab.trimReport();
        QElapsedTimer timer;
        timer.start();
        action(i);
        work.push_back(msSince(timer));
        timer.start();
        QApplication::processEvents();
        paint.push_back(msSince(timer));
    }
    std::printf("  %-44s median %8.2f ms, repaint %6.2f ms, sum %8.2f ms (target %g ms)\n", label,
        median(work), median(paint), median(work) + median(paint), target);
}

QByteArray statusLine(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return "?";
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith(key))
            return line.mid(int(std::strlen(key))).simplified();
    }
    return "?";
}

// Child mode: one window, the photo opened once, then again and every plane.
int memoryRun(const QString &file)
{
    BenchLab lab;
    std::printf(
        "  window shown, no picture             VmHWM %s\n", statusLine("VmHWM:").constData());
    QElapsedTimer timer;
    timer.start();
    lab.open(file);
    QApplication::processEvents();
    std::printf(
        "  first open in this process, decoding and repaint included: %.1f ms\n", msSince(timer));
    std::printf("  photo opened once                    VmHWM %s, VmRSS %s\n",
        statusLine("VmHWM:").constData(), statusLine("VmRSS:").constData());
    for (int i = 0; i < 3; ++i) {
        lab.open(file);
        QApplication::processEvents();
    }
    for (int dial = 1; dial <= 8; ++dial) {
        lab.dial->setValue(dial);
        QApplication::processEvents();
    }
    lab.choose(QStringLiteral("Лена"));
    QApplication::processEvents();
    std::printf("  opened 4 times, all 8 planes, lena   VmHWM %s, VmRSS %s\n",
        statusLine("VmHWM:").constData(), statusLine("VmRSS:").constData());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    offscreenByDefault();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 && args.at(1) == QLatin1String("--memory"))
        return memoryRun(args.at(2));
    const int runs = args.size() > 1 ? qMax(3, args.at(1).toInt()) : 41;

    printHeader("bench_loading", runs);

    // How dear fresh memory is here: every large new image pays for its first touch.
    {
        QElapsedTimer timer;
        timer.start();
        QByteArray fresh(48 << 20, Qt::Uninitialized);
        std::memset(fresh.data(), 1, size_t(fresh.size()));
        const double first = msSince(timer);
        timer.start();
        std::memset(fresh.data(), 2, size_t(fresh.size()));
        std::printf("first touch of 48 MB fresh memory %.1f ms, second write %.1f ms\n\n", first,
            msSince(timer));
    }

    std::printf("built-in pictures, 512 x 512:\n");
    {
        BenchLab lab;
        const QStringList pictures = {QStringLiteral("Лена"), QStringLiteral("Барбара")};
        timeAction("choose a picture (load, split, show, analyse)", runs, 30, lab,
            [&](int run) { lab.choose(pictures.at(run % 2)); });
        timeAction("dial change", runs, 15, lab, [&](int run) { lab.dial->setValue(run % 8 + 1); });
    }

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("IMG_4000x3000.JPG"));
    if (!photo(4000, 3000).save(file, "jpg", 90)) {
        std::printf("cannot write %s\n", qPrintable(file));
        return 1;
    }
    const int slowRuns = qMax(3, runs / 4);
    std::printf("\n4000 x 3000 greyscale JPEG (%lld bytes), medians of %d runs:\n",
        QFile(file).size(), slowRuns);
    {
        const double decode = medianMs(slowRuns, [&] { PictureReader::read(file); });
        std::printf(
            "  %-44s median %8.2f ms (reported apart)\n", "decoding (PictureReader::read)", decode);

        BenchLab lab;
        std::vector<double> open;
        std::vector<double> paint;
        for (int i = 0; i < slowRuns; ++i) {
            lab.trimReport();
            QElapsedTimer timer;
            timer.start();
            lab.open(file);
            open.push_back(msSince(timer));
            timer.start();
            QApplication::processEvents();
            paint.push_back(msSince(timer));
        }
        std::printf("  %-44s median %8.2f ms, repaint %6.2f ms\n",
            "open the file (browse button), all of it", median(open), median(paint));
        std::printf("  %-44s median %8.2f ms (target 60 ms)\n", "  of which after decoding",
            median(open) - decode + median(paint));

        // Where the time after decoding goes, step by step on the same picture.
        const QImage picture = PictureReader::read(file).image;
        std::printf("  steps after decoding:\n");
        std::printf("    %-42s median %8.2f ms\n", "preview pixmap, as decoded",
            medianMs(slowRuns, [&] { QPixmap::fromImage(picture, Qt::NoFormatConversion); }));
        std::printf("    %-42s median %8.2f ms (not used)\n",
            "preview pixmap, converted to 32 bits",
            medianMs(slowRuns, [&] { QPixmap::fromImage(picture); }));
        std::printf("    %-42s median %8.2f ms\n", "isGrayscale",
            medianMs(slowRuns, [&] { (void)picture.isGrayscale(); }));
        QList<QImage> planes;
        std::printf("    %-42s median %8.2f ms\n", "BitPlanes::split",
            medianMs(slowRuns, [&] { planes = BitPlanes::split(picture); }));
        std::printf("    %-42s median %8.2f ms\n", "viewer setImage (with its repaint)",
            medianMs(slowRuns, [&] { lab.viewer->setImage(planes.value(0)); }));
        MainWidgetTestAccess::setCurrentImage(lab.window, planes.value(0));
        std::printf("    %-42s median %8.2f ms\n", "analysePlane", medianMs(slowRuns, [&] {
            lab.trimReport();
            MainWidgetTestAccess::analyse(lab.window);
        }));

        std::printf("\n");
        timeAction("dial change, 4000 x 3000", slowRuns, 40, lab,
            [&](int run) { lab.dial->setValue(run % 8 + 1); });
    }

    // A colour photo of the same size: analysed whole when opened, converted on the button.
    const QString colourFile = dir.filePath(QStringLiteral("IMG_colour.JPG"));
    {
        const QImage grey = photo(4000, 3000);
        QImage colour(grey.size(), QImage::Format_RGB32);
        for (int y = 0; y < grey.height(); ++y) {
            const uchar *in = grey.constScanLine(y);
            auto *out = reinterpret_cast<QRgb *>(colour.scanLine(y));
            for (int x = 0; x < grey.width(); ++x)
                out[x] = qRgb(in[x], 255 - in[x] / 2, (in[x] * 7 + x) & 255);
        }
        if (!colour.save(colourFile, "jpg", 90)) {
            std::printf("cannot write %s\n", qPrintable(colourFile));
            return 1;
        }
    }
    std::printf("\n4000 x 3000 colour JPEG (%lld bytes), medians of %d runs:\n",
        QFile(colourFile).size(), slowRuns);
    {
        const QImage colour = PictureReader::read(colourFile).image;
        std::printf("  %-44s median %8.2f ms\n", "decoding (PictureReader::read)",
            medianMs(slowRuns, [&] { PictureReader::read(colourFile); }));
        QImage grey;
        std::printf("  %-44s median %8.2f ms\n", "GreyConversion::toGrey",
            medianMs(slowRuns, [&] { grey = GreyConversion::toGrey(colour); }));
        std::printf("  %-44s median %8.2f ms\n", "  for scale: a copy of the 32-bit picture",
            medianMs(slowRuns, [&] { QImage copy = colour.copy(); }));
        std::printf("  %-44s median %8.2f ms\n", "  for scale: BitPlanes::split of the grey",
            medianMs(slowRuns, [&] { BitPlanes::split(grey); }));

        BenchLab lab;
        QPushButton *const convert = lab.window.findChild<QPushButton *>("greyButton");
        std::vector<double> open;
        std::vector<double> converted;
        std::vector<double> paint;
        for (int i = 0; i < slowRuns; ++i) {
            lab.trimReport();
            QElapsedTimer timer;
            timer.start();
            lab.open(colourFile);
            QApplication::processEvents();
            open.push_back(msSince(timer));
            timer.start();
            convert->click();
            converted.push_back(msSince(timer));
            timer.start();
            QApplication::processEvents();
            paint.push_back(msSince(timer));
        }
        std::printf("  %-44s median %8.2f ms\n", "open the file, analysed whole, with repaint",
            median(open));
        std::printf("  %-44s median %8.2f ms, repaint %6.2f ms\n",
            "\"Преобразовать в оттенки серого\" (all of it)", median(converted), median(paint));
    }

    std::printf("\npeak resident memory, fresh process (target 150 MB with the photo loaded):\n");
    std::fflush(stdout);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(args.at(0), {QStringLiteral("--memory"), file});
    child.waitForFinished(-1);
    return child.exitCode();
}
