// SPDX-License-Identifier: GPL-3.0-or-later
// How long the window is blocked by the slowest JPEG files it accepts at the size limit, and how
// quickly it refuses those made to keep a decoder busy: each file is opened with "Обзор" in a
// shown window after an earlier picture, and the click is timed until the plane, table and
// report are there (or the refusal is shown).
//
//   cmake --build build --target bench_hostile
//   build/bench/bench_hostile [runs]
//
// Runs offscreen unless QT_QPA_PLATFORM says otherwise. The pictures are made first (a few
// seconds), in a temporary folder.

#include "benchlab.h"
#include "benchtiming.h"
#include "picturereader.h"
#include "testjpeg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A photo-like picture of the size limit: smooth shapes and some noise.
QImage photo(int width, int height, bool colour)
{
    QImage image(width, height, colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    QRandomGenerator random(5);
    for (int y = 0; y < height; ++y) {
        uchar *line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const int v = qBound(0,
                int(128 + 100 * std::sin(x / 410.0) * std::cos(y / 230.0)) + int(random.bounded(7))
                    - 3,
                255);
            if (colour)
                reinterpret_cast<QRgb *>(line)[x] = qRgb(v, 255 - v, (v + x / 64) & 255);
            else
                line[x] = uchar(v);
        }
    }
    return image;
}

bool saveJpeg(const QString &path, const QImage &image, bool progressive)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(85);
    writer.setProgressiveScanWrite(progressive);
    return writer.write(image);
}

// The click on "Обзор" until the window is repainted, in milliseconds. `refusal` gets the reason
// the window gave for refusing the file, or an empty text.
double openTimed(BenchLab &lab, const QString &file, QString *refusal)
{
    lab.chosenFile = file;
    QElapsedTimer timer;
    timer.start();
    lab.browse->click();
    lab.window.repaint();
    const double ms = msSince(timer);
    *refusal = lab.messages.isEmpty() ? QString() : lab.messages.last().section('\n', 2);
    lab.messages.clear(); // expected here
    return ms;
}

} // namespace

int main(int argc, char *argv[])
{
    offscreenByDefault();
    QApplication app(argc, argv);
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 3;
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;

    // 8192 x 8192 is the size limit (64 megapixels).
    const int side = 8192;
    const qint64 blocksPerScan = qint64(side / 8) * (side / 8);
    const int withinLimit = int(PictureReader::maxJpegScanBlocks / blocksPerScan) - 2;
    struct Case
    {
        QByteArray what;
        QString file;
    };
    QList<Case> cases;
    const auto add = [&](const char *what, const QString &name, const QByteArray &bytes) {
        const QString path = dir.filePath(name);
        if (!writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        cases.append({what, path});
    };
    std::printf("making the pictures...\n");
    add("64 MP grey progressive, most scans accepted", QStringLiteral("scans.jpg"),
        TestJpeg::repeatedScans(side, side, withinLimit));
    add("64 MP grey progressive, one scan too many", QStringLiteral("scans-over.jpg"),
        TestJpeg::repeatedScans(side, side, withinLimit + 1));
    // Three full-size components: the DC scan and each first AC scan count thrice as many
    // blocks, and the decoder converts the colours.
    add("64 MP YCbCr 4:4:4 progressive, most scans", QStringLiteral("scans-colour.jpg"),
        TestJpeg::repeatedScans(side, side, withinLimit + 2 - 6, 3));
    add("2048 x 2048, 18,000 scans", QStringLiteral("18000.jpg"),
        TestJpeg::repeatedScans(2048, 2048, 18000));
    add("8192 x 8192, 26,000 scans", QStringLiteral("26000.jpg"),
        TestJpeg::repeatedScans(side, side, 26000));
    for (const bool colour : {false, true}) {
        const QImage picture = photo(side, side, colour);
        for (const bool progressive : {false, true}) {
            const QString name
                = QStringLiteral("%1-%2.jpg")
                      .arg(colour ? QStringLiteral("colour") : QStringLiteral("grey"))
                      .arg(
                          progressive ? QStringLiteral("progressive") : QStringLiteral("baseline"));
            if (!saveJpeg(dir.filePath(name), picture, progressive))
                qFatal("cannot encode %s", qPrintable(name));
            cases.append({QByteArray("64 MP ") + (colour ? "colour " : "grey ")
                    + (progressive ? "progressive (Qt's writer)" : "baseline"),
                dir.filePath(name)});
        }
    }
    const QString earlier = dir.filePath(QStringLiteral("earlier.bmp"));
    photo(64, 48, false).save(earlier, "bmp");

    std::printf("bench_hostile: the click on \"Обзор\" until repainted, median of %d runs; "
                "reproduce with:\n  %s %d\n\n",
        runs, argv[0], runs);
    BenchLab lab;
    for (const Case &c : std::as_const(cases)) {
        std::vector<double> times;
        QString outcome;
        for (int i = 0; i < runs; ++i) {
            QString refusal;
            openTimed(lab, earlier, &refusal);
            times.push_back(openTimed(lab, c.file, &refusal));
            outcome = refusal.isEmpty() ? QStringLiteral("opened")
                                        : QStringLiteral("refused: ") + refusal.left(60);
        }
        std::printf("%-46s median %8.1f ms   %s\n", c.what.constData(), median(times),
            qPrintable(QFileInfo(c.file).fileName() + QStringLiteral(", ")
                + QString::number(QFileInfo(c.file).size() / 1024) + QStringLiteral(" KB, ")
                + outcome));
    }
    return 0;
}
