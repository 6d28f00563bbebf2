// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The window as the benchmarks drive it: the tests' lab fixture shown with the lab tab in front,
// and what every window benchmark prints first.

#include "lab.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QSize>

#include <cmath>
#include <cstdio>

// Offscreen unless QT_QPA_PLATFORM says otherwise; before the QApplication is made.
inline void offscreenByDefault()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readLine().trimmed() : QByteArray("?");
}

// The first lines: the benchmark, its runs, the platform and the load, and the command that
// measures the same again.
inline void printHeader(const char *name, int runs)
{
    std::printf("%s, median of %d runs each, platform %s, load %s; reproduce with:\n"
                "  %s %d\n\n",
        name, runs, qPrintable(QApplication::platformName()), loadAverage().constData(),
        qPrintable(QApplication::arguments().at(0)), runs);
}

// A camera-like greyscale photo: smooth shapes in the high bits, noise in the low ones.
inline QImage photo(int width, int height)
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

// Shown at `size` (the form's own by default) with the lab tab current, as the student sees it.
// A message box nobody expected is printed when the window goes.
struct BenchLab : Lab
{
    explicit BenchLab(QSize size = QSize(600, 684))
    {
        tabs->setCurrentIndex(1);
        window.resize(size);
        show();
        QApplication::processEvents();
    }
    ~BenchLab()
    {
        for (const QString &text : std::as_const(messages))
            std::printf("unexpected message: %s\n", qPrintable(text));
    }
    BenchLab(const BenchLab &) = delete;
    BenchLab &operator=(const BenchLab &) = delete;

    // Keeps the report to a session's length, outside the timed part.
    void trimReport()
    {
        if (++actions % 20 == 0)
            report->clear();
    }

    int actions = 0;
};
